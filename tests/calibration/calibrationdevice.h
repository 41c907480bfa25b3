#pragma once
// The whole program on a fresh simulated board, worked by keys as a factory
// technician works it, with the blackbody the camera looks at and the
// centre readings the acquisition thread delivers.
#include "common/livedevice.h"

class CalibrationDevice : public LiveDevice {
public:
    // The blackbody in front of the camera at start.
    explicit CalibrationDevice(double blackbodyC = 20.0);

    // Stops the program (its thread waited for) and starts it again on the
    // same board, the infrared core powered off and on in between.
    void restart();
    // UP pressed while DOWN repeats: the temperature calibration page.
    void openTemperatureCalibration() const { withDownRepeating(keycode::Up); }
    // LEFT pressed while DOWN repeats: the image calibration page.
    void openImageCalibration() const { withDownRepeating(keycode::Left); }
    // Focuses the page's button with this object name by DOWN presses.
    bool focusByKeys(const char *objectName) const;
    // OK on the focused button; waits until the acquisition loop reports
    // the calibration carried out (false on a timeout).
    bool okAndWaitForTheLoop(int timeoutMs = 15000) const;

    // Points the camera at a blackbody and waits for frames of it.
    void pointAt(double celsius) const;
    // The mean centre reading in degrees over `frames` delivered frames.
    double centreReading(int frames = 12) const;
    // The screen as the technician sees it, `page` over the live view, saved
    // as <build>/screenshots/NAME.png to be looked at.
    bool saveScreen(QWidget *page, const QString &name) const;
    // Waits until `frames` more frames are delivered.
    bool waitFrames(int frames) const { return !framesFor(frames).isEmpty(); }

private:
    void withDownRepeating(int key) const;
    QList<QList<QVariant>> framesFor(int frames) const;
};
