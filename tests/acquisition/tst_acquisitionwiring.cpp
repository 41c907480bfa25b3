// The main window starts the acquisition thread and shows the live picture
// once the boot frames have been counted.
#include "acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "app/config.h"
#include "app/norvik7.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "common/testboard.h"

#include <QtTest>

class TestAcquisitionWiring : public QObject {
    Q_OBJECT
private slots:
    void liveViewAppearsAfterTheBootFrames();
    void moduleRestartShowsTheNotice();
    void menusReachTheThread();
};

void TestAcquisitionWiring::liveViewAppearsAfterTheBootFrames()
{
    TestBoard board;
    acqtest::resetAll(2000);   // 500 frames a second, the loop's own pauses short
    acqtest::recordPauses(1);
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

    const QByteArray shot = qgetenv("NORVIK7_SCREENSHOT");
    if (!shot.isEmpty())
        w.grab().save(QString::fromLocal8Bit(shot));
}

void TestAcquisitionWiring::moduleRestartShowsTheNotice()
{
    TestBoard board;
    acqtest::resetAll(2000);
    acqtest::recordPauses(1);
    Norvik7 w;
    w.show();
    w.initializingLabel->hide();
    w.cameraThread->closeThermalCameraDevice(2);
    QTRY_VERIFY(w.initializingLabel->isVisible());
}

void TestAcquisitionWiring::menusReachTheThread()
{
    TestBoard board;
    config::write(config::Main, QStringLiteral("color"), QStringLiteral("Lava"));
    config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("low_gain"));
    acqtest::resetAll(2000);
    acqtest::recordPauses(1);
    Norvik7 w;
    // The stored palette and gain are in use from the start.
    QCOMPARE(paletteNumber.load(), 6);
    QTRY_VERIFY(irsim::framesDelivered() > 0);   // the loop has started
    QCOMPARE(static_cast<int>(currentDDELevel.load()), 0);
    QCOMPARE(static_cast<int>(currentGain.load()), 0);

    w.colorSubMenu->radioButton_2->click();
    QCOMPARE(paletteNumber.load(), 2);
    QCOMPARE(config::readString(config::Main, QStringLiteral("color")), QStringLiteral("Rainbow"));

    emit w.temperatureScaleSetMenu->updateTempScale(1);
    QCOMPARE(static_cast<int>(currentGain.load()), 1);
    QTRY_COMPARE(static_cast<int>(currentDDELevel.load()), 2);   // the loop ran the high-gain command

    irsim::clearCalls();
    emit w.measurementSetMenu->updateEmissivityForThermalCamera(0.5f);
    emit w.measurementSetMenu->updateTempForThermalCamera(25);
    emit w.measurementSetMenu->updateDistanceForThermalCamera(1.0f);
    const auto calls = acqtest::callsWithout({"get_", "pause", "ooc"});
    QCOMPARE(QString::fromStdString(calls.at(0)), QStringLiteral("set_prop_tpd_params(3,61)"));
    QCOMPARE(QString::fromStdString(calls.at(1)), QStringLiteral("set_prop_tpd_params(1,298)"));
    QCOMPARE(QString::fromStdString(calls.at(2)), QStringLiteral("set_prop_tpd_params(0,128)"));
}

QTEST_MAIN(TestAcquisitionWiring)
#include "tst_acquisitionwiring.moc"
