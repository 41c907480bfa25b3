// The key input's rules that need no main window: whole records out of the
// key device's byte stream, arrows held together, the trigger's short and
// long press, and moving the focus between the entries of the menu on top.
#include "app/keystate.h"
#include "app/menustack.h"

#include <QCheckBox>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

#include <cstring>
#include <linux/input.h>

namespace {
QByteArray record(int type, int code, int value)
{
    struct input_event ev;
    std::memset(&ev, 0, sizeof ev);
    ev.time.tv_sec = 1234;
    ev.type = static_cast<__u16>(type);
    ev.code = static_cast<__u16>(code);
    ev.value = value;
    return QByteArray(reinterpret_cast<const char *>(&ev), sizeof ev);
}

// A menu window with a title label and buttons, like the settings lists.
struct Menu {
    QMainWindow window;
    QList<QAbstractButton *> buttons;
    explicit Menu(const QStringList &entries, bool radio = false)
    {
        auto *central = new QWidget(&window);
        window.setCentralWidget(central);
        new QLabel(QStringLiteral("Title"), central);
        int y = 30;
        for (const QString &e : entries) {
            QAbstractButton *b = radio ? static_cast<QAbstractButton *>(new QRadioButton(e, central))
                                       : static_cast<QAbstractButton *>(new QPushButton(e, central));
            if (!radio)
                b->setFocusPolicy(Qt::StrongFocus);
            b->setGeometry(0, y, 200, 30);
            y += 32;
            buttons << b;
        }
        window.resize(240, 320);
    }
};
}  // namespace

class TestKeyState : public QObject {
    Q_OBJECT
private slots:
    void wholeRecordsFromPieces();
    void heldTogether_data();
    void heldTogether();
    void trigger_data();
    void trigger();
    void menuOnTopFollowsShowAndHide();
    void focusMovesBetweenEntries();
    void focusSkipsWhatCannotTakeIt();
    void focusDoesNotTickRadioButtons();
};

void TestKeyState::wholeRecordsFromPieces()
{
    keys::RecordStream s;
    QCOMPARE(s.recordSize(), static_cast<int>(sizeof(struct input_event)));
    const QByteArray two = record(EV_KEY, 103, 1) + record(EV_SYN, 0, 0);
    // Split inside the first record, then inside the second.
    s.append(two.constData(), 5);
    QVERIFY(!s.hasRecord());
    s.append(two.constData() + 5, s.recordSize());
    QVERIFY(s.hasRecord());
    const keys::KeyRecord a = s.take();
    QCOMPARE(a.type, EV_KEY);
    QCOMPARE(a.code, 103);
    QCOMPARE(a.value, 1);
    QVERIFY(!s.hasRecord());
    QCOMPARE(s.pending(), 5);
    s.append(two.constData() + 5 + s.recordSize(), two.size() - 5 - s.recordSize());
    const keys::KeyRecord b = s.take();
    QCOMPARE(b.code, 0);
    QCOMPARE(b.value, 0);
    QCOMPARE(s.pending(), 0);
    // Negative values survive (the value is signed).
    const QByteArray odd = record(EV_KEY, 28, -7);
    s.append(odd.constData(), odd.size());
    QCOMPARE(s.take().value, -7);
}

void TestKeyState::heldTogether_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("together");
    QTest::newRow("pressed while the other repeats") << 1 << 2 << true;
    QTest::newRow("repeats while the other is pressed") << 2 << 1 << true;
    QTest::newRow("both pressed") << 1 << 1 << false;
    QTest::newRow("both repeating") << 2 << 2 << false;
    QTest::newRow("other released") << 1 << 0 << false;
}

void TestKeyState::heldTogether()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, together);
    QCOMPARE(keys::heldTogether(a, b), together);
}

void TestKeyState::trigger_data()
{
    // Values of the trigger's records and the action after each, as letters:
    // - nothing, S short press, L long press.
    QTest::addColumn<QList<int>>("values");
    QTest::addColumn<QString>("actions");
    QTest::newRow("short press acts on release") << QList<int>{1, 0} << "-S";
    QTest::newRow("long press acts once on the first repeat") << QList<int>{1, 2, 2, 2, 0} << "-L---";
    QTest::newRow("two short presses") << QList<int>{1, 0, 1, 0} << "-S-S";
    QTest::newRow("long then short") << QList<int>{1, 2, 2, 0, 1, 0} << "-L---S";
    QTest::newRow("short then long") << QList<int>{1, 0, 1, 2, 0} << "-S-L-";
    QTest::newRow("stray release") << QList<int>{0, 1, 0} << "--S";
}

void TestKeyState::trigger()
{
    QFETCH(QList<int>, values);
    QFETCH(QString, actions);
    int s1 = 0, s2 = 1, s3 = 1;
    QString got;
    for (int v : values) {
        switch (keys::triggerStep(s1, s2, s3, v)) {
        case keys::TriggerAction::None: got += '-'; break;
        case keys::TriggerAction::ShortPress: got += 'S'; break;
        case keys::TriggerAction::LongPress: got += 'L'; break;
        }
    }
    QCOMPARE(got, actions);
    // Every complete press leaves the states where they started.
    QCOMPARE(s1, 0);
    QCOMPARE(s2, 1);
    QCOMPARE(s3, 1);
}

void TestKeyState::menuOnTopFollowsShowAndHide()
{
    Menu a({"a1"}), b({"b1"}), c({"c1"});
    MenuStack stack;
    for (Menu *m : {&a, &b, &c})
        stack.track(&m->window);
    QCOMPARE(stack.top(), nullptr);
    a.window.show();
    b.window.show();
    QCOMPARE(stack.top(), &b.window);
    c.window.show();
    QCOMPARE(stack.top(), &c.window);
    // Showing a again makes it the one on top.
    a.window.hide();
    a.window.show();
    QCOMPARE(stack.top(), &a.window);
    a.window.hide();
    QCOMPARE(stack.top(), &c.window);
    c.window.hide();
    QCOMPARE(stack.top(), &b.window);
    b.window.hide();
    QCOMPARE(stack.top(), nullptr);
}

void TestKeyState::focusMovesBetweenEntries()
{
    Menu m({"one", "two", "three"});
    MenuStack stack;
    stack.track(&m.window);
    m.window.show();
    m.buttons[0]->setFocus();
    QVERIFY(stack.moveFocusOnTop(true));
    QCOMPARE(m.window.focusWidget(), m.buttons[1]);
    QVERIFY(stack.moveFocusOnTop(true));
    QVERIFY(stack.moveFocusOnTop(true));
    QCOMPARE(m.window.focusWidget(), m.buttons[0]);   // round at the end
    QVERIFY(stack.moveFocusOnTop(false));
    QCOMPARE(m.window.focusWidget(), m.buttons[2]);   // and back round
    // Nothing on top: nothing moves.
    m.window.hide();
    QVERIFY(!stack.moveFocusOnTop(true));
}

void TestKeyState::focusSkipsWhatCannotTakeIt()
{
    Menu m({"one", "two", "three", "four"});
    m.buttons[1]->setFocusPolicy(Qt::NoFocus);
    m.buttons[2]->setEnabled(false);
    m.window.show();
    m.buttons[0]->setFocus();
    QVERIFY(MenuStack::moveFocus(&m.window, true));
    QCOMPARE(m.window.focusWidget(), m.buttons[3]);
    // A row whose buttons all gave up the focus keeps it where it is.
    for (QAbstractButton *b : m.buttons)
        b->setFocusPolicy(Qt::NoFocus);
    QVERIFY(!MenuStack::moveFocus(&m.window, true));
    QCOMPARE(m.window.focusWidget(), m.buttons[3]);
}

void TestKeyState::focusDoesNotTickRadioButtons()
{
    Menu m({"5 Minutes", "10 Minutes", "30 Minutes", "Off"}, true);
    m.window.show();
    m.buttons[2]->setChecked(true);
    // The toolkit may leave the unticked buttons of a radio group without tab
    // focus; they are entries all the same.
    for (int i : {0, 1, 3})
        m.buttons[i]->setFocusPolicy(Qt::FocusPolicy(Qt::StrongFocus & ~Qt::TabFocus));
    m.buttons[2]->setFocus();
    MenuStack::moveFocus(&m.window, true);
    QCOMPARE(m.window.focusWidget(), m.buttons[3]);
    QVERIFY(m.buttons[2]->isChecked());
    QVERIFY(!m.buttons[3]->isChecked());
}

QTEST_MAIN(TestKeyState)
#include "tst_keystate.moc"
