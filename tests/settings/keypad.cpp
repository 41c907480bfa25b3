#include "keypad.h"

#include "connectivity/loopbackclient.h"

#include "core/config.h"
#include "core/keystate.h"
#include "liveview/viewstate.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

Keypad::Keypad(bool buildNow)
{
    if (buildNow)
        build();
}

void Keypad::build()
{
    keys::resetState();
    // Screens are checked by their English texts.
    config::write(config::Main, QStringLiteral("language"), QStringLiteral("English"));
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(loopback::freePort()));
    w = std::make_unique<Norvik7>();
    qunsetenv("NORVIK7_TCP_PORT");
    for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
        t->stop();
    image_mode.store(0);
    w->show();
    w->initializingLabel->hide();
    if (!QTest::qWaitForWindowExposed(w.get()))
        qWarning("the main window was not exposed");
}

void Keypad::settle() const { TestBoard::waitUntilKeysRead(w->kbdFd); }

void Keypad::press(int code, int times) const
{
    for (int i = 0; i < times; ++i) {
        board.sendKey(code, 1);
        board.sendKey(code, 0);
        settle();
    }
}

void Keypad::repeat(int code) const
{
    board.sendKey(code, 1);
    board.sendKey(code, 2);
    board.sendKey(code, 0);
    settle();
}

void Keypad::ok(int times) const { press(keycode::Ok, times); }
void Keypad::back(int times) const { press(keycode::Back, times); }
void Keypad::up(int times) const { press(keycode::Up, times); }
void Keypad::down(int times) const { press(keycode::Down, times); }
void Keypad::left(int times) const { press(keycode::Left, times); }
void Keypad::right(int times) const { press(keycode::Right, times); }

void Keypad::openSettingsEntry(int index) const
{
    ok();
    right(4);
    ok();
    down(index);
    ok();
}

void Keypad::openSystemEntry(int index) const
{
    openSettingsEntry(9);
    down(index);
    ok();
}

QStringList Keypad::visibleMenus() const
{
    QStringList names;
    for (QWidget *m : w->menuWindows())
        if (m->isVisible())
            names << m->objectName();
    names.sort();
    return names;
}
