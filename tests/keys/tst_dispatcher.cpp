// The key dispatcher driven as a person drives the device: records written
// into the key device of a simulated board, read by the program's own
// notifier, and the screens that come and go.
#include "core/config.h"
#include "core/keystate.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/norvik7.h"
#include "app/power.h"
#include "board/board.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/livedevice.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/detailinfomenus.h"
#include "settings/menus/datetimesetmenu.h"
#include "liveview/viewstate.h"
#include "settings/menus/upgradesubmenu.h"

#include <QPushButton>
#include <QSignalSpy>
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
    void galleryKeyReturnsToTheLiveView();
    void deleteQuestionFocusMovesOnce();
    void imageViewerStepsWithLeftAndRight_data();
    void imageViewerStepsWithLeftAndRight();
    void tapOnTheLiveViewCaptures();

    void keysDuringBootAreDiscarded();
    void whatResetsThePowerOffCount_data();
    void whatResetsThePowerOffCount();
    void floodIsReadInBoundedSlices();

    void keyCombinations_data();
    void keyCombinations();

    void triggerShortAndLongPress_data();
    void triggerShortAndLongPress();
    void backTwiceInTheLiveViewOneShutter();
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
    d.press(keycode::Ok);
    d.press(keycode::Left);   // round from the first button to "Settings"
    QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, 4));
    d.press(keycode::Ok);
    d.press(keycode::Down, settingsEntry);
    d.press(keycode::Ok);
    QStringList open{QStringLiteral("MainMenu"), QStringLiteral("SettingSubMenu")};
    if (systemEntry >= 0) {
        open << QStringLiteral("SystemSettingSubMenu");
        d.press(keycode::Down, systemEntry);
        d.press(keycode::Ok);
    }
    open.sort();
    QCOMPARE(w.menuStack.top()->objectName(), screen);
    QCOMPARE(d.visibleMenus().size(), open.size() + 1);
    // Back closes exactly one level each time, and the focus below is where it was.
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), open);
    if (systemEntry >= 0) {
        QCOMPARE(d.focusIn(w.systemSettingSubMenu), entry(w.systemSettingSubMenu, systemEntry));
        d.press(keycode::Back);
    }
    QCOMPARE(d.focusIn(w.settingSubMenu), entry(w.settingSubMenu, settingsEntry));
    d.press(keycode::Back, 2);
    QCOMPARE(d.visibleMenus(), QStringList());
    // Opening the settings list again starts on its first entry.
    d.press(keycode::Ok, 2);
    QCOMPARE(d.focusIn(w.settingSubMenu), entry(w.settingSubMenu, 0));
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
    std::vector<std::unique_ptr<QSignalSpy>> spies;   // previous and next, on the viewer and on its bar
    for (QPushButton *b : {w.imageViewer->pushButton, w.imageViewer->pushButton_2, w.imageViewerMenu->pushButton,
                           w.imageViewerMenu->pushButton_2})
        spies.push_back(std::make_unique<QSignalSpy>(b, &QPushButton::clicked));
    d.record(key, value);
    for (int i = 0; i < 4; ++i)
        QCOMPARE(spies[i]->count(), clicked == i % 2 ? 1 : 0);
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

// A flood is read in bounded slices, one per wake; half a record, as a writer
// may leave it between two wakes, waits for its rest.
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
    d.w->kbdReadyRead();
    QCOMPARE(::ioctl(d.w->kbdFd, FIONREAD, &pending), 0);
    QCOMPARE(pending, (n - Norvik7::kMaxKeyRecordsPerWake) * board::inputEventSize());
    struct input_event ev {};
    ev.type = EV_KEY;
    ev.code = keycode::Ok;
    ev.value = 1;
    const QByteArray bytes(reinterpret_cast<const char *>(&ev), sizeof ev);
    QFile f(d.board.file(QStringLiteral("/dev/input/event_key")));
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
    QTest::newRow("UP with DOWN: live view") << down << up << "thermal" << QString("calTemp") << true;
    QTest::newRow("UP with DOWN: fusion") << down << up << "fusion" << QString("calTemp") << false;
    QTest::newRow("UP with DOWN: a cursor moving") << down << up << "cursor" << QString("calTemp") << false;
    QTest::newRow("UP with DOWN: main menu open") << down << up << "menu" << QString("calTemp") << false;
    QTest::newRow("UP with DOWN: gallery open") << down << up << "gallery" << QString("calTemp") << false;
    QTest::newRow("LEFT with RIGHT: thermal") << right << left << "thermal" << QString("upgrade") << true;
    QTest::newRow("LEFT with RIGHT: visible") << right << left << "visible" << QString("upgrade") << false;
    QTest::newRow("LEFT with RIGHT: fusion") << right << left << "fusion" << QString("upgrade") << false;
    QTest::newRow("LEFT with RIGHT: picture in picture") << right << left << "pip" << QString("upgrade") << false;
    QTest::newRow("LEFT with DOWN: thermal") << down << left << "thermal" << QString("calImage") << true;
    QTest::newRow("LEFT with DOWN: visible") << down << left << "visible" << QString("calImage") << true;
    QTest::newRow("LEFT with DOWN: picture in picture") << down << left << "pip" << QString("calImage") << true;
    QTest::newRow("LEFT with DOWN: fusion") << down << left << "fusion" << QString("calImage") << false;
    QTest::newRow("LEFT with DOWN: a cursor moving") << down << left << "cursor" << QString("calImage") << false;
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
    for (const auto &[key, value] : {std::pair{pressed, 1}, {held, 1}, {held, 0}, {pressed, 0}})
        d.record(key, value);
    QCOMPARE(clicked.count(), 0);
    for (const auto &[key, value] : {std::pair{held, 1}, {held, 2}, {pressed, 1}, {pressed, 0}, {held, 0}})
        d.record(key, value);
    QCOMPARE(clicked.count(), opens ? 1 : 0);
    if (button == QLatin1String("calTemp")) {
        QCOMPARE(mode.count(), opens ? 1 : 0);
        // No auto power-off while calibrating.
        QCOMPARE(config::readString(config::Main, QStringLiteral("auto_power_off")),
                 opens ? QStringLiteral("Off") : QStringLiteral("30Minutes"));
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

QTEST_MAIN(TestDispatcher)
#include "tst_dispatcher.moc"
