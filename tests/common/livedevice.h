#pragma once
// The camera in a test, driven as a person drives it: a fresh simulated board,
// the main window built on it and keys written into its key device, read by
// the program's own notifier.
#include "core/keystate.h"
#include "core/menuwindow.h"
#include "app/norvik7.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"

#include <QTimer>
#include <QtTest>

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
        image_mode.store(0);
        saveImageDone.store(true);
        moveCursorOneLabelEnabled = moveCursorTwoLabelEnabled = moveCursorThreeLabelEnabled = false;
    }
    // The live view after start-up.
    void boot()
    {
        w->show();
        w->initializingLabel->hide();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    }
    // Until the program has read everything written to its key device.
    void settle() const { TestBoard::waitUntilKeysRead(w->kbdFd); }
    void record(int code, int value) const
    {
        board.sendKey(code, value);
        settle();
    }
    // A press and its release.
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, 1);
            board.sendKey(code, 0);
            settle();
        }
    }
    void hold(int code) const { record(code, 1); }
    void repeat(int code) const { record(code, 2); }
    void release(int code) const { record(code, 0); }
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
    // The live view in image mode `mode` as the image-mode pop-up chose it
    // (its preview timer keeps the mode of the ticked button).
    void showMode(int mode) const
    {
        const int button = mode >= 0 && mode <= 3 ? mode : 0;
        w->imageModeSubMenu->buttons()[button]->setChecked(true);
        image_mode.store(mode);
    }
    QString key(const char *k) const { return config::readString(config::Main, QString::fromLatin1(k)); }

    // Object names of the visible menu windows, sorted.
    QStringList visibleMenus() const
    {
        QStringList names;
        for (QWidget *m : w->menuWindows())
            if (m->isVisible())
                names << m->objectName();
        names.sort();
        return names;
    }
    QWidget *focusIn(QWidget *menu) const { return menu->focusWidget(); }
};
