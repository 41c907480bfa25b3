#include "livedevice.h"

#include "common/acqtestsupport.h"
#include "common/queuedspy.h"
#include "connectivity/loopbackclient.h"

#include "acquisition/thermalcamerathread.h"
#include "calibration/menus/caltempsubmenu.h"

#include <QApplication>
#include <QSplashScreen>

QByteArray imageFile(int shade, const savedimage::ExifFields &fields)
{
    QImage screen(240, 320, QImage::Format_RGB888);
    screen.fill(QColor(shade % 256, 80, 255 - shade % 256));
    std::vector<uint8_t> gray(240 * 320, static_cast<uint8_t>(shade));
    std::vector<uint16_t> raw(256 * 192, 4700);
    return savedimage::buildFile(screen, savedimage::exifBlock(gray.data(), savedimage::colourTableFor(0), fields),
                                 raw.data());
}

QStringList splashMessages()
{
    QStringList m;
    for (QWidget *top : QApplication::topLevelWidgets())
        if (auto *s = qobject_cast<QSplashScreen *>(top); s && s->isVisible() && !s->message().isEmpty())
            m << s->message();
    return m;
}

LiveDevice::LiveDevice(const std::function<void(TestBoard &)> &before, bool booted)
{
    if (before)
        before(board);
    build();
    if (booted)
        boot();
}

LiveDevice::LiveDevice(double blackbodyC)
{
    acqtest::resetAll(40000);
    board.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(blackbodyC));
    build();
    boot();
    QVERIFY(waitFrames(3));
}

LiveDevice::~LiveDevice()
{
    w.reset();
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QSplashScreen *>(top))
            top->close();
}

void LiveDevice::build()
{
    keys::resetState();
    // The temperature server on a port nobody else uses.
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(loopback::freePort()));
    w = std::make_unique<Norvik7>();
    qunsetenv("NORVIK7_TCP_PORT");
    // The 500 ms timers are run by hand where a test needs them.
    for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
        t->stop();
    acqState.image_mode.store(0);
    viewState.saveImageDone.store(true);
    viewState.saveImageEnable.store(false);
    viewState.moveCursorOneLabelEnabled = viewState.moveCursorTwoLabelEnabled = viewState.moveCursorThreeLabelEnabled =
        false;
}

void LiveDevice::boot()
{
    w->show();
    w->initializingLabel->hide();
    QVERIFY(QTest::qWaitForWindowExposed(w.get()));
}

void LiveDevice::restart()
{
    w.reset();
    acqtest::resetAll(40000);   // the core powered off: its tables are in its flash only
    build();
    boot();
    QVERIFY(waitFrames(3));
}

void LiveDevice::openSetting(int index) const
{
    for (int key : {keycode::Ok, keycode::Left, keycode::Ok})   // LEFT: round from the first button to "Settings"
        press(key);
    press(keycode::Down, index);
    press(keycode::Ok);
}

QStringList LiveDevice::visibleMenus() const
{
    QStringList names;
    for (QWidget *m : w->menuWindows())
        if (m->isVisible())
            names << m->objectName();
    names.sort();
    return names;
}

void LiveDevice::putImages(int count, int from) const
{
    QDir().mkpath(board.file(kFolder));
    for (int i = from; i < from + count; ++i) {
        const QString stem = kFolder + QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
        board.write(stem + ".bmp", imageFile(i * 20));
        board.write(stem + ".jpg", "jpeg");
    }
}

void LiveDevice::withDownRepeating(int key) const
{
    for (const auto &[code, value] : {std::pair{keycode::Down, 1}, {keycode::Down, 2}, {key, 1}, {key, 0}})
        board.sendKey(code, value);
    record(keycode::Down, 0);
}

bool LiveDevice::focusByKeys(const char *objectName) const
{
    for (int i = 0; i < 9; ++i) {
        if (QWidget *f = w->calTempSubMenu->focusWidget(); f && f->objectName() == QLatin1String(objectName))
            return true;
        press(keycode::Down);
    }
    return false;
}

bool LiveDevice::okAndWaitForTheLoop(int timeoutMs) const
{
    QueuedSpy done(w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    press(keycode::Ok);
    return done.wait(timeoutMs) || done.count() > 0;
}

// The frames delivered until there are `frames` of them (none on a timeout).
QList<QList<QVariant>> LiveDevice::framesFor(int frames) const
{
    QueuedSpy spy(w->cameraThread, &ThermalCameraThread::updateThermalVLCImage);
    for (int i = 0; i < 400 && spy.count() < frames; ++i)
        spy.wait(100);
    return spy.count() >= frames ? QList<QList<QVariant>>(spy) : QList<QList<QVariant>>();
}

void LiveDevice::pointAt(double celsius) const
{
    board.write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(celsius));
    waitFrames(4);
}

double LiveDevice::centreReading(int frames) const
{
    double sum = 0;
    const QList<QList<QVariant>> got = framesFor(frames);
    for (const QList<QVariant> &f : got)
        sum += f.at(2).value<unsigned short>() * 0.0625 - 273.15;
    return got.isEmpty() ? -1000 : sum / got.size();
}
