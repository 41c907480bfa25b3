// The key input: whole records out of the key device's byte stream, the focus
// moving between the entries of the menu on top, the simulator's keypad and
// PC keys writing records as the board's key driver does, and the dispatcher
// driven as a person drives the device, through the program's own notifier.
#include "app/menus/mainmenu.h"
#include "app/menus/settingsubmenu.h"
#include "app/menustack.h"
#include "app/power.h"
#include "board/board.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/livedevice.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "settings/menus/datetimesetmenu.h"
#include "sim/keyinjector.h"
#include "sim/keypad.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QtTest>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

using Ints = QList<int>;

namespace {

QByteArray record(int type, int code, int value)
{
    struct input_event ev {};
    ev.type = static_cast<__u16>(type);
    ev.code = static_cast<__u16>(code);
    ev.value = value;
    return QByteArray(reinterpret_cast<const char *>(&ev), sizeof ev);
}

// A menu window with a title label and buttons, like the settings lists.
struct Menu {
    QMainWindow window;
    QList<QAbstractButton *> buttons;
    explicit Menu(int entries, bool radio = false)
    {
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        new QLabel(QStringLiteral("Title"), central);
        for (int i = 0; i < entries; ++i) {
            QAbstractButton *b = radio ? static_cast<QAbstractButton *>(new QRadioButton(central))
                                       : static_cast<QAbstractButton *>(new QPushButton(central));
            b->setFocusPolicy(Qt::StrongFocus);
            b->setGeometry(0, 30 + 32 * i, 200, 30);
            buttons << b;
        }
    }
};

// The reading end of the key device, as the program holds it: records as
// "K103=1 S K103=0 S" (code=value, S a synchronisation record), with their times.
struct Reader {
    int fd = ::open(QFile::encodeName(board::path("/dev/input/event_key")).constData(), O_RDWR | O_NONBLOCK);
    QList<qint64> usec;
    ~Reader() { ::close(fd); }
    QString drain()
    {
        QStringList parts;
        struct input_event ev;
        while (::read(fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev)) {
            usec << qint64(ev.time.tv_sec) * 1000000 + ev.time.tv_usec;
            parts << (ev.type == EV_SYN ? QStringLiteral("S") : QStringLiteral("K%1=%2").arg(ev.code).arg(ev.value));
        }
        return parts.join(' ');
    }
};

QString fifo() { return board::path(QStringLiteral("/dev/input/event_key")); }

QAbstractButton *entry(QWidget *menu, int i) { return qobject_cast<MenuWindow *>(menu)->buttons().value(i); }

}   // namespace

class TestKeys : public QObject {
    Q_OBJECT
private slots:
    void init() { keys::resetState(); }

    void focusMovesBetweenEntries()
    {
        Menu m(4);
        MenuStack stack;
        stack.track(&m.window);
        m.window.show();
        m.buttons[0]->setFocus();
        for (int next : {1, 2, 3, 0}) {   // round at the end
            QVERIFY(stack.moveFocusOnTop(true));
            QCOMPARE(m.window.focusWidget(), m.buttons[next]);
        }
        QVERIFY(stack.moveFocusOnTop(false));
        QCOMPARE(m.window.focusWidget(), m.buttons[3]);   // and back round
        // What cannot take the focus is skipped.
        m.buttons[1]->setFocusPolicy(Qt::NoFocus);
        m.buttons[2]->setEnabled(false);
        m.buttons[0]->setFocus();
        QVERIFY(MenuStack::moveFocus(&m.window, true));
        QCOMPARE(m.window.focusWidget(), m.buttons[3]);
        // A row whose buttons all gave up the focus keeps it where it is.
        for (QAbstractButton *b : m.buttons)
            b->setFocusPolicy(Qt::NoFocus);
        QVERIFY(!MenuStack::moveFocus(&m.window, true));
        QCOMPARE(m.window.focusWidget(), m.buttons[3]);
        m.window.hide();   // nothing on top: nothing moves
        QVERIFY(!stack.moveFocusOnTop(true));
    }

    void focusDoesNotTickRadioButtons()
    {
        Menu m(4, true);
        m.window.show();
        m.buttons[2]->setChecked(true);
        // The toolkit may leave the unticked buttons of a radio group without tab
        // focus; they are entries all the same.
        for (int i : {0, 1, 3})
            m.buttons[i]->setFocusPolicy(Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
        m.buttons[2]->setFocus();
        MenuStack::moveFocus(&m.window, true);
        QCOMPARE(m.window.focusWidget(), m.buttons[3]);
        QVERIFY(m.buttons[2]->isChecked() && !m.buttons[3]->isChecked());
    }

    // ---- the simulator's keys ----------------------------------------------------------------------

    void onlyTheLastPressedKeyRepeats()
    {
        TestBoard b;
        Reader r;
        sim::KeyInjector inj(fifo(), 120, 60);
        inj.press(keycode::Down);
        QString s;
        QTRY_VERIFY_WITH_TIMEOUT((s += r.drain(), s.count('S') >= 2), 3000);   // DOWN repeating
        inj.press(keycode::Up);
        s.clear();
        r.usec.clear();
        QTRY_VERIFY_WITH_TIMEOUT((s += ' ' + r.drain(), s.count("K103=2") >= 3), 3000);   // press, 3 repeats
        s = s.simplified();
        QVERIFY2(s.startsWith(QStringLiteral("K103=1 S K103=2 S K103=2 S K103=2 S")), qPrintable(s));
        QVERIFY(r.usec[2] - r.usec[0] >= 119000);
        QVERIFY(r.usec[4] - r.usec[2] >= 59000 && r.usec[4] - r.usec[2] < 119000);
        // Releasing UP ends all repeating, though DOWN is still held.
        inj.release(keycode::Up);
        QTest::qWait(150);
        s = r.drain();
        QVERIFY2(s.endsWith(QStringLiteral("K103=0 S")) && !s.contains(QStringLiteral("K108=2")), qPrintable(s));
        inj.release(keycode::Down);
        QCOMPARE(r.drain(), QStringLiteral("K108=0 S"));
    }

    void keypadButtonsInject()
    {
        TestBoard b;
        Reader r;
        sim::KeyInjector inj(fifo());
        sim::Keypad pad(&inj);
        pad.show();
        QString expected;
        for (int c : {keycode::Ok, keycode::Up, keycode::Down, keycode::Left, keycode::Right, keycode::Back,
                      keycode::Trigger, keycode::Gallery}) {
            QTest::mouseClick(pad.button(c), Qt::LeftButton);
            expected += QStringLiteral(" K%1=1 S K%1=0 S").arg(c);
        }
        QCOMPARE(r.drain(), expected.trimmed());
        // A press of a key already down, a release of one already up: nothing.
        for (bool down : {true, true, false, false})
            down ? inj.press(keycode::Ok) : inj.release(keycode::Ok);
        QCOMPARE(r.drain(), QStringLiteral("K28=1 S K28=0 S"));
        // A key typed on the PC shows on the keypad.
        inj.press(keycode::Left);
        QVERIFY(pad.button(keycode::Left)->isDown());
        inj.release(keycode::Left);
        QVERIFY(!pad.button(keycode::Left)->isDown());
        // Nobody reading the device: no harm.
        TestBoard other;
        sim::KeyInjector lone(fifo(), 30, 20);
        lone.press(keycode::Ok);
        QTest::qWait(80);
        lone.release(keycode::Ok);
        QVERIFY(!lone.isHeld(keycode::Ok));
    }

    // The key typed on the PC, with Ctrl or not and with one auto-repeat of
    // the PC's own or not; the code it writes and the text the focused widget gets.
    void pcKeys_data()
    {
        QTest::addColumn<int>("qtKey");
        QTest::addColumn<bool>("ctrl");
        QTest::addColumn<bool>("pcRepeat");
        QTest::addColumn<int>("code");   // 0: none
        QTest::addColumn<QString>("text");
        QTest::newRow("up") << int(Qt::Key_Up) << false << false << keycode::Up << "";
        QTest::newRow("Enter is OK") << int(Qt::Key_Return) << false << false << keycode::Ok << "";
        QTest::newRow("keypad Enter is OK") << int(Qt::Key_Enter) << false << false << keycode::Ok << "";
        QTest::newRow("Backspace is back") << int(Qt::Key_Backspace) << false << false << keycode::Back << "";
        QTest::newRow("T is the trigger") << int(Qt::Key_T) << false << false << keycode::Trigger << "";
        QTest::newRow("P is the gallery") << int(Qt::Key_P) << false << false << keycode::Gallery << "";
        // The PC's own repeats are dropped: the injector repeats as the board does.
        QTest::newRow("PC repeat dropped") << int(Qt::Key_Up) << false << true << keycode::Up << "";
        QTest::newRow("other keys pass by") << int(Qt::Key_A) << false << false << 0 << "a";
        QTest::newRow("Ctrl+T is no trigger") << int(Qt::Key_T) << true << false << 0 << "";
    }
    void pcKeys()
    {
        QFETCH(int, qtKey);
        QFETCH(bool, pcRepeat);
        QFETCH(int, code);
        TestBoard b;
        Reader r;
        sim::KeyInjector inj(fifo());
        sim::PcKeyboard pc(&inj);
        qApp->installEventFilter(&pc);
        QLineEdit edit;   // a widget that would take these keys itself
        edit.show();
        QFETCH(bool, ctrl);
        const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
        QTest::keyPress(&edit, Qt::Key(qtKey), mods);
        for (QEvent::Type t : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent rep(t, qtKey, mods, QString(), true);
            if (pcRepeat)
                QApplication::sendEvent(&edit, &rep);
        }
        QTest::keyRelease(&edit, Qt::Key(qtKey), mods);
        qApp->removeEventFilter(&pc);
        QCOMPARE(r.drain(), code ? QStringLiteral("K%1=1 S K%1=0 S").arg(code) : QString());
        QTEST(edit.text(), "text");   // the widgets never see the device's keys
    }

    // ---- the dispatcher: navigation ------------------------------------------------------------------

    // Entry of the settings list, entry of the system list (-1: none) and the screen that opens.
    void settingsTreeLevels_data()
    {
        QTest::addColumn<int>("settingsEntry");
        QTest::addColumn<int>("systemEntry");
        QTest::addColumn<QString>("screen");
        QTest::newRow("Language") << 0 << -1 << "LanguageSetSubMenu";
        QTest::newRow("Measurements") << 8 << -1 << "MeasurementSetMenu";
        QTest::newRow("Auto save") << 9 << 3 << "AutoSaveSetSubMenu";
    }
    void settingsTreeLevels()
    {
        QFETCH(int, settingsEntry);
        QFETCH(int, systemEntry);
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        d.press(keycode::Ok);
        d.press(keycode::Left);   // round from the first button to "Settings"
        QCOMPARE(d.focusIn(w.mainMenu), entry(w.mainMenu, 4));
        d.press(keycode::Ok);
        d.press(keycode::Down, settingsEntry);
        d.press(keycode::Ok);
        QStringList open{"MainMenu", "SettingSubMenu"};
        if (systemEntry >= 0) {
            open << QStringLiteral("SystemSettingSubMenu");
            d.press(keycode::Down, systemEntry);
            d.press(keycode::Ok);
        }
        QTEST(w.menuStack.top()->objectName(), "screen");
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
        QWidget *screen = w.menuStack.top();
        const auto editing = [&] {
            return settingsEntry == 1 ? w.dateTimeSetMenu->editing
                : settingsEntry == 3  ? w.hiloAlertSetMenu->editing
                                      : w.measurementSetMenu->editing;
        };
        d.press(keycode::Ok);
        QVERIFY(editing());
        screen->hide();
        QVERIFY(!editing());
        d.press(keycode::Back, 2);
        QCOMPARE(d.visibleMenus(), QStringList());
    }

    // The gallery key from a settings screen returns to the live view.
    void galleryKeyReturnsToTheLiveView()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        d.openSetting(3);   // HI/LO Alert
        // A threshold being edited, the focus elsewhere: the screen will not close,
        // and the key must not spin on it.
        w.hiloAlertSetMenu->editing = true;
        w.hiloAlertSetMenu->radioButton->setFocus();
        d.press(keycode::Gallery);
        QVERIFY(w.hiloAlertSetMenu->isVisible());
        w.hiloAlertSetMenu->editing = false;
        d.press(keycode::Gallery);
        QCOMPARE(d.visibleMenus(), QStringList());
    }

    void deleteQuestionFocusMovesOnce()
    {
        LiveDevice d;
        d.boot();
        DeleteImageMenu *m = d.w->deleteImageMenu;
        d.press(keycode::Gallery);
        m->deleteImageMenuEnable();
        QCOMPARE(d.w->menuStack.top(), m);
        QCOMPARE(d.focusIn(m), m->pushButton_2);   // "No"
        // The dispatcher's own toggle, and no second move on top of it.
        for (const auto &[key, focus] : {std::pair{keycode::Up, m->pushButton},
                                         {keycode::Down, m->pushButton_2},
                                         {keycode::Down, m->pushButton}}) {
            d.press(key);
            QCOMPARE(d.focusIn(m), focus);
        }
    }

    // The key and its record value, whether the details page covers the image,
    // and the button (0 previous, 1 next, -1 none) clicked on the viewer and on its bar.
    void imageViewerStepsWithLeftAndRight_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("value");
        QTest::addColumn<bool>("details");
        QTest::addColumn<int>("clicked");
        QTest::newRow("left: previous image") << keycode::Left << 1 << false << 0;
        QTest::newRow("left repeating: no step") << keycode::Left << 2 << false << -1;
        QTest::newRow("details shown: no step") << keycode::Right << 1 << true << -1;
    }
    void imageViewerStepsWithLeftAndRight()
    {
        QFETCH(int, key);
        QFETCH(int, value);
        QFETCH(bool, details);
        QFETCH(int, clicked);
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        d.press(keycode::Gallery);
        w.imageViewer->show();
        w.imageViewerMenu->show();
        w.imageDetailInfoMenu->setVisible(details);
        Ints counts;
        QList<std::shared_ptr<QSignalSpy>> spies;   // previous and next, on the viewer and on its bar
        for (QPushButton *b : {w.imageViewer->pushButton, w.imageViewer->pushButton_2, w.imageViewerMenu->pushButton,
                               w.imageViewerMenu->pushButton_2})
            spies << std::make_shared<QSignalSpy>(b, &QPushButton::clicked);
        d.record(key, value);
        for (const auto &s : spies)
            counts << int(s->count());
        QCOMPARE(counts, (Ints{clicked == 0, clicked == 1, clicked == 0, clicked == 1}));
        QVERIFY(clicked < 0 || d.focusIn(w.imageViewerMenu) == entry(w.imageViewerMenu, clicked));
    }

    void tapOnTheLiveViewCaptures()
    {
        LiveDevice d;
        d.boot();
        QSignalSpy capture(d.w->saveTriggerButton, &QPushButton::clicked);
        QTest::mouseClick(d.w->DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
        QCOMPARE(capture.count(), 1);
        d.press(keycode::Back);   // the frozen picture let go
        d.press(keycode::Ok);     // a menu over the live view: a tap is no capture
        QTest::mouseClick(d.w->DisplayLabel, Qt::LeftButton, {}, QPoint(120, 160));
        QCOMPARE(capture.count(), 1);
    }

    // ---- the dispatcher: reading ---------------------------------------------------------------------

    void keysDuringBootAreDiscarded()
    {
        LiveDevice d;   // the main window is still hidden
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

    void whatResetsThePowerOffCount_data()
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
    void whatResetsThePowerOffCount()
    {
        QFETCH(int, type);
        QFETCH(int, code);
        QFETCH(int, value);
        QFETCH(bool, resets);
        LiveDevice d;
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
    void floodIsReadInBoundedSlices()
    {
        LiveDevice d;
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
        const QByteArray ok = record(EV_KEY, keycode::Ok, 1);
        QFile f(d.board.file(QStringLiteral("/dev/input/event_key")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        f.write(ok.left(10));
        d.settle();
        QCOMPARE(d.visibleMenus(), QStringList());
        QCOMPARE(d.w->keyStream.pending(), 10);
        f.write(ok.mid(10));
        d.settle();
        QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("MainMenu")});
        QCOMPARE(d.w->keyStream.pending(), 0);
    }

    // ---- the dispatcher: combinations, trigger and back -------------------------------------------------

    // A key pressed while `held` repeats, the situation, the hidden button it
    // should click (calTemp, upgrade, calImage) and whether it does.
    void keyCombinations_data()
    {
        QTest::addColumn<int>("held");
        QTest::addColumn<int>("pressed");
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("opens");
        const int up = keycode::Up, down = keycode::Down, left = keycode::Left, right = keycode::Right;
        QTest::newRow("UP+DOWN: live view") << down << up << "thermal" << QString("calTemp") << true;
        QTest::newRow("UP+DOWN: fusion") << down << up << "fusion" << QString("calTemp") << false;
        QTest::newRow("UP+DOWN: a cursor moving") << down << up << "cursor" << QString("calTemp") << false;
        QTest::newRow("UP+DOWN: main menu open") << down << up << "menu" << QString("calTemp") << false;
        QTest::newRow("UP+DOWN: gallery open") << down << up << "gallery" << QString("calTemp") << false;
        QTest::newRow("LEFT+RIGHT: thermal") << right << left << "thermal" << QString("upgrade") << true;
        QTest::newRow("LEFT+RIGHT: visible") << right << left << "visible" << QString("upgrade") << false;
        QTest::newRow("LEFT+RIGHT: fusion") << right << left << "fusion" << QString("upgrade") << false;
        QTest::newRow("LEFT+RIGHT: picture in picture") << right << left << "pip" << QString("upgrade") << false;
        QTest::newRow("LEFT+DOWN: thermal") << down << left << "thermal" << QString("calImage") << true;
        QTest::newRow("LEFT+DOWN: visible") << down << left << "visible" << QString("calImage") << true;
        QTest::newRow("LEFT+DOWN: picture in picture") << down << left << "pip" << QString("calImage") << true;
        QTest::newRow("LEFT+DOWN: fusion") << down << left << "fusion" << QString("calImage") << false;
        QTest::newRow("LEFT+DOWN: a cursor moving") << down << left << "cursor" << QString("calImage") << false;
    }
    void keyCombinations()
    {
        QFETCH(int, held);
        QFETCH(int, pressed);
        QFETCH(QString, situation);
        QFETCH(QString, button);
        QFETCH(bool, opens);
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        const QStringList modes{"thermal", "visible", "fusion", "pip"};
        if (modes.contains(situation))
            d.showMode(int(modes.indexOf(situation)));
        else if (situation == "cursor")
            (button == "calTemp" ? viewState.moveCursorTwoLabelEnabled : viewState.moveCursorThreeLabelEnabled) = true;
        else
            d.press(situation == "menu" ? keycode::Ok : keycode::Gallery);
        QPushButton *target = button == "calTemp" ? w.calTempButton
            : button == "upgrade"                 ? w.upgradeButton
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
        if (button != "calTemp")
            return;
        QCOMPARE(mode.count(), opens ? 1 : 0);
        // No auto power-off while calibrating.
        QCOMPARE(d.key("auto_power_off"), opens ? QStringLiteral("Off") : QStringLiteral("30Minutes"));
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

    void backTwiceInTheLiveViewOneShutter()
    {
        LiveDevice d;
        d.boot();
        Norvik7 &w = *d.w;
        QVERIFY(w.calTempSubMenu->shutterReady);
        d.press(keycode::Back);
        QCOMPARE(w.menuTipsLabel->text(), QStringLiteral("Calibrating..."));
        QVERIFY(w.menuTipsLabel->isVisible() && !w.calTempSubMenu->shutterReady);
        w.menuTipsLabel->hide();
        d.press(keycode::Back);   // within 3 s: no second correction
        QVERIFY(!w.menuTipsLabel->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(w.calTempSubMenu->shutterReady, 5000);
        d.press(keycode::Back);
        QVERIFY(w.menuTipsLabel->isVisible());
    }
};

QTEST_MAIN(TestKeys)
#include "tst_keys.moc"
