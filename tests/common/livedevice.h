#pragma once
// The camera in a test, driven as a person drives it: a fresh simulated board,
// the main window built on it and keys written into its key device, read by
// the program's own notifier. Also what the capture, gallery and calibration
// suites need of it: files on the card, the blackbody the camera looks at and
// the centre readings the acquisition thread delivers.
#include "core/keystate.h"
#include "core/menuwindow.h"
#include "app/norvik7.h"
#include "common/screenshot.h"
#include "common/testboard.h"
#include "liveview/menus/imagemodesubmenu.h"
#include "liveview/viewstate.h"
#include "media/savedimage.h"

#include <QTimer>
#include <QtTest>

#include <functional>
#include <memory>

inline const QString kFolder = QStringLiteral("/media/mmcblk0p1/DCIM_100/");

// A saved image whose screen is one flat colour (told apart by `shade`).
QByteArray imageFile(int shade, const savedimage::ExifFields &fields = {});

struct LiveDevice {
    TestBoard board;
    std::unique_ptr<Norvik7> w;

    // `before` runs on the fresh board before the window is built (stored
    // settings); `booted`: then shown in the live view as after start-up.
    explicit LiveDevice(const std::function<void(TestBoard &)> &before = {}, bool booted = false);
    // Booted into the live view looking at a blackbody of `blackbodyC`, frames delivered.
    explicit LiveDevice(double blackbodyC);
    ~LiveDevice();
    // The live view after start-up.
    void boot();
    // Stops the program (its thread waited for) and starts it again on the
    // same board, the infrared core powered off and on in between.
    void restart();
    // Until the program has read everything written to its key device.
    void settle() const { TestBoard::waitUntilKeysRead(w->kbdFd); }
    void record(int code, int value) const
    {
        board.sendKey(code, value);
        settle();
    }
    // Presses and their releases.
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, 1);
            record(code, 0);
        }
    }
    // A held key: pressed, one auto-repeat, released.
    void holdOnce(int code) const
    {
        board.sendKey(code, 1);
        board.sendKey(code, 2);
        record(code, 0);
    }
    // From the live view into the settings list, its entry `index` opened.
    void openSetting(int index) const;
    // The system settings list's entry `index` (0 "Device information" ... 4 "Wi-Fi").
    void openSystemEntry(int index) const
    {
        openSetting(9);
        press(keycode::Down, index);
        press(keycode::Ok);
    }
    QString key(const char *k) const { return config::readString(config::Main, QString::fromLatin1(k)); }
    // Object names of the visible menu windows, sorted.
    QStringList visibleMenus() const;

    // The card's image folder on the host, and whether `name` is in it.
    QString folder() const { return board.file(kFolder) + QLatin1Char('/'); }
    bool onCard(const QString &name) const { return QFile::exists(board.file(kFolder + name)); }
    // Images IMG_<from> .. with their JPEGs.
    void putImages(int count, int from = 1) const;

    // UP pressed while DOWN repeats: the temperature calibration page.
    void openTemperatureCalibration() const { withDownRepeating(keycode::Up); }
    // LEFT pressed while DOWN repeats: the image calibration page.
    void openImageCalibration() const { withDownRepeating(keycode::Left); }
    // Focuses the temperature calibration page's button with this object name by DOWN presses.
    bool focusByKeys(const char *objectName) const;
    // OK on the focused button; waits until the acquisition loop reports
    // the calibration carried out (false on a timeout).
    bool okAndWaitForTheLoop(int timeoutMs = 15000) const;
    // Points the camera at a blackbody and waits for frames of it.
    void pointAt(double celsius) const;
    // The mean centre reading in degrees over `frames` delivered frames.
    double centreReading(int frames = 12) const;
    // Waits until `frames` more frames are delivered.
    bool waitFrames(int frames) const { return !framesFor(frames).isEmpty(); }

private:
    void build();
    void withDownRepeating(int key) const;
    QList<QList<QVariant>> framesFor(int frames) const;
};

// The message of a visible splash window (tips), empty when none shows it.
QStringList splashMessages();
