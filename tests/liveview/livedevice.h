#pragma once
// The camera in a test: a fresh simulated board, the main window built on it
// and keys written into its key device, read by the program's own notifier.
#include "app/keystate.h"
#include "app/menus/menuwindow.h"
#include "app/norvik7.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"

#include <QTimer>
#include <QtTest>

#include <sys/ioctl.h>

#include <functional>
#include <memory>

struct LiveDevice {
    TestBoard board;
    std::unique_ptr<Norvik7> w;

    // `before` runs on the fresh board before the window is built (stored settings).
    explicit LiveDevice(const std::function<void(TestBoard &)> &before = {})
    {
        if (before)
            before(board);
        keys::resetState();
        w = std::make_unique<Norvik7>();
        // The 500 ms timers are run by hand where a test needs them.
        for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
            t->stop();
        saveImageDone.store(true);
    }
    // The live view after start-up.
    void boot()
    {
        w->show();
        w->initializingLabel->hide();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    // Until the program has read everything written to its key device.
    void settle() const
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
    void record(int code, int value) const
    {
        board.sendKey(code, value);
        settle();
    }
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, 1);
            board.sendKey(code, 0);
            settle();
        }
    }
    // A held key: pressed, one auto-repeat, released.
    void holdOnce(int code) const
    {
        board.sendKey(code, 1);
        board.sendKey(code, 2);
        board.sendKey(code, 0);
        settle();
    }
    // From the live view into the settings list, its entry `index` opened.
    void openSetting(int index) const
    {
        press(keycode::Ok);
        press(keycode::Left);   // round from the first button to "Settings"
        press(keycode::Ok);
        press(keycode::Down, index);
        press(keycode::Ok);
    }
    QString key(const char *k) const { return config::readString(config::Main, QString::fromLatin1(k)); }
};
