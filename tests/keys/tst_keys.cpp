// The key input: whole records out of the key device's byte stream, the focus
// moving between the entries of the menu on top, the simulator's keypad and
// PC keys writing records as the board's key driver does, and the dispatcher
// driven as a person drives the device, through the program's own notifier.
#include "app/menus/settingsubmenu.h"
#include "app/menustack.h"
#include "app/power.h"
#include "board/board.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/livedevice.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "sim/keyinjector.h"

#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

using Ints = QList<int>;

namespace {

// A menu window of radio buttons, like the settings lists.
struct Menu {
    QWidget window;
    QList<QAbstractButton *> buttons;
    Menu()
    {
        for (int i = 0; i < 4; ++i) {
            buttons << new QRadioButton(&window);
            // The toolkit may leave the unticked buttons of a radio group without
            // tab focus; they are entries all the same.
            buttons[i]->setFocusPolicy(i == 2 ? Qt::StrongFocus : Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
            buttons[i]->setGeometry(0, 30 + 32 * i, 200, 30);
        }
    }
};

// The reading end of the key device, as the program holds it: records as
// "K103=1 S K103=0 S" (code=value, S a synchronisation record).
struct Reader {
    int fd = ::open(QFile::encodeName(board::path("/dev/input/event_key")).constData(), O_RDWR | O_NONBLOCK);
    ~Reader() { ::close(fd); }
    QString drain()
    {
        QStringList parts;
        struct input_event ev;
        while (::read(fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
            parts << (ev.type == EV_SYN ? QStringLiteral("S") : QStringLiteral("K%1=%2").arg(ev.code).arg(ev.value));
        }
        return parts.join(' ');
    }
};

QAbstractButton *entry(QWidget *menu, int i) { return qobject_cast<MenuWindow *>(menu)->buttons().value(i); }

}   // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void init() { keys::resetState(); }

    // Round at both ends, skipping what cannot take the focus, never ticking a
    // radio button; with nothing on top nothing moves.
    void focusMoves()
    {
        Menu m;
        MenuStack stack;
        stack.track(&m.window);
        m.window.show();
        m.buttons[2]->setChecked(true);
        m.buttons[0]->setFocus();
        for (int next : {1, 2, 3, 0})   // round at the end, and back
            QVERIFY(stack.moveFocusOnTop(true) && m.window.focusWidget() == m.buttons[next]);
        QVERIFY(stack.moveFocusOnTop(false) && m.window.focusWidget() == m.buttons[3]);
        QVERIFY(m.buttons[2]->isChecked() && !m.buttons[3]->isChecked());
        m.buttons[1]->setFocusPolicy(Qt::NoFocus);
        m.buttons[2]->setEnabled(false);
        m.buttons[0]->setFocus();
        QVERIFY(MenuStack::moveFocus(&m.window, true));
        QCOMPARE(m.window.focusWidget(), m.buttons[3]);
        m.window.hide();
        QVERIFY(!stack.moveFocusOnTop(true));
    }

    // ---- the simulator's keys ----------------------------------------------------------------------

    void onlyTheLastPressedKeyRepeats()
    {
        TestBoard b;
        Reader r;
        sim::KeyInjector inj(board::path("/dev/input/event_key"), 120, 60);
        inj.press(keycode::Down);
        QString s;
        QTRY_VERIFY_WITH_TIMEOUT((s += r.drain(), s.count('S') >= 2), 3000);   // DOWN repeating
        inj.press(keycode::Up);
        s.clear();
        QTRY_VERIFY_WITH_TIMEOUT((s += ' ' + r.drain(), s.count("K103=2") >= 3), 3000);   // press, 3 repeats
        s = s.simplified();
        QVERIFY2(s.startsWith(QStringLiteral("K103=1 S K103=2 S K103=2 S K103=2 S")), qPrintable(s));
        // Releasing UP ends all repeating, though DOWN is still held.
        inj.release(keycode::Up);
        QTest::qWait(150);
        s = r.drain();
        QVERIFY2(s.endsWith(QStringLiteral("K103=0 S")) && !s.contains(QStringLiteral("K108=2")), qPrintable(s));
        inj.release(keycode::Down);
        // A press of a key already down, a release of one already up: nothing.
        for (bool down : {true, true, false, false})
            down ? inj.press(keycode::Ok) : inj.release(keycode::Ok);
        QCOMPARE(r.drain(), QStringLiteral("K108=0 S K28=1 S K28=0 S"));
    }

    // ---- the dispatcher: navigation ------------------------------------------------------------------

    // A screen that goes while one of its values is being edited (a capture, a
    // reset, whatever closes it) takes the edit with it; the back key then walks
    // out to the live view as always.
    void anEditEndsWithItsScreen_data()
    {
        QTest::addColumn<int>("settingsEntry");
        QTest::newRow("Date and Time") << 1;
        QTest::newRow("HI/LO Alert") << 3;
        QTest::newRow("Measurements") << 8;
    }
    void anEditEndsWithItsScreen()
    {
        QFETCH(int, settingsEntry);
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        d.openSetting(settingsEntry);
        const bool &editing = settingsEntry == 1 ? w.dateTimeSetMenu->editing
            : settingsEntry == 3                 ? w.hiloAlertSetMenu->editing
                                                 : w.measurementSetMenu->editing;
        d.press(keycode::Ok);
        QVERIFY(editing);
        w.menuStack.top()->hide();
        QVERIFY(!editing);
        d.press(keycode::Back, 2);
        QCOMPARE(d.visibleMenus(), QStringList());
    }

    // ---- the dispatcher: reading ---------------------------------------------------------------------

    // ---- the dispatcher: combinations, trigger and back -------------------------------------------------

    // A key pressed while another repeats, the situation, and whether it
    // clicks the hidden button: 0 calTemp (UP on DOWN), 1 upgrade (LEFT on
    // RIGHT), 2 calImage (LEFT on DOWN).
    void keyCombinations_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("opens");
        QTest::newRow("UP+DOWN: live view") << "thermal" << 0 << true;
        QTest::newRow("UP+DOWN: fusion") << "fusion" << 0 << false;
        QTest::newRow("UP+DOWN: a cursor moving") << "cursor" << 0 << false;
        QTest::newRow("UP+DOWN: main menu open") << "menu" << 0 << false;
        QTest::newRow("LEFT+RIGHT: thermal") << "thermal" << 1 << true;
        QTest::newRow("LEFT+RIGHT: visible") << "visible" << 1 << false;
        QTest::newRow("LEFT+RIGHT: fusion") << "fusion" << 1 << false;
        QTest::newRow("LEFT+DOWN: thermal") << "thermal" << 2 << true;
        QTest::newRow("LEFT+DOWN: visible") << "visible" << 2 << true;
        QTest::newRow("LEFT+DOWN: fusion") << "fusion" << 2 << false;
        QTest::newRow("LEFT+DOWN: a cursor moving") << "cursor" << 2 << false;
    }
    void keyCombinations()
    {
        QFETCH(QString, situation);
        QFETCH(int, button);
        QFETCH(bool, opens);
        const int held = button == 1 ? keycode::Right : keycode::Down, pressed = button ? keycode::Left : keycode::Up;
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        const QStringList modes{"thermal", "visible", "fusion", "pip"};
        if (const int m = int(modes.indexOf(situation)); m >= 0) {
            w.imageModeSubMenu->buttons()[m]->setChecked(true);   // the pop-up's preview keeps the ticked mode
            acqState.image_mode.store(m);
        } else if (situation == "cursor")
            (button == 0 ? viewState.moveCursorTwoLabelEnabled : viewState.moveCursorThreeLabelEnabled) = true;
        else
            d.press(situation == "menu" ? keycode::Ok : keycode::Gallery);
        QSignalSpy clicked(QList<QPushButton *>{w.calTempButton, w.upgradeButton, w.calImageButton}[button],
                           &QPushButton::clicked);
        QSignalSpy mode(&w, &Norvik7::updateCalTempSubMenuMode);
        // Held together without a repeat of the first: nothing.
        for (const auto &[key, value] : {std::pair{pressed, 1}, {held, 1}, {held, 0}, {pressed, 0}})
            d.record(key, value);
        QCOMPARE(clicked.count(), 0);
        for (const auto &[key, value] : {std::pair{held, 1}, {held, 2}, {pressed, 1}, {pressed, 0}, {held, 0}})
            d.record(key, value);
        QCOMPARE((Ints{int(clicked.count()), int(mode.count())}), (Ints{opens, opens && !button}));
        // No auto power-off while calibrating.
        QVERIFY(button || d.key("auto_power_off") == (opens ? "Off" : "30Minutes"));
    }

    // Records of the trigger (1 press, 2 repeat, 0 release), whether the main
    // menu is open, and the captures started after each record.
    void triggerShortAndLongPress_data()
    {
        QTest::addColumn<Ints>("values");
        QTest::addColumn<bool>("menu");
        QTest::addColumn<Ints>("captures");
        QTest::newRow("short press captures on release") << Ints{1, 0} << false << Ints{0, 1};
        QTest::newRow("long press in the live view: nothing") << Ints{1, 2, 2, 0} << false << Ints{0, 0, 0, 0};
        QTest::newRow("long press over the menu: on the first repeat") << Ints{1, 2, 2, 0} << true << Ints{0, 1, 1, 1};
        QTest::newRow("long then short") << Ints{1, 2, 0, 1, 0} << false << Ints{0, 0, 0, 0, 1};
        QTest::newRow("short then long") << Ints{1, 0, 1, 2, 0} << false << Ints{0, 1, 1, 1, 1};
        QTest::newRow("stray release") << Ints{0, 1, 0} << false << Ints{0, 0, 1};
    }
    void triggerShortAndLongPress()
    {
        QFETCH(Ints, values);
        QFETCH(bool, menu);
        LiveDevice d;
        d.boot();
        if (menu)
            d.press(keycode::Ok);
        QSignalSpy capture(d.w->saveTriggerButton, &QPushButton::clicked);
        Ints captures;
        for (int v : values) {
            d.record(keycode::Trigger, v);
            captures << int(capture.count());
        }
        QTEST(captures, "captures");
        QCOMPARE((Ints{key_state1, key_state2, key_state3}), (Ints{0, 1, 1}));
    }

    // One camera, many rules. Keys during the boot are discarded, nothing left
    // for later. In the live view: BACK corrects the shutter, once within 3 s;
    // what counts as a key for the idle power-off (a synchronisation record
    // and any release, not an unknown code or a value out of range); a tap
    // captures, not with a menu over it; the gallery key from a settings
    // screen returns to the live view, not while an edit holds that screen.
    // Down to a screen of the system list and back: BACK closes one level
    // each time, the focus below where it was, the settings list opens again on
    // its first entry. A flood is read in bounded slices, one per wake; half a
    // record, as a writer may leave it between two wakes, waits for its rest.
    // The viewer steps by LEFT and RIGHT, not by a repeat nor under the details.
    void oneCamera()
    {
        LiveDevice d;   // the main window is still hidden
        Norvik7 &w = *d.w;
        powerState.powerOffCount = 42;
        d.press(keycode::Ok);
        d.press(keycode::Gallery);
        QVERIFY(d.visibleMenus().isEmpty() && powerState.powerOffCount == 42 && w.keyCodeText.isEmpty());
        d.boot();
        d.settle();
        QCOMPARE(d.visibleMenus(), QStringList());

        d.press(keycode::Back);
        QCOMPARE(w.menuTipsLabel->text(), QStringLiteral("Calibrating..."));
        QVERIFY(w.menuTipsLabel->isVisible() && !w.calTempSubMenu->shutterReady);
        w.menuTipsLabel->hide();
        d.press(keycode::Back);
        QVERIFY(!w.menuTipsLabel->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(w.calTempSubMenu->shutterReady, 5000);
        d.press(keycode::Back);
        QVERIFY(w.menuTipsLabel->isVisible());

        QTest::ignoreMessage(QtDebugMsg, "Unkown Key! The key code is:  \"1e\"");
        Ints resets;
        for (const auto &[type, code, value] : {std::tuple{int(EV_SYN), 0, 0},
                                                {int(EV_KEY), keycode::Ok, 0},
                                                {int(EV_KEY), keycode::Up, 0},
                                                {int(EV_KEY), 30, 1},
                                                {int(EV_KEY), keycode::Ok, 3},
                                                {int(EV_KEY), keycode::Ok, -1}}) {
            powerState.powerOffCount = 99;
            d.board.sendKeyEvent(type, code, value);
            d.settle();
            resets << (powerState.powerOffCount == 0);
        }
        QCOMPARE(resets, (Ints{1, 1, 1, 0, 0, 0}));

        QSignalSpy capture(w.saveTriggerButton, &QPushButton::clicked);
        QTest::mouseClick(w.DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
        QCOMPARE(capture.count(), 1);
        d.press(keycode::Back);   // the frozen picture let go
        d.press(keycode::Ok);
        QTest::mouseClick(w.DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
        QCOMPARE(capture.count(), 1);
        d.press(keycode::Back);

        d.openSetting(3);   // HI/LO Alert, a threshold being edited, the focus elsewhere
        w.hiloAlertSetMenu->editing = true;
        w.hiloAlertSetMenu->radioButton->setFocus();
        d.press(keycode::Gallery);
        QVERIFY(w.hiloAlertSetMenu->isVisible());
        w.hiloAlertSetMenu->editing = false;
        d.press(keycode::Gallery);
        QCOMPARE(d.visibleMenus(), QStringList());

        d.openSystemEntry(3);
        QCOMPARE(w.menuStack.top()->objectName(), QStringLiteral("AutoSaveSetSubMenu"));
        d.press(keycode::Back);
        QCOMPARE(d.visibleMenus(), (QStringList{"MainMenu", "SettingSubMenu", "SystemSettingSubMenu"}));
        QCOMPARE(w.systemSettingSubMenu->focusWidget(), entry(w.systemSettingSubMenu, 3));
        d.press(keycode::Back);
        QCOMPARE(w.settingSubMenu->focusWidget(), entry(w.settingSubMenu, 9));
        d.press(keycode::Back, 2);
        QCOMPARE(d.visibleMenus(), QStringList());
        d.press(keycode::Ok, 2);
        QCOMPARE(w.settingSubMenu->focusWidget(), entry(w.settingSubMenu, 0));
        d.press(keycode::Back, 2);

        for (int i = 0; i < 2000; ++i)
            d.board.sendKeyEvent(EV_SYN, 0, 0);
        int pending = 0;
        QVERIFY(::ioctl(w.kbdFd, FIONREAD, &pending) == 0 && pending == 2000 * board::inputEventSize());
        w.kbdReadyRead();
        QVERIFY(::ioctl(w.kbdFd, FIONREAD, &pending) == 0);
        QCOMPARE(pending, (2000 - Norvik7::kMaxKeyRecordsPerWake) * board::inputEventSize());
        input_event ev{};
        ev.type = EV_KEY, ev.code = keycode::Ok, ev.value = 1;
        const QByteArray ok(reinterpret_cast<const char *>(&ev), sizeof ev);
        QFile f(d.board.file(QStringLiteral("/dev/input/event_key")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        f.write(ok.left(10));
        d.settle();
        QCOMPARE(d.visibleMenus(), QStringList());
        QCOMPARE(w.keyStream.pending(), 10);
        f.write(ok.mid(10));
        d.settle();
        QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("MainMenu")});
        QCOMPARE(w.keyStream.pending(), 0);
        d.press(keycode::Back);

        d.press(keycode::Gallery);
        w.imageViewer->show();
        w.imageViewerMenu->show();
        QSignalSpy previous(w.imageViewer->pushButton, &QPushButton::clicked);
        QSignalSpy next(w.imageViewerMenu->pushButton_2, &QPushButton::clicked);   // the viewer's and its bar's
        d.record(keycode::Left, 2);
        w.imageDetailInfoMenu->show();
        d.press(keycode::Right);
        w.imageDetailInfoMenu->hide();
        d.press(keycode::Right);
        QCOMPARE((Ints{int(previous.count()), int(next.count())}), (Ints{0, 1}));
        QCOMPARE(w.imageViewerMenu->focusWidget(), entry(w.imageViewerMenu, 1));
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
