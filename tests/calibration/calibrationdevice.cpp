#include "calibrationdevice.h"
#include "common/queuedspy.h"

#include "acquisition/acqtestsupport.h"
#include "acquisition/thermalcamerathread.h"
#include "calibration/menus/caltempsubmenu.h"

#include <QDir>
#include <QPainter>

CalibrationDevice::CalibrationDevice(double blackbodyC)
    : LiveDevice([blackbodyC](TestBoard &b) {
          acqtest::resetAll(40000);
          b.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(blackbodyC));
      })
{
    boot();
    QVERIFY(waitFrames(3));
}

void CalibrationDevice::restart()
{
    w.reset();
    acqtest::resetAll(40000);   // the core powered off: its tables are in its flash only
    keys::resetState();
    w = std::make_unique<Norvik7>();
    for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
        t->stop();
    image_mode.store(0);
    saveImageDone.store(true);
    boot();
    QVERIFY(waitFrames(3));
}

void CalibrationDevice::withDownRepeating(int key) const
{
    board.sendKey(keycode::Down, keyvalue::Press);
    board.sendKey(keycode::Down, keyvalue::Repeat);
    board.sendKey(key, keyvalue::Press);
    board.sendKey(key, keyvalue::Release);
    board.sendKey(keycode::Down, keyvalue::Release);
    settle();
}

bool CalibrationDevice::focusByKeys(const char *objectName) const
{
    for (int i = 0; i < 9; ++i) {
        QWidget *f = w->calTempSubMenu->focusWidget();
        if (f && f->objectName() == QLatin1String(objectName))
            return true;
        press(keycode::Down);
    }
    return false;
}

bool CalibrationDevice::okAndWaitForTheLoop(int timeoutMs) const
{
    QueuedSpy done(w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    press(keycode::Ok);
    return done.wait(timeoutMs) || done.count() > 0;
}

// The frames delivered until there are `frames` of them (none on a timeout).
QList<QList<QVariant>> CalibrationDevice::framesFor(int frames) const
{
    QueuedSpy spy(w->cameraThread, &ThermalCameraThread::updateThermalVLCImage);
    for (int i = 0; i < 400 && spy.count() < frames; ++i)
        spy.wait(100);
    return spy.count() >= frames ? QList<QList<QVariant>>(spy) : QList<QList<QVariant>>();
}

void CalibrationDevice::pointAt(double celsius) const
{
    board.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(celsius));
    waitFrames(4);
}

double CalibrationDevice::centreReading(int frames) const
{
    const QList<QList<QVariant>> got = framesFor(frames);
    double sum = 0;
    for (const QList<QVariant> &f : got)
        sum += f.at(2).value<unsigned short>() * 0.0625 - 273.15;
    return got.isEmpty() ? -1000 : sum / got.size();
}

bool CalibrationDevice::saveScreen(QWidget *page, const QString &name) const
{
    QImage screen = w->grab(QRect(0, 0, 240, 320)).toImage().convertToFormat(QImage::Format_RGB32);
    QPainter p(&screen);
    p.drawImage(page->pos(), page->grab().toImage());
    p.end();
    const QString dir = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + "/screenshots";
    QDir().mkpath(dir);
    return screen.save(dir + "/" + name + ".png");
}
