#include "app/boardcommands.h"
#include "app/bootprogressmenu.h"
#include "app/bootreveal.h"
#include "core/config.h"
#include "app/norvik7.h"
#include "app/radiusprogressbar.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"

#include <QFileInfo>
#include <QLabel>
#include <QTimer>
#include <QtTest>

namespace {
const QStringList kFive = {"CalTempConfig.ini", "ImageConfig.ini", "ImageCal_config.ini", "Norvik7_config.ini",
                           "sn_config.ini"};

// A frame as the acquisition thread delivers it.
void frame(Norvik7 &w, int counter)
{
    QImage thermal(192, 256, QImage::Format_RGB888);
    thermal.fill(Qt::darkRed);
    w.updateThermalCameraImage(thermal, QImage(), 0, 0, 0, 0, counter);
}
}   // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void restoreFromCardBackup_data();
    void restoreFromCardBackup();
    void restoreFromEtcCopy();
    void missingDeviceBuildsNothingFurther_data();
    void missingDeviceBuildsNothingFurther();
    void bootRevealRule_data();
    void bootRevealRule();
    void bootRevealThroughFrames();
    void framesDroppedDuringCaptureDoNotCount();
    void memoryRelease();
    void shutdownSequence();
    void splashCountsUpAndStopsAt100();
    void progressFillFollowsPalette();
};

void TestStartup::restoreFromCardBackup_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("SystemBackUp") << "SystemBackUp";
    QTest::newRow("systembackup") << "systembackup";
}

void TestStartup::restoreFromCardBackup()
{
    QFETCH(QString, folder);
    TestBoard b;
    for (const QString &f : kFive) {
        b.write("/media/mmcblk0p1/" + folder + "/" + f, ("[config]\nfrom=backup-" + f + "\n").toUtf8());
        b.write("/root/" + f, "[config]\nfrom=old\n");
    }
    b.write("/etc/Norvik7_config.ini", "[config]\nfrom=etc\n");
    Norvik7 w;
    QCOMPARE(w.built(), Norvik7::Built::Complete);
    // The menus add their written defaults to the restored main file.
    for (const QString &f : kFive)
        QCOMPARE(config::readString(config::Ini{qPrintable("/root/" + f), "config"}, QStringLiteral("from")),
                 "backup-" + f);
    QVERIFY(!QFileInfo::exists(b.file("/media/mmcblk0p1/" + folder)));
    QCOMPARE(b.commands().first(),
             QString("cp /media/mmcblk0p1/SystemBackup/CalTempConfig.ini /root/CalTempConfig.ini"));
}

void TestStartup::restoreFromEtcCopy()
{
    TestBoard b;
    b.write("/etc/Norvik7_config.ini", "[config]\ntime_format=12H\n");
    b.write("/root/Norvik7_config.ini", "[config]\ntime_format=24H\n");
    b.write("/root/CalTempConfig.ini", "[config]\ncal1=1.5\n");
    QDir().mkpath(b.file("/media/mmcblk0p1/Upgrade"));
    Norvik7 w;
    QCOMPARE(b.commands().mid(0, 3),
             (QStringList{"cp /etc/Norvik7_config.ini /root/Norvik7_config.ini",
                          "cp /root/CalTempConfig.ini /media/mmcblk0p1/Upgrade/CalTempConfig.ini", "sync"}));
    QCOMPARE(config::readString(config::Main, "time_format"), QString("12H"));
    QCOMPARE(b.read("/media/mmcblk0p1/Upgrade/CalTempConfig.ini"), QByteArray("[config]\ncal1=1.5\n"));
    QVERIFY(!w.showBootSettingsMenu);   // a language was chosen before
}

void TestStartup::missingDeviceBuildsNothingFurther_data()
{
    QTest::addColumn<QString>("device");
    QTest::addColumn<int>("built");
    QTest::newRow("key device") << "/dev/input/event_key" << int(Norvik7::Built::KeyDeviceFailed);
    QTest::newRow("gpio") << "/dev/gpio" << int(Norvik7::Built::GpioFailed);
}

void TestStartup::missingDeviceBuildsNothingFurther()
{
    QFETCH(QString, device);
    QFETCH(int, built);
    TestBoard b;
    b.remove(device);
    Norvik7 w;
    QCOMPARE(int(w.built()), built);
    QCOMPARE(w.kbdFd >= 0, device == "/dev/gpio");
    QVERIFY(w.findChildren<QTimer *>().isEmpty());
    QVERIFY(b.commands().isEmpty());   // not even the configuration restore
}

void TestStartup::bootRevealRule_data()
{
    QTest::addColumn<QList<int>>("counters");
    QTest::addColumn<int>("start");
    QTest::addColumn<int>("shownAt");      // index of the frame that shows the window, -1 none
    QTest::addColumn<int>("progressAt");   // index of the frame that emits 100, -1 none

    QList<int> twoRounds;
    for (int r = 0; r < 3; ++r)
        for (int c = 1; c <= 100; ++c)
            twoRounds << c;
    // 79 low frames, 21 high ones (percent 79..99), 79 low ones (percent 100..178),
    // then the first high frame shows.
    QTest::newRow("module counting 1..100 from 0") << twoRounds << 0 << 179 << -1;
    QTest::newRow("module counting 1..100 from 100") << twoRounds << 100 << 79 << -1;
    QList<int> high(130, 90);
    QTest::newRow("high frames only") << high << 0 << 120 << 100;
    QList<int> low(300, 79);
    QTest::newRow("never above 79") << low << 0 << -1 << -1;
    QList<int> edge = {80, 80};
    QTest::newRow("percent 120 shows on the next high frame") << edge << 120 << 0 << -1;
    QTest::newRow("percent 119 does not") << QList<int>{80} << 119 << -1 << -1;
}

void TestStartup::bootRevealRule()
{
    QFETCH(QList<int>, counters);
    QFETCH(int, start);
    QFETCH(int, shownAt);
    QFETCH(int, progressAt);
    BootReveal r(start);
    int shown = -1, progress = -1;
    for (int i = 0; i < counters.size() && shown < 0; ++i) {
        const BootRevealStep s = r.onFrame(counters[i]);
        QCOMPARE(s.keepHidden, counters[i] <= 79);
        if (s.emitProgress100) {
            QCOMPARE(progress, -1);
            progress = i;
        }
        if (s.show)
            shown = i;
    }
    QCOMPARE(shown, shownAt);
    QCOMPARE(progress, progressAt);
}

void TestStartup::bootRevealThroughFrames()
{
    TestBoard b;
    config::write(config::System, "language", "none");
    Norvik7 w;
    QVERIFY(w.showBootSettingsMenu);   // no language chosen yet: the first-boot page comes
    QVERIFY(w.isHidden());
    QSignalSpy ok(&w, &Norvik7::bootOkForThermalCamera);
    QSignalSpy progress(&w, &Norvik7::updateBootProgressValue);
    int frames = 0;
    for (int round = 0; round < 3 && w.isHidden(); ++round)
        for (int c = 1; c <= 100 && w.isHidden(); ++c, ++frames)
            frame(w, c);
    QVERIFY(w.isVisible());
    QCOMPARE(frames, 180);
    QCOMPARE(ok.count(), 1);
    // Once visible the reveal step does nothing more.
    for (int c = 80; c <= 100; ++c)
        frame(w, c);
    QCOMPARE(ok.count(), 1);
    QCOMPARE(progress.count(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(!w.initializingLabel->isVisible(), 5000);
}

void TestStartup::framesDroppedDuringCaptureDoNotCount()
{
    TestBoard b;
    Norvik7 w;
    viewState.saveImageEnable = true;
    for (int c = 1; c <= 300; ++c)
        frame(w, 90);
    viewState.saveImageEnable = false;
    QCOMPARE(w.bootReveal.percent(), 0);
    viewState.setImageEnable = false;
    frame(w, 90);
    viewState.setImageEnable = true;
    QCOMPARE(w.bootReveal.percent(), 0);
    QVERIFY(w.isHidden());
}

void TestStartup::memoryRelease()
{
    TestBoard b;
    Norvik7 w;
    b.clearCommands();
    w.releaseMemory();
    QCOMPARE(b.commands(), (QStringList{"sync", "sync", "sync", " echo 3 > /proc/sys/vm/drop_caches"}));
    QCOMPARE(b.read("/proc/sys/vm/drop_caches"), QByteArray("3\n"));
}

void TestStartup::shutdownSequence()
{
    TestBoard b;
    config::write(config::Main, "auto_power_off", "Off");
    boardcommands::runShutdownSequence();
    QCOMPARE(b.commands(),
             (QStringList{"echo 0 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness",
                          "cp /root/Norvik7_config.ini /etc/Norvik7_config.ini", "sync", "sync", "killall uvc-gadget",
                          "halt"}));
    QCOMPARE(b.halts(), 1);
    QCOMPARE(b.read("/etc/Norvik7_config.ini"), b.read("/root/Norvik7_config.ini"));
    QCOMPARE(b.read("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness"), QByteArray("0\n"));
}

void TestStartup::splashCountsUpAndStopsAt100()
{
    BootProgressMenu splash;
    for (int i = 0; i < 110; ++i)
        splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 100);
    QVERIFY(!splash.counting());   // a full bar has nothing more to count
    splash.updateProgressValue(150);
    splash.updateProgressbar();   // above 100: the bar stays at 100
    QCOMPARE(splash.bar1->value(), 100);
    QVERIFY(!splash.counting());
    splash.updateProgressValue(40);   // a pushed value counts on from there
    QVERIFY(splash.counting());
    splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 41);
}

void TestStartup::progressFillFollowsPalette()
{
    // Each palette has its picture; an unknown one takes the first.
    for (int palette = 0; palette <= 8; ++palette)
        QVERIFY(!QPixmap(RadiusProgressBar::fillImage(palette)).isNull());
    QCOMPARE(RadiusProgressBar::fillImage(8), RadiusProgressBar::fillImage(0));
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
