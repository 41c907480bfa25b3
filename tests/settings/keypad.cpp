#include "keypad.h"

#include "app/config.h"
#include "app/keystate.h"
#include "liveview/viewstate.h"

#include <QCoreApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {
int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr);
    socklen_t len = sizeof addr;
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}
}  // namespace

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
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(freePort()));
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

void Keypad::settle() const
{
    for (int i = 0; i < 500; ++i) {
        QCoreApplication::processEvents();
        int pending = 0;
        if (::ioctl(w->kbdFd, FIONREAD, &pending) == 0 && pending == 0)
            break;
        QTest::qWait(2);
    }
    QCoreApplication::processEvents();
}

void Keypad::record(int code, int value) const
{
    board.sendKey(code, value);
    settle();
}

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

void Keypad::openSettings() const
{
    ok();
    right(4);
    ok();
}

void Keypad::openSettingsEntry(int index) const
{
    openSettings();
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
