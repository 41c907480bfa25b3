// The main window starts the acquisition thread, shows the live picture once
// the boot frames have been counted, and hands the menus' choices to it.
#include "common/acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "app/norvik7.h"
#include "common/testboard.h"
#include "core/config.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"

#include <QtTest>

class TestAcquisitionWiring : public QObject {
    Q_OBJECT
private slots:
    void liveViewAndMenus()
    {
        TestBoard board;
        acqtest::resetAll(2000);   // 500 frames a second, the loop's own pauses short
        acqtest::recordPauses(1);
        config::write(config::Main, QStringLiteral("color"), QStringLiteral("Lava"));
        config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("low_gain"));
        Norvik7 w;
        QVERIFY(w.cameraThread && w.cameraThread->isRunning());
        QSignalSpy bootOk(&w, &Norvik7::bootOkForThermalCamera);
        // The stored palette and gain are in use from the start.
        QCOMPARE(acqState.paletteNumber.load(), 6);
        QTRY_VERIFY(irsim::framesDelivered() > 0);   // the loop has started
        QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()) + static_cast<int>(acqState.currentGain.load()), 0);
        QVERIFY(w.isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 20000);
        QCOMPARE(bootOk.count(), 1);
        QVERIFY(w.initializingLabel->isVisible());
        // The live picture of the office: many colours, changing from frame to frame.
        const QImage first = w.DisplayLabel->pixmap().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < first.height(); y += 4)
            for (int x = 0; x < first.width(); x += 4)
                colours.insert(first.pixel(x, y));
        QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));
        QTRY_VERIFY(w.DisplayLabel->pixmap().toImage() != first);

        w.colorSubMenu->radioButton_2->click();
        QCOMPARE(acqState.paletteNumber.load(), 2);
        QCOMPARE(config::readString(config::Main, QStringLiteral("color")), QStringLiteral("Rainbow"));
        emit w.temperatureScaleSetMenu->updateTempScale(1);
        QCOMPARE(static_cast<int>(acqState.currentGain.load()), 1);
        QTRY_COMPARE(static_cast<int>(acqState.currentDDELevel.load()), 2);   // the loop ran the high-gain command
        irsim::clearCalls();
        emit w.measurementSetMenu->updateEmissivityForThermalCamera(0.5f);
        emit w.measurementSetMenu->updateTempForThermalCamera(25);
        emit w.measurementSetMenu->updateDistanceForThermalCamera(1.0f);
        auto calls = acqtest::callsWithout({"get_", "pause", "ooc"});
        calls.resize(3);
        QCOMPARE(calls,
                 (std::vector<std::string>{"set_prop_tpd_params(3,61)", "set_prop_tpd_params(1,298)",
                                           "set_prop_tpd_params(0,128)"}));

        // A module restart shows the notice again.
        w.initializingLabel->hide();
        w.cameraThread->closeThermalCameraDevice(2);
        QTRY_VERIFY(w.initializingLabel->isVisible());
    }
};

QTEST_MAIN(TestAcquisitionWiring)
#include "tst_acquisitionwiring.moc"
