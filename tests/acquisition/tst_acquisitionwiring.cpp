// The main window starts the acquisition thread and shows the live picture
// once the boot frames have been counted.
#include "common/acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "app/norvik7.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "common/testboard.h"

#include <QtTest>

class TestAcquisitionWiring : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_board = std::make_unique<TestBoard>();
        acqtest::resetAll(2000);   // 500 frames a second, the loop's own pauses short
        acqtest::recordPauses(1);
    }
    void cleanup() { m_board.reset(); }
    void liveViewAppearsAfterTheBootFrames();
    void moduleRestartShowsTheNotice();
    void menusReachTheThread();

private:
    std::unique_ptr<TestBoard> m_board;
};

void TestAcquisitionWiring::liveViewAppearsAfterTheBootFrames()
{
    Norvik7 w;
    QVERIFY(w.cameraThread);
    QVERIFY(w.cameraThread->isRunning());
    QSignalSpy bootOk(&w, &Norvik7::bootOkForThermalCamera);
    QVERIFY(w.isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 20000);
    QCOMPARE(bootOk.count(), 1);
    QVERIFY(w.initializingLabel->isVisible());

    // The live picture of the office: many colours, changing from frame to frame.
    const QImage first = w.DisplayLabel->pixmap().toImage();
    QVERIFY(!first.isNull());
    QSet<QRgb> colours;
    for (int y = 0; y < first.height(); y += 4)
        for (int x = 0; x < first.width(); x += 4)
            colours.insert(first.pixel(x, y));
    QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));
    QTRY_VERIFY(w.DisplayLabel->pixmap().toImage() != first);
}

void TestAcquisitionWiring::moduleRestartShowsTheNotice()
{
    Norvik7 w;
    w.show();
    w.initializingLabel->hide();
    w.cameraThread->closeThermalCameraDevice(2);
    QTRY_VERIFY(w.initializingLabel->isVisible());
}

void TestAcquisitionWiring::menusReachTheThread()
{
    config::write(config::Main, QStringLiteral("color"), QStringLiteral("Lava"));
    config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("low_gain"));
    Norvik7 w;
    // The stored palette and gain are in use from the start.
    QCOMPARE(acqState.paletteNumber.load(), 6);
    QTRY_VERIFY(irsim::framesDelivered() > 0);   // the loop has started
    QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()), 0);
    QCOMPARE(static_cast<int>(acqState.currentGain.load()), 0);

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
}

QTEST_MAIN(TestAcquisitionWiring)
#include "tst_acquisitionwiring.moc"
