// The key dispatcher driven as a person drives the device: records written
// into the key device of a simulated board, read by the program's own
// notifier, and the screens that come and go.
#include "core/config.h"
#include "core/keystate.h"
#include "app/keyrecords.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/norvik7.h"
#include "app/power.h"
#include "board/board.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/livedevice.h"
#include "common/testboard.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/detailinfomenus.h"
#include "settings/menus/datetimesetmenu.h"
#include "liveview/viewstate.h"
#include "settings/menus/upgradesubmenu.h"

#include <QAbstractButton>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

#include <linux/input.h>
#include <sys/ioctl.h>

#include <memory>

namespace {

// Keys as a person presses them.
using Device = LiveDevice;

QAbstractButton *entry(QWidget *menu, int i) { return qobject_cast<MenuWindow *>(menu)->buttons().value(i); }

}   // namespace

class TestDispatcher : public QObject {
    Q_OBJECT
private slots:
    void init() { keys::resetState(); }

    void settingsTreeLevels_data();
    void settingsTreeLevels();
    void anEditEndsWithItsScreen_data();
    void anEditEndsWithItsScreen();
    void mainMenuPopups_data();
    void mainMenuPopups();
    void galleryKeyReturnsToTheLiveView();
    void deleteQuestionFocusMovesOnce();
    void imageViewerStepsWithLeftAndRight_data();
    void imageViewerStepsWithLeftAndRight();
    void tapOnTheLiveViewCaptures();

    void keysDuringBootAreDiscarded();
    void whatResetsThePowerOffCount_data();
    void whatResetsThePowerOffCount();
    void shortRecordWaitsForItsRest();
    void floodIsReadInBoundedSlices();

    void keyCombinations_data();
    void keyCombinations();

    void triggerShortAndLongPress_data();
    void triggerShortAndLongPress();
    void backTwiceInTheLiveViewOneShutter();

    void menuTipPlacement_data();
    void menuTipPlacement();
};

// ---- navigation --------------------------------------------------------------------------------

void TestDispatcher::settingsTreeLevels_data()
{
    // Entry of the settings list, entry of the system list (-1: none) and the
    // screen that opens.
    QTest::addColumn<int>("settingsEntry");
    QTest::addColumn<int>("systemEntry");
    QTest::addColumn<QString>("screen");
    QTest::newRow("Language") << 0 << -1 << "LanguageSetSubMenu";
    QTest::newRow("Date and Time") << 1 << -1 << "DateTimeSetMenu";
    QTest::newRow("Temperature unit") << 2 << -1 << "TemperatureUnitSetMenu";
    QTest::newRow("HI/LO Alert") << 3 << -1 << "HiLoAlertSetMenu";
    QTest::newRow("Temperature scale") << 4 << -1 << "TemperatureScaleSetMenu";
    QTest::newRow("Display brightness") << 5 << -1 << "DisplayIntensitySetSubMenu";
    QTest::newRow("Auto power off") << 6 << -1 << "AutoPowerOffSetSubMenu";
    QTest::newRow("USB mode") << 7 << -1 << "UsbConnectModeSubMenu";
    QTest::newRow("Measurements") << 8 << -1 << "MeasurementSetMenu";
    QTest::newRow("Device information") << 9 << 0 << "DeviceInformationSubMenu";
    QTest::newRow("Factory reset") << 9 << 1 << "FactoryResetSetMenu";
    QTest::newRow("Format sdcard") << 9 << 2 << "FormatSdcardSetMenu";
    QTest::newRow("Auto save") << 9 << 3 << "AutoSaveSetSubMenu";
}

void TestDispatcher::settingsTreeLevels()
{
    QFETCH(int, settingsEntry);
    QFETCH(int, systemEntry);
    QFETCH(QString, screen);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    QStringList open{QStringLiteral("MainMenu"), QStringLiteral("SettingSubMenu")};

    d.press(keycode::Ok);
    d.press(keycode::Left);   // round from the first button to "Settings"
    QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, 4));
    d.press(keycode::Ok);
    d.press(keycode::Down, settingsEntry);
    QCOMPARE(d.focusIn(w.settingSubMenu), entry(w.settingSubMenu, settingsEntry));
    d.press(keycode::Ok);
    if (systemEntry >= 0) {
        open << QStringLiteral("SystemSettingSubMenu");
        QCOMPARE(d.focusIn(w.systemSettingSubMenu), entry(w.systemSettingSubMenu, 0));
        d.press(keycode::Down, systemEntry);
        QCOMPARE(d.focusIn(w.systemSettingSubMenu), entry(w.systemSettingSubMenu, systemEntry));
        d.press(keycode::Ok);
    }
    QStringList expected = open;
    expected << screen;
    expected.sort();
    QCOMPARE(d.visibleMenus(), expected);
    QCOMPARE(w.menuStack.top()->objectName(), screen);

    // Back closes exactly one level each time, and the focus below is where it was.
    d.press(keycode::Back);
    open.sort();
    QCOMPARE(d.visibleMenus(), open);
    if (systemEntry >= 0) {
        QCOMPARE(d.focusIn(w.systemSettingSubMenu), entry(w.systemSettingSubMenu, systemEntry));
        d.press(keycode::Back);
        QCOMPARE(d.visibleMenus(), (QStringList{QStringLiteral("MainMenu"), QStringLiteral("SettingSubMenu")}));
    }
    QCOMPARE(d.focusIn(w.settingSubMenu), entry(w.settingSubMenu, settingsEntry));
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("MainMenu")});
    QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, 4));
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList());

    // Opening the settings lists again starts on their first entries.
    d.press(keycode::Ok);
    d.press(keycode::Ok);
    QCOMPARE(d.focusIn(w.settingSubMenu), entry(w.settingSubMenu, 0));
    if (systemEntry >= 0) {
        d.press(keycode::Down, settingsEntry);
        d.press(keycode::Ok);
        QCOMPARE(d.focusIn(w.systemSettingSubMenu), entry(w.systemSettingSubMenu, 0));
    }
}

void TestDispatcher::anEditEndsWithItsScreen_data()
{
    QTest::addColumn<int>("settingsEntry");
    QTest::newRow("Date and Time") << 1;
    QTest::newRow("HI/LO Alert") << 3;
    QTest::newRow("Measurements") << 8;
}

// A screen that goes while one of its values is being edited (a capture, a
// reset, whatever closes it) takes the edit with it; the back key then walks
// out to the live view as always.
void TestDispatcher::anEditEndsWithItsScreen()
{
    QFETCH(int, settingsEntry);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    d.openSetting(settingsEntry);
    QWidget *screen = w.menuStack.top();
    const auto editing = [&] {
        return screen == static_cast<QWidget *>(w.dateTimeSetMenu) ? w.dateTimeSetMenu->editing
            : screen == static_cast<QWidget *>(w.hiloAlertSetMenu) ? w.hiloAlertSetMenu->editing
                                                                   : w.measurementSetMenu->editing;
    };
    d.press(keycode::Ok);
    QVERIFY(editing());
    screen->hide();
    QVERIFY(!editing());
    d.press(keycode::Back, 2);
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestDispatcher::mainMenuPopups_data()
{
    QTest::addColumn<int>("button");
    QTest::addColumn<QString>("popup");
    QTest::newRow("Measurement") << 0 << "TempSubMenu";
    QTest::newRow("Palette") << 1 << "ColorSubMenu";
    QTest::newRow("Point Temperature") << 2 << "CursorSubMenu";
    QTest::newRow("Image Mode") << 3 << "ImageModeSubMenu";
}

void TestDispatcher::mainMenuPopups()
{
    QFETCH(int, button);
    QFETCH(QString, popup);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    d.press(keycode::Ok);
    d.press(keycode::Right, button);
    d.press(keycode::Ok);
    QStringList open{QStringLiteral("MainMenu"), popup};
    open.sort();
    QCOMPARE(d.visibleMenus(), open);
    QWidget *top = w.menuStack.top();
    QCOMPARE(top->objectName(), popup);
    // The arrows now move within the popup, not along the bar.
    QWidget *before = top->focusWidget();
    d.press(keycode::Down);
    QVERIFY(top->focusWidget() != before);
    QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, button));
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("MainMenu")});
    QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, button));
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestDispatcher::galleryKeyReturnsToTheLiveView()
{
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    d.openSetting(3);   // HI/LO Alert
    QVERIFY(w.hiloAlertSetMenu->isVisible());
    // A threshold being edited, the focus elsewhere: the screen will not close,
    // and the key must not spin on it.
    w.hiloAlertSetMenu->editing = true;
    w.hiloAlertSetMenu->radioButton->setFocus();
    d.press(keycode::Gallery);
    QVERIFY(w.hiloAlertSetMenu->isVisible());
    w.hiloAlertSetMenu->editing = false;
    d.press(keycode::Back);
    d.press(keycode::Down, 6);
    d.press(keycode::Ok);   // System settings
    d.press(keycode::Ok);   // Device information
    QCOMPARE(d.visibleMenus().size(), 4);
    d.press(keycode::Gallery);
    QCOMPARE(d.visibleMenus(), QStringList());
    // From the live view the same key opens the gallery.
    d.press(keycode::Gallery);
    QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("ImageListViewer")});
    d.press(keycode::Gallery);
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestDispatcher::deleteQuestionFocusMovesOnce()
{
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    d.press(keycode::Gallery);
    w.deleteImageMenu->deleteImageMenuEnable();
    QCOMPARE(w.menuStack.top(), w.deleteImageMenu);
    QCOMPARE(d.focusIn(w.deleteImageMenu), w.deleteImageMenu->pushButton_2);   // "No"
    // The dispatcher's own toggle, and no second move on top of it.
    d.press(keycode::Up);
    QCOMPARE(d.focusIn(w.deleteImageMenu), w.deleteImageMenu->pushButton);
    d.press(keycode::Down);
    QCOMPARE(d.focusIn(w.deleteImageMenu), w.deleteImageMenu->pushButton_2);
    d.press(keycode::Down);
    QCOMPARE(d.focusIn(w.deleteImageMenu), w.deleteImageMenu->pushButton);
}

void TestDispatcher::imageViewerStepsWithLeftAndRight_data()
{
    // The key and its record value, whether the details page covers the
    // image, and the button (0 previous, 1 next, -1 none) clicked on the
    // viewer and on its bottom bar.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("details");
    QTest::addColumn<int>("clicked");
    QTest::newRow("left: previous image") << keycode::Left << 1 << false << 0;
    QTest::newRow("right: next image") << keycode::Right << 1 << false << 1;
    QTest::newRow("left repeating: no step") << keycode::Left << 2 << false << -1;
    QTest::newRow("details shown: no step") << keycode::Right << 1 << true << -1;
}

void TestDispatcher::imageViewerStepsWithLeftAndRight()
{
    QFETCH(int, key);
    QFETCH(int, value);
    QFETCH(bool, details);
    QFETCH(int, clicked);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    d.press(keycode::Gallery);
    w.imageViewer->show();
    w.imageViewerMenu->show();
    if (details)
        w.imageDetailInfoMenu->show();
    QSignalSpy viewerPrevious(w.imageViewer->pushButton, &QPushButton::clicked);
    QSignalSpy viewerNext(w.imageViewer->pushButton_2, &QPushButton::clicked);
    QSignalSpy barPrevious(w.imageViewerMenu->pushButton, &QPushButton::clicked);
    QSignalSpy barNext(w.imageViewerMenu->pushButton_2, &QPushButton::clicked);
    d.record(key, value);
    QCOMPARE(viewerPrevious.count(), clicked == 0 ? 1 : 0);
    QCOMPARE(viewerNext.count(), clicked == 1 ? 1 : 0);
    QCOMPARE(barPrevious.count(), clicked == 0 ? 1 : 0);
    QCOMPARE(barNext.count(), clicked == 1 ? 1 : 0);
    if (clicked >= 0)
        QCOMPARE(d.focusIn(w.imageViewerMenu), entry(w.imageViewerMenu, clicked));
}

void TestDispatcher::tapOnTheLiveViewCaptures()
{
    Device d;
    d.boot();
    QSignalSpy capture(d.w->saveTriggerButton, &QPushButton::clicked);
    QTest::mouseClick(d.w->DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
    QCOMPARE(capture.count(), 1);
    d.press(keycode::Back);   // the frozen picture let go
    d.press(keycode::Ok);     // a menu over the live view: a tap is no capture
    QTest::mouseClick(d.w->DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
    QCOMPARE(capture.count(), 1);
}

// ---- reading ----------------------------------------------------------------------------------------

void TestDispatcher::keysDuringBootAreDiscarded()
{
    Device d;   // the main window is still hidden
    powerState.powerOffCount = 42;
    d.press(keycode::Ok);
    d.press(keycode::Gallery);
    QCOMPARE(d.visibleMenus(), QStringList());
    QCOMPARE(powerState.powerOffCount, 42);
    QVERIFY(d.w->keyCodeText.isEmpty());
    // Nothing is left over for later either.
    d.boot();
    d.settle();
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestDispatcher::whatResetsThePowerOffCount_data()
{
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("code");
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("resets");
    QTest::newRow("synchronisation record") << int(EV_SYN) << 0 << 0 << true;
    QTest::newRow("OK release") << int(EV_KEY) << keycode::Ok << 0 << true;
    QTest::newRow("arrow release") << int(EV_KEY) << keycode::Up << 0 << true;
    QTest::newRow("unknown code") << int(EV_KEY) << 30 << 1 << false;
    QTest::newRow("value above 2") << int(EV_KEY) << keycode::Ok << 3 << false;
    QTest::newRow("negative value") << int(EV_KEY) << keycode::Ok << -1 << false;
}

void TestDispatcher::whatResetsThePowerOffCount()
{
    QFETCH(int, type);
    QFETCH(int, code);
    QFETCH(int, value);
    QFETCH(bool, resets);
    Device d;
    d.boot();
    powerState.powerOffCount = 99;
    if (code == 30)
        QTest::ignoreMessage(QtDebugMsg, "Unkown Key! The key code is:  \"1e\"");
    d.board.sendKeyEvent(type, code, value);
    d.settle();
    QCOMPARE(powerState.powerOffCount, resets ? 0 : 99);
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestDispatcher::shortRecordWaitsForItsRest()
{
    Device d;
    d.boot();
    // Half a record, as a writer may leave it between two wakes.
    struct input_event ev {};
    ev.type = EV_KEY;
    ev.code = keycode::Ok;
    ev.value = 1;
    const QByteArray bytes(reinterpret_cast<const char *>(&ev), sizeof ev);
    const QString fifo = d.board.file(QStringLiteral("/dev/input/event_key"));
    QFile f(fifo);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    f.write(bytes.left(10));
    d.settle();
    QCOMPARE(d.visibleMenus(), QStringList());
    QCOMPARE(d.w->keyStream.pending(), 10);
    f.write(bytes.mid(10));
    d.settle();
    QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("MainMenu")});
    QCOMPARE(d.w->keyStream.pending(), 0);
}

void TestDispatcher::floodIsReadInBoundedSlices()
{
    Device d;
    d.boot();
    const int n = 2000;
    for (int i = 0; i < n; ++i)
        d.board.sendKeyEvent(EV_SYN, 0, 0);
    int pending = 0;
    QCOMPARE(::ioctl(d.w->kbdFd, FIONREAD, &pending), 0);
    QCOMPARE(pending, n * board::inputEventSize());
    // One wake reads a bounded slice; the rest waits for the next wakes.
    d.w->kbdReadyRead();
    QCOMPARE(::ioctl(d.w->kbdFd, FIONREAD, &pending), 0);
    QCOMPARE(pending, (n - Norvik7::kMaxKeyRecordsPerWake) * board::inputEventSize());
    d.settle();
    QCOMPARE(::ioctl(d.w->kbdFd, FIONREAD, &pending), 0);
    QCOMPARE(pending, 0);
}

// ---- combinations --------------------------------------------------------------------------------------

void TestDispatcher::keyCombinations_data()
{
    // A key pressed while `held` repeats, the situation, the hidden button
    // it should click (calTemp, upgrade, calImage) and whether it does.
    QTest::addColumn<int>("held");
    QTest::addColumn<int>("pressed");
    QTest::addColumn<QString>("situation");
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("opens");
    const int up = keycode::Up, down = keycode::Down, left = keycode::Left, right = keycode::Right;
    QTest::newRow("UP with DOWN: live view") << down << up << "thermal"
                                             << "calTemp" << true;
    QTest::newRow("UP with DOWN: fusion") << down << up << "fusion"
                                          << "calTemp" << false;
    QTest::newRow("UP with DOWN: a cursor moving") << down << up << "cursor"
                                                   << "calTemp" << false;
    QTest::newRow("UP with DOWN: main menu open") << down << up << "menu"
                                                  << "calTemp" << false;
    QTest::newRow("UP with DOWN: gallery open") << down << up << "gallery"
                                                << "calTemp" << false;
    QTest::newRow("LEFT with RIGHT: thermal") << right << left << "thermal"
                                              << "upgrade" << true;
    QTest::newRow("LEFT with RIGHT: visible") << right << left << "visible"
                                              << "upgrade" << false;
    QTest::newRow("LEFT with RIGHT: fusion") << right << left << "fusion"
                                             << "upgrade" << false;
    QTest::newRow("LEFT with RIGHT: picture in picture") << right << left << "pip"
                                                         << "upgrade" << false;
    QTest::newRow("LEFT with DOWN: thermal") << down << left << "thermal"
                                             << "calImage" << true;
    QTest::newRow("LEFT with DOWN: visible") << down << left << "visible"
                                             << "calImage" << true;
    QTest::newRow("LEFT with DOWN: picture in picture") << down << left << "pip"
                                                        << "calImage" << true;
    QTest::newRow("LEFT with DOWN: fusion") << down << left << "fusion"
                                            << "calImage" << false;
    QTest::newRow("LEFT with DOWN: a cursor moving") << down << left << "cursor"
                                                     << "calImage" << false;
}

void TestDispatcher::keyCombinations()
{
    QFETCH(int, held);
    QFETCH(int, pressed);
    QFETCH(QString, situation);
    QFETCH(QString, button);
    QFETCH(bool, opens);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    const QStringList modes{"thermal", "visible", "fusion", "pip"};
    if (modes.contains(situation))
        d.showMode(int(modes.indexOf(situation)));
    else if (situation == QLatin1String("cursor"))
        (button == QLatin1String("calTemp") ? viewState.moveCursorTwoLabelEnabled
                                            : viewState.moveCursorThreeLabelEnabled) = true;
    else if (situation == QLatin1String("menu"))
        d.press(keycode::Ok);
    else if (situation == QLatin1String("gallery"))
        d.press(keycode::Gallery);
    QPushButton *target = button == QLatin1String("calTemp") ? w.calTempButton
        : button == QLatin1String("upgrade")                 ? w.upgradeButton
                                                             : w.calImageButton;
    QSignalSpy clicked(target, &QPushButton::clicked);
    QSignalSpy mode(&w, &Norvik7::updateCalTempSubMenuMode);

    // Held together without a repeat of the first: nothing.
    d.hold(pressed);
    d.hold(held);
    d.release(held);
    d.release(pressed);
    QCOMPARE(clicked.count(), 0);

    d.hold(held);
    d.repeat(held);
    d.hold(pressed);
    d.release(pressed);
    d.release(held);
    QCOMPARE(clicked.count(), opens ? 1 : 0);
    if (button == QLatin1String("calTemp")) {
        QCOMPARE(mode.count(), opens ? 1 : 0);
        // No auto power-off while calibrating.
        QCOMPARE(config::readString(config::Main, QStringLiteral("auto_power_off")),
                 opens ? QStringLiteral("Off") : QStringLiteral("30Minutes"));
        if (opens) {
            QCOMPARE(mode.at(0).at(0).toInt(), 1);
            QVERIFY(entry(w.autoPowerOffSetSubMenu, 3)->isChecked());
        }
    }
}

// ---- trigger and back ------------------------------------------------------------------------------------

void TestDispatcher::triggerShortAndLongPress_data()
{
    // Records of the trigger (1 press, 2 repeat, 0 release), whether the main
    // menu is open, and the captures started after each record.
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<bool>("menu");
    QTest::addColumn<QList<int>>("captures");
    QTest::newRow("short press captures on release") << QList<int>{1, 0} << false << QList<int>{0, 1};
    QTest::newRow("long press in the live view: nothing") << QList<int>{1, 2, 2, 0} << false << QList<int>{0, 0, 0, 0};
    QTest::newRow("long press over the menu: once on the first repeat")
        << QList<int>{1, 2, 2, 2, 0} << true << QList<int>{0, 1, 1, 1, 1};
    QTest::newRow("long then short") << QList<int>{1, 2, 0, 1, 0} << false << QList<int>{0, 0, 0, 0, 1};
    QTest::newRow("short then long") << QList<int>{1, 0, 1, 2, 0} << false << QList<int>{0, 1, 1, 1, 1};
    QTest::newRow("stray release") << QList<int>{0, 1, 0} << false << QList<int>{0, 0, 1};
}

void TestDispatcher::triggerShortAndLongPress()
{
    QFETCH(QList<int>, values);
    QFETCH(bool, menu);
    QFETCH(QList<int>, captures);
    Device d;
    d.boot();
    if (menu)
        d.press(keycode::Ok);
    QSignalSpy capture(d.w->saveTriggerButton, &QPushButton::clicked);
    for (int i = 0; i < values.size(); ++i) {
        d.record(keycode::Trigger, values[i]);
        QCOMPARE(capture.count(), captures[i]);
    }
    QCOMPARE(key_state1, 0);
    QCOMPARE(key_state2, 1);
    QCOMPARE(key_state3, 1);
}

void TestDispatcher::backTwiceInTheLiveViewOneShutter()
{
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    QVERIFY(w.calTempSubMenu->shutterReady);
    d.press(keycode::Back);
    QVERIFY(w.menuTipsLabel->isVisible());
    QCOMPARE(w.menuTipsLabel->text(), QStringLiteral("Calibrating..."));
    QCOMPARE(w.menuTipsLabel->x(), (240 - w.menuTipsLabel->width()) / 2);
    QVERIFY(!w.calTempSubMenu->shutterReady);
    w.menuTipsLabel->hide();
    d.press(keycode::Back);   // within 3 s: no second correction
    QVERIFY(!w.menuTipsLabel->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(w.calTempSubMenu->shutterReady, 5000);
    d.press(keycode::Back);
    QVERIFY(w.menuTipsLabel->isVisible());
}

// ---- menu tips -----------------------------------------------------------------------------------------------

void TestDispatcher::menuTipPlacement_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<QString>("popup");
    QTest::addColumn<QString>("edge");   // where the left edge goes: centred, left, right
    QTest::newRow("over the main menu, centred") << 120 << 277 << QString() << "centred";
    QTest::newRow("near the left edge") << 10 << 277 << QString() << "left";
    QTest::newRow("near the right edge") << 230 << 277 << QString() << "right";
    QTest::newRow("above an open popup") << 120 << 277 << "temp"
                                         << "centred";
}

void TestDispatcher::menuTipPlacement()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(QString, popup);
    QFETCH(QString, edge);
    Device d;
    d.boot();
    Norvik7 &w = *d.w;
    if (popup == QLatin1String("temp"))
        w.tempSubMenu->show();
    w.setMenuTipsLabel(QStringLiteral("Point Temperature"), x, y, 128);
    QLabel *tip = w.menuTipsLabel;
    QVERIFY(tip->isVisible());
    // Screen positions, where the menus are.
    const QRect at(tip->mapToGlobal(QPoint(0, 0)), tip->size());
    const int top = popup.isEmpty() ? y : w.tempSubMenu->y();
    QCOMPARE(at.bottom() + 1, top - 2);
    if (edge == QLatin1String("centred"))
        QCOMPARE(at.left(), x - tip->width() / 2);
    else if (edge == QLatin1String("left"))
        QCOMPARE(at.left(), 2);
    else
        QCOMPARE(at.left(), 239 - tip->width());
    w.setMenuTipsLabel(QStringLiteral("Point Temperature"), x, y, 0);
    QVERIFY(!tip->isVisible());
}

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
