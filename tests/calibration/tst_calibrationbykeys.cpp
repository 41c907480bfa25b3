// A factory technician calibrates both gain ranges from the keys alone,
// pointing the camera at a blackbody at each set point; afterwards the
// camera reads a blackbody within 0.3 degrees at the set points and between
// them, in both ranges, also after the program and the core restart.
#include "common/livedevice.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "core/keystate.h"
#include "calibration/caltables.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/viewstate.h"

#include <QtTest>

#include <cmath>

namespace {

struct Check {
    int gain;
    double celsius;
};
// Set points and the temperatures between them, per range.
const Check kChecks[] = {{1, -10}, {1, 20}, {1, 60}, {1, 100}, {0, 120}, {0, 250}, {0, 330}, {0, 400}};
constexpr double kTolerance = 0.3;

}   // namespace

class TestCalibrationByKeys : public QObject {
    Q_OBJECT
private slots:
    void bothRangesByKeys();

private:
    // Error of the centre reading at every check, in the order of kChecks.
    QList<double> errors(LiveDevice &d);
    void calibrateRange(LiveDevice &d, const double (&setPoints)[3]);
};

// A blackbody is read with emissivity 1.00, a shutter correction just before.
QList<double> TestCalibrationByKeys::errors(LiveDevice &d)
{
    QList<double> out;
    ThermalCameraThread *t = d.w->cameraThread;
    // The measurement menu gives the camera its own emissivity back after a
    // calibration and after start-up; the blackbody is read once it has.
    for (int i = 0; i < 700 && d.w->measurementSetMenu->emissivityTimer->isActive(); ++i)
        QTest::qWait(10);
    t->settingTriggerEmissivity(1.0f);
    for (const Check &c : kChecks) {
        if (acqState.currentGain.load() != c.gain) {
            t->settingTempGain(static_cast<unsigned char>(c.gain));
            for (int i = 0; i < 100 && acqState.pendingModuleCommand.load() != kNoCommand; ++i)
                QTest::qWait(50);
        }
        d.pointAt(c.celsius);
        t->settingTempShutter(0);
        d.waitFrames(3);
        out << d.centreReading() - c.celsius;
    }
    return out;
}

void TestCalibrationByKeys::calibrateRange(LiveDevice &d, const double (&setPoints)[3])
{
    CalTempSubMenu *page = d.w->calTempSubMenu;
    QVERIFY(d.focusByKeys("pushButton_5"));
    QVERIFY(d.okAndWaitForTheLoop());   // Cal Reset: tables saved, points 500.0
    const char *buttons[3] = {"pushButton_3", "pushButton_2", "pushButton_8"};
    for (int p = 0; p < 3; ++p) {
        // The blackbody settles; BACK for a fresh shutter correction; the point.
        d.pointAt(setPoints[p]);
        QTRY_VERIFY_WITH_TIMEOUT(page->shutterReady, 4000);
        d.press(keycode::Back);
        QVERIFY(page->isVisible());
        QTRY_COMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
        QVERIFY(d.waitFrames(3));
        QVERIFY(d.focusByKeys(buttons[p]));
        QVERIFY(d.okAndWaitForTheLoop());
        QVERIFY(!page->tipsLabel->isVisible());
    }
    if (setPoints[0] < 0)
        QVERIFY(saveScreenshot(QStringLiteral("CalTempSubMenu_calibrating"), {d.w.get(), page}));
    QVERIFY(d.focusByKeys("pushButton_4"));
    QVERIFY(d.okAndWaitForTheLoop());   // New Recal
    QCOMPARE(caltables::lastRecalResult(), 0);
}

void TestCalibrationByKeys::bothRangesByKeys()
{
    caltables::forgetWorkingTables();
    LiveDevice d(20.0);
    if (viewState.centerTempValue == 0)
        QSKIP("the live view does not keep the centre reading (centerTempValue) yet");
    config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("high_gain"));
    const QList<double> before = errors(d);

    // The technician's procedure, by keys only.
    CalTempSubMenu *page = d.w->calTempSubMenu;
    d.w->cameraThread->settingTempGain(1);
    QTRY_COMPARE_WITH_TIMEOUT(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand), 5000);
    d.openTemperatureCalibration();
    QVERIFY(page->isVisible());
    d.w->cameraThread->settingTriggerEmissivity(1.0f);   // the measurement menu's part of the reset
    calibrateRange(d, {-10, 20, 100});
    QVERIFY(d.focusByKeys("pushButton_6"));
    d.press(keycode::Ok);   // save and switch gain: relabelled once the module has switched
    QCOMPARE(page->pushButton_3->text(), QStringLiteral("Cal -10 ℃ "));
    d.press(keycode::Back);   // busy switching: BACK does not leave the page
    QVERIFY(page->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(page->pushButton_3->text(), QStringLiteral("Cal 120"), 5000);
    QCOMPARE(config::readString(config::Main, QStringLiteral("temperature_scale")), QStringLiteral("low_gain"));
    d.w->cameraThread->settingTriggerEmissivity(1.0f);
    calibrateRange(d, {120, 250, 400});
    // The second reset marked every point unrecorded again; the high range's
    // calibration lives on in the core's tables.
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(std::fabs(caltables::pointValue(n) - caltables::kUnrecorded) > 1, n >= 4);
    d.openTemperatureCalibration();   // the same keys close the page
    QTRY_VERIFY(!page->isVisible());

    const QList<double> after = errors(d);
    d.restart();
    const QList<double> afterRestart = errors(d);

    double worstBefore = 0;
    for (int i = 0; i < before.size(); ++i) {
        worstBefore = std::max(worstBefore, std::fabs(before[i]));
        QVERIFY2(std::fabs(after[i]) <= kTolerance && std::fabs(afterRestart[i]) <= kTolerance,
                 qPrintable(QStringLiteral("%1 degrees: %2 after, %3 after restart")
                                .arg(kChecks[i].celsius)
                                .arg(after[i])
                                .arg(afterRestart[i])));
    }
    // The factory tables were off by about a degree somewhere.
    QVERIFY2(worstBefore > 0.6, qPrintable(QString::number(worstBefore)));
}

QTEST_MAIN(TestCalibrationByKeys)
#include "tst_calibrationbykeys.moc"
