// The key input's rules that need no main window: whole records out of the
// key device's byte stream, and moving the focus between the entries of the
// menu on top. Keys held together and the trigger are the dispatcher suite's.
#include "core/keystate.h"
#include "app/keyrecords.h"
#include "app/menustack.h"

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
}   // namespace

class TestKeyState : public QObject {
    Q_OBJECT
private slots:
    void wholeRecordsFromPieces();
    void menuOnTopFollowsShowAndHide();
    void focusMovesBetweenEntries();
    void focusDoesNotTickRadioButtons();
};

// Cutting at every place is the fuzz target's work; here the fields and the sign.
void TestKeyState::wholeRecordsFromPieces()
{
    keys::RecordStream s;
    const QByteArray two = record(EV_KEY, 103, 1) + record(EV_KEY, 28, -7);
    s.append(two.constData(), 5);
    QVERIFY(!s.hasRecord());
    s.append(two.constData() + 5, two.size() - 10);
    const keys::KeyRecord a = s.take();
    QCOMPARE((QList<int>{a.type, a.code, a.value}), (QList<int>{EV_KEY, 103, 1}));
    QVERIFY(!s.hasRecord());
    s.append(two.constData() + two.size() - 5, 5);
    QCOMPARE(s.take().value, -7);   // the value is signed
    QCOMPARE(s.pending(), 0);
}

void TestKeyState::menuOnTopFollowsShowAndHide()
{
    Menu a({"a1"}), b({"b1"}), c({"c1"});
    MenuStack stack;
    for (Menu *m : {&a, &b, &c})
        stack.track(&m->window);
    QCOMPARE(stack.top(), nullptr);
    // Shown, a window is on top (again); hidden, the one shown before it is.
    for (const auto &[m, show, top] : {std::tuple{&a, true, &a},
                                       {&b, true, &b},
                                       {&c, true, &c},
                                       {&a, false, &c},
                                       {&a, true, &a},
                                       {&a, false, &c},
                                       {&c, false, &b},
                                       {&b, false, nullptr}}) {
        m->window.setVisible(show);
        QCOMPARE(stack.top(), top ? &top->window : nullptr);
    }
}

void TestKeyState::focusMovesBetweenEntries()
{
    Menu m({"one", "two", "three", "four"});
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
    // Nothing on top: nothing moves.
    m.window.hide();
    QVERIFY(!stack.moveFocusOnTop(true));
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
    QVERIFY(m.buttons[2]->isChecked() && !m.buttons[3]->isChecked());
}

QTEST_MAIN(TestKeyState)
#include "tst_keystate.moc"
