// The key dispatcher: records of the key device become clicks on buttons,
// focus moves and main-window operations. It never sends key events to
// widgets: which menus are visible decides what a key means.
//
// Each key's handling is a list of rules read top to bottom. A rule runs its
// action when its test holds; a rule marked Stop ends the key's handling once
// it ran. firstOf() runs only the first rule whose test holds ("else if").
#include "app/norvik7.h"
#include "core/logging.h"

#include "liveview/menus/alignmentdistancemenu.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "core/keystate.h"
#include "app/keyrecords.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/displayintensitysetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/power.h"
#include "board/board.h"
#include "calibration/menus/calimagesubmenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/cursorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/viewstate.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/imageviewersubmenu.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/menus/videoplayermenu.h"
#include "media/menus/videowidget.h"
#include "settings/menus/bootsettingsmenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/formatsdcardsetmenu.h"
#include "settings/menus/languagesetsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"
#include "settings/menus/upgradesubmenu.h"

#include <QCheckBox>
#include <QDebug>
#include <QFocusEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <initializer_list>
#include <unistd.h>

namespace {

// ---- the rule table -------------------------------------------------------------------

enum class Flow { Next, Stop };

struct Rule {
    const char *what;   // the rule in words, for a reader
    std::function<bool()> when;
    std::function<void()> then;
    Flow flow = Flow::Next;
};

const auto always = [] { return true; };

// Every rule whose test holds runs, in order, until a Stop rule has run.
void steps(std::initializer_list<Rule> rules)
{
    for (const Rule &r : rules) {
        if (!r.when())
            continue;
        r.then();
        if (r.flow == Flow::Stop)
            return;
    }
}

// Only the first rule whose test holds runs. True when one ran.
bool firstOf(std::initializer_list<Rule> rules)
{
    for (const Rule &r : rules) {
        if (r.when()) {
            r.then();
            return true;
        }
    }
    return false;
}

// ---- what the rules look at and do ---------------------------------------------------------

bool shown(const QWidget *w) { return w && w->isVisible(); }

template <class... W>
bool allHidden(const W *...w)
{
    return (!shown(w) && ...);
}

// Set when a rule put the focus somewhere itself; the arrow's own focus move
// then stays away.
bool focusSetByRule = false;

// The i-th button of a menu, in its button order.
QAbstractButton *buttonOf(QWidget *menu, int i)
{
    if (auto *m = qobject_cast<MenuWindow *>(menu))
        return m->buttons().value(i);
    // The delete question: "Yes" on the right is its first button, "No" its second.
    if (auto *d = qobject_cast<DeleteImageMenu *>(menu))
        return i == 0 ? d->pushButton : i == 1 ? d->pushButton_2 : nullptr;
    return nullptr;
}

void focusOn(QWidget *w)
{
    if (!w)
        return;
    w->setFocus(Qt::OtherFocusReason);
    focusSetByRule = true;
}

void focusButton(QWidget *menu, int i) { focusOn(buttonOf(menu, i)); }

// Toggling focus between a menu's two buttons: to the second if the first has
// it, else to the first.
void toggleFocus(QWidget *menu)
{
    QAbstractButton *a = buttonOf(menu, 0);
    focusOn(menu && a && menu->focusWidget() == a ? buttonOf(menu, 1) : a);
}

void click(QAbstractButton *b)
{
    if (b)
        b->click();
}

void clickButton(QWidget *menu, int i) { click(buttonOf(menu, i)); }

// The second button when it has the focus, else the first.
void clickSecondIfFocusedElseFirst(QWidget *menu)
{
    QAbstractButton *second = buttonOf(menu, 1);
    click(menu && second && menu->focusWidget() == second ? second : buttonOf(menu, 0));
}

// What the dispatcher looked at last: the focused widget of a menu, that
// widget as the kind of button asked for, and the gallery's current item.
QWidget *current_focus_w = nullptr;
QRadioButton *rbtn = nullptr;
QCheckBox *ckb = nullptr;
QPushButton *btn = nullptr;
QListWidgetItem *lwitem = nullptr;

// The focused button of a menu, when it is of the named kind.
QRadioButton *focusedRadio(QWidget *menu)
{
    current_focus_w = menu ? menu->focusWidget() : nullptr;
    rbtn = qobject_cast<QRadioButton *>(current_focus_w);
    return rbtn;
}
QCheckBox *focusedCheck(QWidget *menu)
{
    current_focus_w = menu ? menu->focusWidget() : nullptr;
    ckb = qobject_cast<QCheckBox *>(current_focus_w);
    return ckb;
}
QPushButton *focusedPush(QWidget *menu)
{
    current_focus_w = menu ? menu->focusWidget() : nullptr;
    btn = qobject_cast<QPushButton *>(current_focus_w);
    return btn;
}

void clickFocusedRadio(QWidget *menu) { click(focusedRadio(menu)); }
void clickFocusedCheck(QWidget *menu) { click(focusedCheck(menu)); }
void clickFocusedPush(QWidget *menu) { click(focusedPush(menu)); }
// Clicks the focused push button and gives it the focus back.
void clickFocusedPushKeepFocus(QWidget *menu)
{
    if (QPushButton *b = focusedPush(menu)) {
        b->click();
        b->setFocus(Qt::OtherFocusReason);
    }
}

bool anyCursorMoveFlag()
{
    return viewState.moveCursorOneLabelEnabled || viewState.moveCursorTwoLabelEnabled ||
        viewState.moveCursorThreeLabelEnabled;
}

const char *const kCursorStopped = "background-image: url(:/images/focus_2.png);\ncolor: rgb(255, 255, 255);";

}   // namespace

// ---- set-up ------------------------------------------------------------------------------

void Norvik7::setupKeyInput()
{
    keys::resetState();
    for (QWidget *menu : menuWindows())
        menuStack.track(menu);

    // The software key buttons, in connection order. (The moves of the live
    // view's cursors connect first on each arrow button: up, right, down and
    // left come before the slots below.)
    connect(ok_pushButton, &QPushButton::clicked, mainMenu, &MainMenu::mainMenuEnable);
    connect(ok_pushButton, &QPushButton::clicked, dateTimeSetMenu, &DateTimeSetMenu::changeCurrentDateTimeSetting);
    connect(pushButton_7, &QPushButton::clicked, dateTimeSetMenu, &DateTimeSetMenu::upToChangeCurrentSetting);
    connect(pushButton_7, &QPushButton::clicked, hiloAlertSetMenu, &HiLoAlertSetMenu::upToUpdateHiLoAlertSetting);
    connect(pushButton_7, &QPushButton::clicked, measurementSetMenu, &MeasurementSetMenu::measurement_upkey_press);
    connect(pushButton_8, &QPushButton::clicked, dateTimeSetMenu, &DateTimeSetMenu::nextToUpdateDateTimeSetting);
    connect(pushButton_8, &QPushButton::clicked, alignmentDistanceMenu,
            &AlignmentDistanceMenu::upToUpdateAlignmentDistance);
    connect(pushButton_9, &QPushButton::clicked, dateTimeSetMenu, &DateTimeSetMenu::downToChangeCurrentSetting);
    connect(pushButton_9, &QPushButton::clicked, hiloAlertSetMenu, &HiLoAlertSetMenu::downToUpdateHiLoAlertSetting);
    connect(pushButton_9, &QPushButton::clicked, measurementSetMenu, &MeasurementSetMenu::measurement_downkey_press);
    connect(pushButton_10, &QPushButton::clicked, dateTimeSetMenu, &DateTimeSetMenu::previousToUpdateDateTimeSetting);
    connect(pushButton_10, &QPushButton::clicked, alignmentDistanceMenu,
            &AlignmentDistanceMenu::downToUpdateAlignmentDistance);
    // Closing the main menu, however it happens, redraws the alignment page's
    // labels from the distance it shows.
    connect(mainMenu, &MainMenu::mainMenuHidden, alignmentDistanceMenu,
            &AlignmentDistanceMenu::updateAlignmentDistance);
    connect(pushButton_13, &QPushButton::clicked, imageListViewer, &ImageListViewer::imageListViewerEnable);
    connect(pushButton_14, &QPushButton::clicked, this, &Norvik7::hideMainMenu);

    // The menu tips of the main menu bar and its pop-ups.
    connect(mainMenu, &MainMenu::mainMenuUpdateMenuTips, this, &Norvik7::setMenuTipsLabel);
    connect(tempSubMenu, &TempSubMenu::tempMenuUpdateMenuTips, this, &Norvik7::setMenuTipsLabel);
    connect(colorSubMenu, &ColorSubMenu::colorMenuUpdateMenuTips, this, &Norvik7::setMenuTipsLabel);
    connect(cursorSubMenu, &CursorSubMenu::cursorMenuUpdateMenuTips, this, &Norvik7::setMenuTipsLabel);
    connect(imageModeSubMenu, &ImageModeSubMenu::imageModeMenuUpdateMenuTips, this, &Norvik7::setMenuTipsLabel);
    connect(alignmentDistanceMenu, &AlignmentDistanceMenu::alignmentDistanceMenuUpdateMenuTips, this,
            &Norvik7::setMenuTipsLabel);
}

// ---- reading the key device ----------------------------------------------------------------

void Norvik7::kbdReadyRead()
{
    if (!board::keyDeviceSetRepeat(kbdFd, 500, 300))
        std::printf("set repeat_param fail!\n");

    // The board's device blocks: one read per wake, which gives every whole
    // record waiting. The simulated board's FIFO does not: drain it, but never
    // more than a bounded number of records per wake, so that a flood of
    // events cannot hold the GUI; the notifier wakes again for the rest.
    const int flags = ::fcntl(kbdFd, F_GETFL);
    const bool drain = flags >= 0 && (flags & O_NONBLOCK);
    const int recordSize = keyStream.recordSize();
    char buf[64 * 24];
    const int whole = (static_cast<int>(sizeof buf) / recordSize) * recordSize;
    int handled = 0;
    bool failed = false;
    for (;;) {
        // The last read of a wake asks only for what the bound leaves (the
        // buffer holds 64 records of 24 bytes but 96 of the board's 16).
        const int want = std::min(whole, (kMaxKeyRecordsPerWake - handled) * recordSize);
        const ssize_t n = ::read(kbdFd, buf, static_cast<size_t>(want));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 1) {
            failed = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK);
            break;
        }
        keyStream.append(buf, static_cast<int>(n));
        while (keyStream.hasRecord())
            handleKeyRecord(keyStream.take());
        handled += static_cast<int>(n) / recordSize;
        if (!drain || n < want || handled >= kMaxKeyRecordsPerWake)
            break;
    }
    // A record cut short waits for its rest; nothing of it is acted on yet.
    if (failed || keyStream.pending() > 0)
        std::printf("read fail!\n");
}

void Norvik7::handleKeyRecord(const keys::KeyRecord &record)
{
    code = record.code;
    if (!isVisible())
        return;   // booting: read and thrown away
    keyCodeText = keys::codeText(code);
    keys::setLongPress(record.value == keyvalue::Repeat);
    if (record.value < keyvalue::Release || record.value > keyvalue::Repeat)
        return;
    if (!dispatchKey(code, record.value)) {
        qCDebug(lcApp) << "Unkown Key! The key code is: " << keyCodeText;
        return;
    }
    code = 0;
    powerState.powerOffCount = 0;
}

bool Norvik7::dispatchKey(int keyCode, int value)
{
    switch (keyCode) {
    case keycode::Sync:
        return true;
    case keycode::Up:
        keyUp(value);
        return true;
    case keycode::Down:
        keyDown(value);
        return true;
    case keycode::Left:
        keyLeft(value);
        return true;
    case keycode::Right:
        keyRight(value);
        return true;
    case keycode::Ok:
        keyOk(value);
        return true;
    case keycode::Back:
        keyBack(value);
        return true;
    case keycode::Trigger:
        keyTrigger(value);
        return true;
    case keycode::Gallery:
        keyGallery(value);
        return true;
    default:
        return false;
    }
}

// ---- conditions shared by several keys ----------------------------------------------------------

// A factory reset, a card format or a gain switch is running.
bool Norvik7::busy() const
{
    return !factoryResetSetMenu->factoryResetDone || !formatSdcardSetMenu->formatSdcardDone ||
        !temperatureScaleSetMenu->temperatureScaleSwitchDone || !calTempSubMenu->gainSwitchIdle;
}

bool Norvik7::editingDateTime() const { return dateTimeSetMenu->editing; }

// While a HI/LO threshold or a measurement is edited and its value button has
// the focus, clicks that button (which ends the edit). True when it did.
bool Norvik7::clickEditedValue()
{
    return firstOf({
        {"HI/LO value being edited",
         [&] {
             const QWidget *f = hiloAlertSetMenu->focusWidget();
             return hiloAlertSetMenu->editing && f &&
                 (f == hiloAlertSetMenu->pushButton || f == hiloAlertSetMenu->pushButton_2);
         },
         [&] { focusedPush(hiloAlertSetMenu)->click(); }},
        {"measurement being edited",
         [&] {
             const QWidget *f = measurementSetMenu->focusWidget();
             return measurementSetMenu->editing && f &&
                 (f == measurementSetMenu->pushButton_emissivity || f == measurementSetMenu->pushButton_temp ||
                  f == measurementSetMenu->pushButton_distance);
         },
         [&] { focusedPush(measurementSetMenu)->click(); }},
    });
}

// ---- the arrows ----------------------------------------------------------------------------------

void Norvik7::afterArrow(int value, bool forward)
{
    // The focus goes to the previous (up, left) or next (down, right) entry of
    // the menu on top, unless a rule put it somewhere itself.
    if (value != keyvalue::Release && !focusSetByRule)
        menuStack.moveFocusOnTop(forward);
    focusSetByRule = false;
}

void Norvik7::keyUp(int value)
{
    keys::setArrowState(keycode::Up, value);
    if (value == keyvalue::Release)
        return;
    const bool press = value == keyvalue::Press;
    focusSetByRule = false;
    steps({
        {"1. the software up key", always, [&] { pushButton_7->click(); }},
        {"2. gallery bars", always,
         [&] {
             firstOf({
                 {"video playing: its bar instead, paused", [&] { return shown(videoPlayerMenu); },
                  [&] {
                      videoViewerSubMenu->show();
                      videoWidget->videoPause();
                      videoPlayerMenu->hide();
                  }},
                 // The question sits over the image's bar: it takes the key.
                 {"delete question", [&] { return shown(deleteImageMenu); }, [&] { toggleFocus(deleteImageMenu); }},
                 {"image bar", [&] { return shown(imageViewerSubMenu); }, [&] { toggleFocus(imageViewerSubMenu); }},
                 {"save panel", [&] { return shown(imageVideoSaveMenu); }, [&] { toggleFocus(imageVideoSaveMenu); }},
                 {"list at its top rows: the previous page",
                  [&] {
                      const int row = imageListViewer->ImageList->currentRow();
                      return press && shown(imageListViewer) && !shown(imageViewer) && row >= 0 && row <= 2;
                  },
                  [&] { imageListViewer->showPreviousImageList(); }},
             });
         }},
        {"3. UP with DOWN in the live view: temperature calibration",
         [&] {
             return keys::heldTogether(keys::arrowState(keycode::Up), keys::arrowState(keycode::Down)) &&
                 allHidden(mainMenu, imageListViewer, upgradeSubMenu);
         },
         [&] {
             firstOf({
                 {"image calibration open", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToUp(); }},
                 {"not over a capture, a cursor or the blend",
                  [&] { return shown(imageVideoSaveMenu) || anyCursorMoveFlag() || acqState.image_mode.load() == 2; },
                  [] {}},
                 {"open it, and no auto power-off meanwhile", always,
                  [&] {
                      calTempButton->click();
                      clickButton(autoPowerOffSetSubMenu, 3);
                      emit updateCalTempSubMenuMode(1);
                      focusSetByRule = true;   // the focus stays where the page puts it
                  }},
             });
         },
         Flow::Stop},
        {"4. image calibration: move up", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToUp(); }},
    });
    afterArrow(value, false);
}

void Norvik7::keyDown(int value)
{
    keys::setArrowState(keycode::Down, value);
    if (value == keyvalue::Release)
        return;
    focusSetByRule = false;
    steps({
        {"1. the software down key", always, [&] { pushButton_9->click(); }},
        {"2. gallery bars", always,
         [&] {
             firstOf({
                 // The question sits over the image's bar: it takes the key.
                 {"delete question", [&] { return shown(deleteImageMenu); }, [&] { toggleFocus(deleteImageMenu); }},
                 {"image bar", [&] { return shown(imageViewerSubMenu); }, [&] { toggleFocus(imageViewerSubMenu); }},
                 {"save panel", [&] { return shown(imageVideoSaveMenu); }, [&] { toggleFocus(imageVideoSaveMenu); }},
             });
         }},
        {"3. image calibration: move down", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToDown(); }},
    });
    afterArrow(value, true);
}

void Norvik7::keyLeft(int value)
{
    keys::setArrowState(keycode::Left, value);
    if (value == keyvalue::Release)
        return;
    const bool press = value == keyvalue::Press;
    focusSetByRule = false;
    const bool editingAlert = shown(hiloAlertSetMenu) && hiloAlertSetMenu->editing;
    steps({
        {"1. a HI/LO threshold being edited keeps the key", [&] { return editingAlert; }, [] {}, Flow::Stop},
        {"2. the software left key", always, [&] { pushButton_10->click(); }},
        {"3. gallery focus", always,
         [&] {
             if (press && shown(imageViewer)) {
                 firstOf({
                     {"delete question", [&] { return shown(deleteImageMenu); },
                      [&] { focusButton(deleteImageMenu, 1); }},
                     {"image bar", [&] { return shown(imageViewerSubMenu); },
                      [&] { focusButton(imageViewerSubMenu, 1); }},
                     {"previous image", [&] { return !shown(imageDetailInfoMenu); },
                      [&] {
                          clickButton(imageViewer, 0);
                          clickButton(imageViewerMenu, 0);
                          focusButton(imageViewerMenu, 0);
                      }},
                 });
                 return;
             }
             firstOf({
                 {"image bar", [&] { return shown(imageViewerSubMenu); }, [&] { focusButton(imageViewerSubMenu, 1); }},
                 {"save panel", [&] { return shown(imageVideoSaveMenu); }, [&] { focusButton(imageVideoSaveMenu, 1); }},
                 {"video: step back", [&] { return shown(videoPlayerMenu) && press; },
                  [&] {
                      clickButton(videoPlayerMenu, 1);
                      focusButton(videoPlayerMenu, 1);
                  }},
                 {"video bar", [&] { return shown(videoWidget) && shown(videoViewerSubMenu) && press; },
                  [&] { focusButton(videoViewerSubMenu, 1); }},
             });
         }},
        {"4. LEFT with RIGHT in the thermal view: upgrade",
         [&] {
             return keys::heldTogether(keys::arrowState(keycode::Left), keys::arrowState(keycode::Right)) &&
                 allHidden(mainMenu, imageListViewer, calTempSubMenu, calImageSubMenu, imageVideoSaveMenu) &&
                 !anyCursorMoveFlag() && acqState.image_mode.load() == 0;
         },
         [&] {
             upgradeButton->click();
             focusSetByRule = true;
         },
         Flow::Stop},
        {"5. LEFT with DOWN, not in the blend: image calibration",
         [&] {
             return keys::heldTogether(keys::arrowState(keycode::Left), keys::arrowState(keycode::Down)) &&
                 allHidden(mainMenu, imageListViewer, calTempSubMenu, upgradeSubMenu, imageVideoSaveMenu) &&
                 !anyCursorMoveFlag() && acqState.image_mode.load() != 2;
         },
         [&] {
             calImageButton->click();
             focusSetByRule = true;
         },
         Flow::Stop},
        {"6. plain LEFT: less transparency, or the image calibration",
         [&] { return !anyCursorMoveFlag() && allHidden(mainMenu, imageListViewer, imageVideoSaveMenu); },
         [&] {
             firstOf({
                 {"image calibration", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToLeft(); }},
                 {"upgrade open", [&] { return shown(upgradeSubMenu); }, [] {}},
                 {"live view", always, [&] { decreaseTrans(); }},
             });
         },
         Flow::Stop},
        {"7. image calibration: move left", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToLeft(); }},
    });
    if (!editingAlert)
        afterArrow(value, false);
    focusSetByRule = false;
}

void Norvik7::keyRight(int value)
{
    keys::setArrowState(keycode::Right, value);
    if (value == keyvalue::Release)
        return;
    const bool press = value == keyvalue::Press;
    focusSetByRule = false;
    steps({
        {"1. the software right key", always, [&] { pushButton_8->click(); }},
        {"2. gallery focus", always,
         [&] {
             if (press && shown(imageViewer)) {
                 firstOf({
                     {"delete question", [&] { return shown(deleteImageMenu); },
                      [&] { focusButton(deleteImageMenu, 0); }},
                     {"image bar", [&] { return shown(imageViewerSubMenu); },
                      [&] { focusButton(imageViewerSubMenu, 0); }},
                     {"next image", [&] { return !shown(imageDetailInfoMenu); },
                      [&] {
                          clickButton(imageViewer, 1);
                          clickButton(imageViewerMenu, 1);
                          focusButton(imageViewerMenu, 1);
                      }},
                 });
                 return;
             }
             firstOf({
                 {"image bar", [&] { return shown(imageViewerSubMenu); }, [&] { focusButton(imageViewerSubMenu, 0); }},
                 {"save panel", [&] { return shown(imageVideoSaveMenu); }, [&] { focusButton(imageVideoSaveMenu, 0); }},
                 {"video: step forward", [&] { return shown(videoPlayerMenu) && press; },
                  [&] {
                      clickButton(videoPlayerMenu, 2);
                      focusButton(videoPlayerMenu, 2);
                  }},
                 {"video bar", [&] { return shown(videoWidget) && shown(videoViewerSubMenu) && press; },
                  [&] { focusButton(videoViewerSubMenu, 0); }},
             });
         }},
        {"3. plain RIGHT: more transparency, or the image calibration",
         [&] { return !anyCursorMoveFlag() && allHidden(mainMenu, imageListViewer, imageVideoSaveMenu); },
         [&] {
             firstOf({
                 {"image calibration", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToRight(); }},
                 {"upgrade open", [&] { return shown(upgradeSubMenu); }, [] {}},
                 {"live view", always, [&] { increaseTrans(); }},
             });
         },
         Flow::Stop},
        {"4. image calibration: move right", [&] { return shown(calImageSubMenu); }, [&] { imageMoveToRight(); }},
    });
    afterArrow(value, true);
}

// ---- OK ------------------------------------------------------------------------------------------

void Norvik7::keyOk(int value)
{
    if (value != keyvalue::Press)
        return;
    firstOf({
        {"1. temperature calibration", [&] { return shown(calTempSubMenu); },
         [&] { clickFocusedPush(calTempSubMenu); }},
        {"2. upgrade", [&] { return shown(upgradeSubMenu); }, [&] { clickFocusedPush(upgradeSubMenu); }},
        {"3. image calibration", [&] { return shown(calImageSubMenu); },
         [&] {
             clickFocusedPush(calImageSubMenu);
             qCDebug(lcApp) << "calImageSubMenu btn clicked!";
         }},
        {"4. busy: nothing", [&] { return busy(); }, [] {}},
        {"5. first-boot language", [&] { return shown(bootSettingsMenu); },
         [&] {
             clickFocusedRadio(bootSettingsMenu);
             clickFocusedPush(bootSettingsMenu);
         }},
        {"6. video: play or pause", [&] { return shown(videoPlayerMenu); },
         [&] {
             clickButton(videoPlayerMenu, 0);
             qCDebug(lcApp) << "videoPlayerMenu isVisible";
         }},
        {"7. gallery", [&] { return shown(imageListViewer); },
         [&] {
             if (shown(imageViewer)) {
                 firstOf({
                     {"image shown: its bar", [&] { return shown(imageViewerMenu); },
                      [&] {
                          imageViewerSubMenu->show();
                          focusButton(imageViewerSubMenu, 0);
                          imageViewerMenu->hide();
                      }},
                     {"image bar", [&] { return shown(imageViewerSubMenu); },
                      [&] {
                          clickFocusedPushKeepFocus(shown(deleteImageMenu) ? static_cast<QWidget *>(deleteImageMenu)
                                                                           : imageViewerSubMenu);
                      }},
                 });
                 return;
             }
             firstOf({
                 {"list: open the selected item", [&] { return !shown(videoWidget); },
                  [&] {
                      lwitem = imageListViewer->ImageList->currentItem();
                      if (imageListViewer->ImageList->count() > 0)
                          imageListViewer->showSelectedImage(lwitem);
                  }},
                 {"video bar", [&] { return shown(videoViewerSubMenu); },
                  [&] {
                      clickFocusedPushKeepFocus(shown(deleteImageMenu) ? static_cast<QWidget *>(deleteImageMenu)
                                                                       : videoViewerSubMenu);
                  }},
             });
         }},
        {"8. save panel", [&] { return shown(imageVideoSaveMenu); },
         [&] { clickFocusedPushKeepFocus(imageVideoSaveMenu); }},
        {"9. main menu and what it opened", [&] { return shown(mainMenu) && !shown(dateTimeSetMenu); },
         [&] {
             if (shown(settingSubMenu)) {
                 const bool choice = firstOf({
                     {"language", [&] { return shown(languageSetSubMenu); },
                      [&] { clickFocusedRadio(languageSetSubMenu); }},
                     {"temperature unit", [&] { return shown(temperatureUnitSetMenu); },
                      [&] { clickFocusedRadio(temperatureUnitSetMenu); }},
                     {"display brightness", [&] { return shown(displayIntensitySetSubMenu); },
                      [&] { clickFocusedRadio(displayIntensitySetSubMenu); }},
                     {"auto power off", [&] { return shown(autoPowerOffSetSubMenu); },
                      [&] { clickFocusedRadio(autoPowerOffSetSubMenu); }},
                     {"format card", [&] { return shown(formatSdcardSetMenu); },
                      [&] { clickFocusedRadio(formatSdcardSetMenu); }},
                     {"factory reset", [&] { return shown(factoryResetSetMenu); },
                      [&] { clickFocusedRadio(factoryResetSetMenu); }},
                     {"device information", [&] { return shown(deviceInformationSubMenu); },
                      [&] { clickFocusedRadio(deviceInformationSubMenu); }},
                     {"temperature scale", [&] { return shown(temperatureScaleSetMenu); },
                      [&] { clickFocusedRadio(temperatureScaleSetMenu); }},
                     {"auto save", [&] { return shown(autoSaveSetSubMenu); },
                      [&] { clickFocusedRadio(autoSaveSetSubMenu); }},
                     {"USB mode", [&] { return shown(usbConnectModeSubMenu); },
                      [&] { clickFocusedRadio(usbConnectModeSubMenu); }},
                     {"Wi-Fi", [&] { return shown(wifiSubMenu); }, [&] { clickFocusedRadio(wifiSubMenu); }},
                     {"HI/LO alert", [&] { return shown(hiloAlertSetMenu); },
                      [&] {
                          clickFocusedRadio(hiloAlertSetMenu);
                          clickFocusedPush(hiloAlertSetMenu);
                      }},
                 });
                 if (!choice) {
                     clickFocusedPush(shown(measurementSetMenu)         ? static_cast<QWidget *>(measurementSetMenu)
                                          : shown(systemSettingSubMenu) ? static_cast<QWidget *>(systemSettingSubMenu)
                                                                        : static_cast<QWidget *>(settingSubMenu));
                 }
                 return;
             }
             firstOf({
                 {"image mode", [&] { return shown(imageModeSubMenu); }, [&] { clickFocusedRadio(imageModeSubMenu); }},
                 {"point temperature", [&] { return shown(cursorSubMenu); }, [&] { clickFocusedCheck(cursorSubMenu); }},
                 {"measurement", [&] { return shown(tempSubMenu); }, [&] { clickFocusedCheck(tempSubMenu); }},
                 {"palette", [&] { return shown(colorSubMenu); }, [&] { clickFocusedRadio(colorSubMenu); }},
                 {"alignment", [&] { return shown(alignmentDistanceMenu); },
                  [&] { clickFocusedPush(alignmentDistanceMenu); }},
                 {"the bar itself", always, [&] { clickFocusedPushKeepFocus(mainMenu); }},
             });
         }},
        {"10. a moving cursor stops", [&] { return !shown(mainMenu) && anyCursorMoveFlag(); },
         [&] {
             firstOf({
                 {"cursor 1", [&] { return viewState.moveCursorOneLabelEnabled; },
                  [&] {
                      viewState.moveCursorOneLabelEnabled = false;
                      MoveCursorOneLabel->setStyleSheet(QString::fromLatin1(kCursorStopped));
                  }},
                 {"cursor 2", [&] { return viewState.moveCursorTwoLabelEnabled; },
                  [&] {
                      viewState.moveCursorTwoLabelEnabled = false;
                      MoveCursorTwoLabel->setStyleSheet(QString::fromLatin1(kCursorStopped));
                  }},
                 {"cursor 3", [&] { return viewState.moveCursorThreeLabelEnabled; },
                  [&] {
                      viewState.moveCursorThreeLabelEnabled = false;
                      MoveCursorThreeLabel->setStyleSheet(QString::fromLatin1(kCursorStopped));
                  }},
             });
             focusButton(mainMenu, 0);
         }},
        {"11. the software OK key (opens the main menu)", [&] { return !shown(initializingLabel); },
         [&] { ok_pushButton->click(); }},
    });
}

// ---- back ----------------------------------------------------------------------------------------

void Norvik7::showShutterTip()
{
    menuTipsLabel->setText(tr("Calibrating..."));
    menuTipsLabel->adjustSize();
    menuTipsLabel->move((240 - menuTipsLabel->width()) / 2, shown(Zone) ? 50 : 70);
    menuTipsLabel->show();
    menuTipsLabel->raise();
    QTimer::singleShot(shown(calTempSubMenu) ? 1500 : 500, menuTipsLabel, &QLabel::hide);
}

void Norvik7::keyBack(int value)
{
    if (value == keyvalue::Release)
        return;
    steps({
        {"1. save panel: cancel the capture", [&] { return shown(imageVideoSaveMenu); }, [&] { isSaveImageVideo(); },
         Flow::Stop},
        {"2. live view: a shutter correction, at least 3 s apart",
         [&] {
             return allHidden(mainMenu, imageListViewer, calImageSubMenu, upgradeSubMenu, bootSettingsMenu,
                              static_cast<QWidget *>(initializingLabel)) &&
                 calTempSubMenu->shutterReady;
         },
         [&] {
             showShutterTip();
             requestShutterCorrection();
             calTempSubMenu->cmd_KBC_B_CAL();
         }},
        {"3. an edited value ends, else back one level", [&] { return !editingDateTime(); },
         [&] {
             if (clickEditedValue())
                 return;
             snapshotImage();
             if (!busy())
                 pushButton_14->click();
         },
         Flow::Stop},
        {"4. the date being edited: its edit ends", always, [&] { ok_pushButton->click(); }},
    });
}

// ---- trigger -----------------------------------------------------------------------------------------

void Norvik7::keyTrigger(int value)
{
    if (!allHidden(calTempSubMenu, upgradeSubMenu, calImageSubMenu, bootSettingsMenu,
                   static_cast<QWidget *>(initializingLabel)) ||
        busy())
        return;
    switch (keys::triggerStep(key_state1, key_state2, key_state3, value)) {
    case keys::TriggerAction::LongPress:
        firstOf({
            {"save panel: its focused choice", [&] { return shown(imageVideoSaveMenu); },
             [&] {
                 clickSecondIfFocusedElseFirst(imageVideoSaveMenu);
                 qCDebug(lcApp) << "imageVideoSaveMenu ...";
             }},
            {"over a menu or the gallery: capture", [&] { return shown(mainMenu) || shown(imageListViewer); },
             [&] {
                 saveTriggerButton->click();
                 qCDebug(lcApp) << "ok1 clicked";
             }},
        });
        break;
    case keys::TriggerAction::ShortPress:
        firstOf({
            {"capture (and save at once with auto save)", [&] { return viewState.saveImageDone.load(); },
             [&] {
                 saveTriggerButton->click();
                 if (autoSaveSetSubMenu->autoSave()) {
                     clickButton(imageVideoSaveMenu, 1);
                     qCDebug(lcApp) << "auto save";
                 } else {
                     qCDebug(lcApp) << "saveImageDone is true, ok1 clicked";
                 }
             }},
            {"a save running: the panel's focused choice", [&] { return shown(imageVideoSaveMenu); },
             [&] { clickSecondIfFocusedElseFirst(imageVideoSaveMenu); }},
        });
        break;
    case keys::TriggerAction::None:
        break;
    }
}

// ---- gallery --------------------------------------------------------------------------------------------

void Norvik7::keyGallery(int value)
{
    if (value != keyvalue::Press)
        return;
    if (!allHidden(calTempSubMenu, upgradeSubMenu, calImageSubMenu, bootSettingsMenu,
                   static_cast<QWidget *>(initializingLabel), imageVideoSaveMenu) ||
        busy())
        return;
    steps({
        {"1. live view: open the gallery", [&] { return allHidden(mainMenu, imageListViewer); },
         [&] { pushButton_13->click(); }, Flow::Stop},
        {"2. an edited value ends", [&] { return !editingDateTime(); }, [&] { clickEditedValue(); }},
        {"2. the date being edited: its edit ends", [&] { return editingDateTime(); }, [&] { ok_pushButton->click(); }},
        {"3. back to the live view", always,
         [&] {
             // One level at a time; a screen that will not close (a value
             // still being edited) ends the walk instead of spinning.
             while ((shown(mainMenu) || shown(imageListViewer)) && closeOneLevel()) {}
         }},
    });
}

// ---- back one level ---------------------------------------------------------------------------------------

void Norvik7::hideMainMenu() { closeOneLevel(); }

bool Norvik7::closeOneLevel()
{
    bool closed = false;
    auto hide = [&](QWidget *w) {
        if (shown(w)) {
            w->hide();
            closed = true;
        }
    };
    auto hideFirst = [&](std::initializer_list<QWidget *> ws) {
        for (QWidget *w : ws) {
            if (shown(w)) {
                hide(w);
                return true;
            }
        }
        return false;
    };

    // The alignment page opens over the live view only; back leaves it (the
    // offsets moved stay in use until the program ends unless saved).
    if (shown(calImageSubMenu)) {
        hide(calImageSubMenu);
        qCDebug(lcApp) << "CalImageSubMenu hide";
        return closed;
    }
    // The upgrade panel opened by a stray combination, or whose look-up
    // found nothing, is left with back; after an upgrade it stays until the
    // device is powered off.
    if (shown(upgradeSubMenu) && !upgradeSubMenu->upgraded()) {
        hide(upgradeSubMenu);
        return closed;
    }
    if (!shown(mainMenu) && shown(imageListViewer)) {
        if (shown(imageViewer)) {
            if (shown(imageViewerMenu)) {
                hide(imageViewerMenu);
                hide(imageViewer);
            } else if (shown(imageViewerSubMenu)) {
                if (!hideFirst({deleteImageMenu, imageDetailInfoMenu})) {
                    hide(imageViewerSubMenu);
                    imageViewerMenu->show();
                }
            } else if (!hideFirst({deleteImageMenu, imageDetailInfoMenu})) {
                hide(imageViewer);
            }
        } else if (shown(videoWidget)) {
            if (shown(videoPlayerMenu)) {
                hide(videoPlayerMenu);
                hide(videoWidget);
                videoWidget->videoPlayStop();
            } else if (shown(videoViewerSubMenu)) {
                if (!hideFirst({deleteImageMenu, videoDetailInfoMenu})) {
                    hide(videoViewerSubMenu);
                    videoPlayerMenu->show();
                }
            } else if (!hideFirst({deleteImageMenu, videoDetailInfoMenu})) {
                hide(videoWidget);
                videoWidget->videoPlayStop();
            }
        } else if (shown(imageViewerSubMenu) || shown(videoViewerSubMenu)) {
            hide(imageViewerSubMenu);
            hide(videoViewerSubMenu);
        } else {
            imageListViewer->imageListViewerEnable();
            hide(imageListViewer);
        }
        qCDebug(lcApp) << "ImageListViewer isVisible";
    } else if (shown(tempSubMenu) || shown(colorSubMenu) || shown(cursorSubMenu) || shown(imageModeSubMenu) ||
               shown(alignmentDistanceMenu)) {
        qCDebug(lcApp) << "MainMenu isVisible";
        if (shown(tempSubMenu)) {
            hide(tempSubMenu);
        } else if (shown(colorSubMenu)) {
            hide(colorSubMenu);
            colorSubMenu->colorSubMenuAutoUpdate();
        } else if (shown(cursorSubMenu)) {
            hide(cursorSubMenu);
        } else if (shown(imageModeSubMenu)) {
            hide(imageModeSubMenu);
        } else {
            alignmentDistanceMenu->updateAlignmentDistance();
            hide(alignmentDistanceMenu);
        }
    } else if (shown(settingSubMenu)) {
        // The sub-screens of the settings list, then the system list's, then
        // the system list itself; a value being edited keeps its screen open.
        const std::initializer_list<QWidget *> screens = {
            languageSetSubMenu,       displayIntensitySetSubMenu, autoPowerOffSetSubMenu,
            dateTimeSetMenu,          temperatureScaleSetMenu,    temperatureUnitSetMenu,
            hiloAlertSetMenu,         measurementSetMenu,         usbConnectModeSubMenu,
            deviceInformationSubMenu, factoryResetSetMenu,        formatSdcardSetMenu,
            autoSaveSetSubMenu,       wifiOpenStatusMenu,         wifiSubMenu,
            systemSettingSubMenu,
        };
        QWidget *top = nullptr;
        for (QWidget *w : screens) {
            if (shown(w)) {
                top = w;
                break;
            }
        }
        const bool editing = (top == dateTimeSetMenu && dateTimeSetMenu->editing) ||
            (top == hiloAlertSetMenu && hiloAlertSetMenu->editing) ||
            (top == measurementSetMenu && measurementSetMenu->editing);
        if (top && !editing) {
            hide(top);
            qCDebug(lcApp) << top->objectName() << "hide";
        } else if (!top) {
            hide(settingSubMenu);
            qCDebug(lcApp) << "SettingSubMenu hide";
        }
    } else {
        hide(mainMenu);
        qCDebug(lcApp) << "MainMenu hide";
    }

    // The screen below gets the keyboard back with its own focused entry.
    if (closed) {
        QWidget *below = menuStack.top();
        if (!below)
            below = this;
        below->activateWindow();
        if (QWidget *f = below->focusWidget())
            f->setFocus(Qt::OtherFocusReason);
    }
    return closed;
}

// ---- menu tips, mouse and focus --------------------------------------------------------------------------------

void Norvik7::setMenuTipsLabel(QString text, int x, int y, int flags)
{
    qCDebug(lcApp) << "setmenutipsLabel";
    if (!(flags & 128)) {
        menuTipsLabel->hide();
        return;
    }
    menuTipsLabel->setText(text);
    menuTipsLabel->adjustSize();
    const int w = menuTipsLabel->width();
    const int h = menuTipsLabel->height();
    // Worked out in screen positions, where the menus are; the label is inside this window.
    int top = y;
    for (QWidget *popup : {static_cast<QWidget *>(tempSubMenu), static_cast<QWidget *>(colorSubMenu),
                           static_cast<QWidget *>(cursorSubMenu), static_cast<QWidget *>(imageModeSubMenu)}) {
        if (shown(popup)) {
            top = popup->geometry().top();
            break;
        }
    }
    int left = x - w / 2;
    if (left < 2)
        left = 2;
    if (x + w / 2 > 238)
        left = 239 - w;
    if (shown(alignmentDistanceMenu))
        left = alignmentDistanceMenu->geometry().left();
    menuTipsLabel->move(menuTipsLabel->parentWidget()->mapFromGlobal(QPoint(left, top - 2 - h)));
    menuTipsLabel->show();
    menuTipsLabel->raise();
}

void Norvik7::mousePressEvent(QMouseEvent *event)
{
    qCDebug(lcApp) << event;
    if (event->button() == Qt::LeftButton)
        qCDebug(lcApp) << "The LeftButton clicked.";
    else if (event->button() == Qt::RightButton)
        qCDebug(lcApp) << "The RightButton clicked.";
    // A tap on the live view, with no menu over it, captures like the trigger.
    if (!menuStack.top())
        saveTriggerButton->click();
    QMainWindow::mousePressEvent(event);
}

void Norvik7::focusInEvent(QFocusEvent *event)
{
    qCDebug(lcApp) << "FocusIn Event.";
    QMainWindow::focusInEvent(event);
}
