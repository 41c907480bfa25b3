// The simulator's keys: records written into the key device exactly as the
// board's key driver writes them, from the on-screen keypad and the PC keyboard.
#include "core/keystate.h"
#include "board/board.h"
#include "common/testboard.h"
#include "sim/keyinjector.h"
#include "sim/keypad.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

namespace {

struct Rec {
    int type, code, value;
    qint64 usec;
};

// The reading end of the key device, as the program holds it.
class Reader {
public:
    Reader()
    {
        m_fd = ::open(QFile::encodeName(board::path(QStringLiteral("/dev/input/event_key"))).constData(),
                      O_RDWR | O_NONBLOCK);
    }
    ~Reader() { ::close(m_fd); }
    QList<Rec> drain()
    {
        QList<Rec> out;
        struct input_event ev;
        while (::read(m_fd, &ev, sizeof ev) == static_cast<ssize_t>(sizeof ev))
            out << Rec{ev.type, ev.code, ev.value, qint64(ev.time.tv_sec) * 1000000 + ev.time.tv_usec};
        return out;
    }
    bool ok() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// "K103=1 S K103=0 S": key records as code=value, synchronisation records as S.
QString shape(const QList<Rec> &recs)
{
    QStringList parts;
    for (const Rec &r : recs)
        parts << (r.type == EV_SYN && r.code == 0 && r.value == 0 ? QStringLiteral("S")
                                                                  : QStringLiteral("K%1=%2").arg(r.code).arg(r.value));
    return parts.join(' ');
}

QString fifo() { return board::path(QStringLiteral("/dev/input/event_key")); }

}   // namespace

class TestKeypad : public QObject {
    Q_OBJECT
private slots:
    void onlyTheLastPressedKeyRepeats();
    void keypadButtonsInject();
    void pcKeys_data();
    void pcKeys();
    void noReaderNoHarm();
};

void TestKeypad::onlyTheLastPressedKeyRepeats()
{
    TestBoard b;
    Reader r;
    sim::KeyInjector inj(fifo(), 120, 60);
    inj.press(keycode::Down);
    QList<Rec> recs;
    QTRY_VERIFY_WITH_TIMEOUT((recs += r.drain(), recs.size() >= 4), 3000);   // DOWN repeating
    inj.press(keycode::Up);
    recs.clear();
    QTRY_VERIFY_WITH_TIMEOUT((recs += r.drain(), recs.size() >= 8), 3000);   // press, 3 repeats
    const QString s = shape(recs);
    QVERIFY2(s.startsWith(QStringLiteral("K103=1 S K103=2 S K103=2 S K103=2 S")), qPrintable(s));
    // First repeat after the delay, the next ones after the period.
    QVERIFY(recs[2].usec - recs[0].usec >= 119000);
    QVERIFY(recs[4].usec - recs[2].usec >= 59000);
    QVERIFY(recs[4].usec - recs[2].usec < 119000);
    // Releasing UP ends all repeating, though DOWN is still held.
    inj.release(keycode::Up);
    QTest::qWait(150);
    recs = r.drain();
    QVERIFY2(shape(recs).endsWith(QStringLiteral("K103=0 S")) && !shape(recs).contains(QStringLiteral("K108=2")),
             qPrintable(shape(recs)));
    inj.release(keycode::Down);
    QCOMPARE(shape(r.drain()), QStringLiteral("K108=0 S"));
}

void TestKeypad::keypadButtonsInject()
{
    TestBoard b;
    Reader r;
    sim::KeyInjector inj(fifo());
    sim::Keypad pad(&inj);
    pad.show();
    const QList<int> codes{keycode::Ok,    keycode::Up,   keycode::Down,    keycode::Left,
                           keycode::Right, keycode::Back, keycode::Trigger, keycode::Gallery};
    QString expected;
    for (int c : codes) {
        QPushButton *key = pad.button(c);
        QVERIFY(key);
        QVERIFY(pad.rect().contains(key->geometry()));
        QTest::mousePress(key, Qt::LeftButton);
        QTest::mouseRelease(key, Qt::LeftButton);
        expected += QStringLiteral(" K%1=1 S K%1=0 S").arg(c);
    }
    QCOMPARE(shape(r.drain()), expected.trimmed());
    // A press of a key already down, a release of one already up: nothing.
    inj.press(keycode::Ok);
    inj.press(keycode::Ok);
    inj.release(keycode::Ok);
    inj.release(keycode::Ok);
    const QList<Rec> recs = r.drain();
    QCOMPARE(shape(recs), QStringLiteral("K28=1 S K28=0 S"));
    QCOMPARE(recs[0].type, EV_KEY);
    // A key typed on the PC shows on the keypad.
    inj.press(keycode::Left);
    QVERIFY(pad.button(keycode::Left)->isDown());
    inj.release(keycode::Left);
    QVERIFY(!pad.button(keycode::Left)->isDown());
}

void TestKeypad::pcKeys_data()
{
    // The key typed on the PC, with Ctrl or not and with one auto-repeat of
    // the PC's own or not; the records it writes and the text the focused
    // widget gets.
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<bool>("ctrl");
    QTest::addColumn<bool>("pcRepeat");
    QTest::addColumn<QString>("records");
    QTest::addColumn<QString>("text");
    const QString one = QStringLiteral("K%1=1 S K%1=0 S");
    auto key = [&](const char *name, int qt, int code) {
        QTest::newRow(name) << qt << false << false << one.arg(code) << QString();
    };
    key("up", Qt::Key_Up, keycode::Up);
    key("down", Qt::Key_Down, keycode::Down);
    key("left", Qt::Key_Left, keycode::Left);
    key("right", Qt::Key_Right, keycode::Right);
    key("Enter is OK", Qt::Key_Return, keycode::Ok);
    key("keypad Enter is OK", Qt::Key_Enter, keycode::Ok);
    key("Backspace is back", Qt::Key_Backspace, keycode::Back);
    key("T is the trigger", Qt::Key_T, keycode::Trigger);
    key("P is the gallery", Qt::Key_P, keycode::Gallery);
    // The PC's own repeats are dropped: the injector repeats as the board does.
    QTest::newRow("PC repeat dropped") << int(Qt::Key_Up) << false << true << one.arg(keycode::Up) << QString();
    QTest::newRow("other keys pass by") << int(Qt::Key_A) << false << false << QString() << "a";
    QTest::newRow("Ctrl+T is no trigger") << int(Qt::Key_T) << true << false << QString() << QString();
}

void TestKeypad::pcKeys()
{
    QFETCH(int, qtKey);
    QFETCH(bool, ctrl);
    QFETCH(bool, pcRepeat);
    QFETCH(QString, records);
    QFETCH(QString, text);
    TestBoard b;
    Reader r;
    sim::KeyInjector inj(fifo());
    sim::PcKeyboard pc(&inj);
    qApp->installEventFilter(&pc);
    QLineEdit edit;   // a widget that would take these keys itself
    edit.show();
    const Qt::KeyboardModifiers mods = ctrl ? Qt::ControlModifier : Qt::NoModifier;
    QTest::keyPress(&edit, Qt::Key(qtKey), mods);
    if (pcRepeat) {
        QKeyEvent rep(QEvent::KeyPress, qtKey, mods, QString(), true);
        QApplication::sendEvent(&edit, &rep);
        QKeyEvent repUp(QEvent::KeyRelease, qtKey, mods, QString(), true);
        QApplication::sendEvent(&edit, &repUp);
    }
    QTest::keyRelease(&edit, Qt::Key(qtKey), mods);
    qApp->removeEventFilter(&pc);
    QCOMPARE(shape(r.drain()), records);
    QCOMPARE(edit.text(), text);   // the widgets never see the device's keys
}

void TestKeypad::noReaderNoHarm()
{
    TestBoard b;   // nobody holds the key device open
    sim::KeyInjector inj(fifo(), 30, 20);
    inj.press(keycode::Ok);
    QTest::qWait(80);
    inj.release(keycode::Ok);
    QVERIFY(!inj.isHeld(keycode::Ok));
}

QTEST_MAIN(TestKeypad)
#include "tst_keypad.moc"
