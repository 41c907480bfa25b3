// The main window starts the acquisition thread and shows the live picture
// once the boot frames have been counted.
#include "acqtestsupport.h"

#include "acquisition/thermalcamerathread.h"
#include "app/norvik7.h"
#include "common/testboard.h"

#include <QtTest>

class TestAcquisitionWiring : public QObject {
    Q_OBJECT
private slots:
    void liveViewAppearsAfterTheBootFrames();
    void moduleRestartShowsTheNotice();
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

QTEST_MAIN(TestAcquisitionWiring)
#include "tst_acquisitionwiring.moc"
