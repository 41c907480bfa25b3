#include "calibrationdevice.h"

#include "acquisition/acqtestsupport.h"
#include "acquisition/thermalcamerathread.h"
#include "app/keystate.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/viewstate.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSignalSpy>
#include <QTimer>
#include <QtTest>


CalibrationDevice::CalibrationDevice(double blackbodyC)
{
    acqtest::resetAll(40000);
    board.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(blackbodyC));
    start();
}

CalibrationDevice::~CalibrationDevice() { w.reset(); }

void CalibrationDevice::start()
{
    keys::resetState();
    w = std::make_unique<Norvik7>();
    for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
        t->stop();
    image_mode.store(0);
    saveImageDone.store(true);
    w->show();
    w->initializingLabel->hide();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
    QVERIFY(waitFrames(3));
}

void CalibrationDevice::restart()
{
    w.reset();
    acqtest::resetAll(40000);   // the core powered off: its tables are in its flash only
    start();
}

void CalibrationDevice::settle() const { TestBoard::waitUntilKeysRead(w->kbdFd); }

void CalibrationDevice::press(int code, int times) const
{
    for (int i = 0; i < times; ++i) {
        board.sendKey(code, keyvalue::Press);
        board.sendKey(code, keyvalue::Release);
        settle();
    }
}

// `key` pressed while DOWN is held and repeating.
static void withDownHeld(const TestBoard &board, int key)
{
    board.sendKey(keycode::Down, keyvalue::Press);
    board.sendKey(keycode::Down, keyvalue::Repeat);
    board.sendKey(key, keyvalue::Press);
    board.sendKey(key, keyvalue::Release);
    board.sendKey(keycode::Down, keyvalue::Release);
}

void CalibrationDevice::openTemperatureCalibration() const
{
    withDownHeld(board, keycode::Up);
    settle();
}

void CalibrationDevice::openImageCalibration() const
{
    withDownHeld(board, keycode::Left);
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
    QSignalSpy done(w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    press(keycode::Ok);
    return done.wait(timeoutMs) || done.count() > 0;
}

bool CalibrationDevice::waitFrames(int frames) const
{
    QSignalSpy spy(w->cameraThread, &ThermalCameraThread::updateThermalVLCImage);
    for (int i = 0; i < 400 && spy.count() < frames; ++i)
        spy.wait(100);
    return spy.count() >= frames;
}

void CalibrationDevice::pointAt(double celsius) const
{
    board.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(celsius));
    waitFrames(4);
}

double CalibrationDevice::centreReading(int frames) const
{
    QSignalSpy spy(w->cameraThread, &ThermalCameraThread::updateThermalVLCImage);
    for (int i = 0; i < 400 && spy.count() < frames; ++i)
        spy.wait(100);
    double sum = 0;
    for (const QList<QVariant> &f : spy)
        sum += f.at(2).value<unsigned short>() * 0.0625 - 273.15;
    return spy.isEmpty() ? -1000 : sum / spy.count();
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
