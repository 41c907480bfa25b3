#pragma once
// The program on a fresh simulated board, driven as a person drives it: key
// records written into its key device and read by its own notifier.
#include "app/norvik7.h"
#include "common/testboard.h"

#include <QStringList>

#include <memory>

class QWidget;

struct Keypad {
    TestBoard board;
    std::unique_ptr<Norvik7> w;

    // Builds the main window (the temperature server on a free port) and
    // shows it as after start-up, with the repeating timers stopped.
    explicit Keypad(bool build = true);
    void build();
    // Waits until the program has read everything written to its key device.
    void settle() const;
    // A press and its release, `times` times.
    void press(int code, int times = 1) const;
    // An auto-repeat record of a held key.
    void repeat(int code) const;

    void ok(int times = 1) const;
    void back(int times = 1) const;
    void up(int times = 1) const;
    void down(int times = 1) const;
    void left(int times = 1) const;
    void right(int times = 1) const;

    // From the live view (OK, RIGHT x4, OK), the settings list's entry
    // `index` (0 "Language" ... 9 "System settings").
    void openSettingsEntry(int index) const;
    // The system settings list's entry `index` (0 "Device information" ... 4 "Wi-Fi").
    void openSystemEntry(int index) const;

    QStringList visibleMenus() const;
};
