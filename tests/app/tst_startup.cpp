#include "app/boardcommands.h"
#include "app/bootprogressmenu.h"
#include "app/bootreveal.h"
#include "app/config.h"
#include "app/norvik7.h"
#include "app/radiusprogressbar.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"

#include <QFileInfo>
#include <QLabel>
#include <QSocketNotifier>
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
}  // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void restoreFromCardBackup_data();
    void restoreFromCardBackup();
    void restoreFromEtcCopy();
    void keyDeviceMissingBuildsNothingFurther();
    void gpioMissingBuildsNoMenusTimersOrThreads();
    void timersInOrder();
    void firstBootFlag_data();
    void firstBootFlag();
    void bootRevealRule_data();
    void bootRevealRule();
    void bootRevealThroughFrames();
    void framesDroppedDuringCaptureDoNotCount();
    void memoryRelease();
    void shutdownSequence();
    void splashCountsUpAndStopsAt100();
    void progressFillFollowsPalette_data();
    void progressFillFollowsPalette();
};

void TestStartup::restoreFromCardBackup_data()
{
    QTest::addColumn<QString>("folder");
    QTest::newRow("SystemBackUp") << "SystemBackUp";
    QTest::newRow("SystemBackup") << "SystemBackup";
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
    const QStringList expected = boardcommands::configurationRestore(true);
    QCOMPARE(b.commands().mid(0, expected.size()), expected);
    QCOMPARE(expected.first(), QString("cp /media/mmcblk0p1/SystemBackup/CalTempConfig.ini /root/CalTempConfig.ini"));
    QCOMPARE(expected.last(), QString("rm -rf /media/mmcblk0p1/SystemBackup"));
    QCOMPARE(expected.count("sync"), 3);
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
}

void TestStartup::keyDeviceMissingBuildsNothingFurther()
{
    TestBoard b;
    b.remove("/dev/input/event_key");
    Norvik7 w;
    QCOMPARE(w.built(), Norvik7::Built::KeyDeviceFailed);
    QCOMPARE(w.kbdFd, -1);
    QVERIFY(!w.keyNotifier);
    QCOMPARE(w.gpioFd, -1);
    QVERIFY(w.findChildren<QTimer *>().isEmpty());
    QVERIFY(!w.initializingLabel);
    QVERIFY(b.commands().isEmpty());   // not even the configuration restore
    QVERIFY(w.DisplayLabel);           // the layout itself is there
}

void TestStartup::gpioMissingBuildsNoMenusTimersOrThreads()
{
    TestBoard b;
    b.remove("/dev/gpio");
    Norvik7 w;
    QCOMPARE(w.built(), Norvik7::Built::GpioFailed);
    QVERIFY(w.kbdFd >= 0);
    QVERIFY(w.keyNotifier);
    QVERIFY(w.findChildren<QTimer *>().isEmpty());
    QVERIFY(b.commands().isEmpty());
}

void TestStartup::timersInOrder()
{
    TestBoard b;
    Norvik7 w;
    const QList<QTimer *> timers = {w.refreshTimer, w.cursorTimer, w.secondTimer, w.batteryTimer, w.releaseTimer};
    const QList<int> periods = {500, 500, 1000, 2000, 30000};
    for (int i = 0; i < timers.size(); ++i) {
        QVERIFY(timers[i]);
        QCOMPARE(timers[i]->interval(), periods[i]);
        QVERIFY(timers[i]->isActive());
        QVERIFY(!timers[i]->isSingleShot());
        QCOMPARE(timers[i]->parent(), &w);
    }
    // Created in start order: children keep creation order.
    QList<QTimer *> created;
    for (QObject *o : w.children())
        if (auto *t = qobject_cast<QTimer *>(o); t && timers.contains(t))
            created << t;
    QCOMPARE(created, timers);
}

void TestStartup::firstBootFlag_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<bool>("pending");
    QTest::newRow("none") << "none" << true;
    QTest::newRow("English") << "English" << false;
    QTest::newRow("Chinese") << "Chinese" << false;
    QTest::newRow("absent") << "" << false;
}

void TestStartup::firstBootFlag()
{
    QFETCH(QString, language);
    QFETCH(bool, pending);
    TestBoard b;
    if (!language.isEmpty())
        config::write(config::System, "language", language);
    Norvik7 w;
    QCOMPARE(showBootSettingsMenu, pending);
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
    QVERIFY(w.initializingLabel->isVisible());
    QVERIFY(!w.DisplayLabel->pixmap().isNull());
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
    saveImageEnable = true;
    for (int c = 1; c <= 300; ++c)
        frame(w, 90);
    saveImageEnable = false;
    QCOMPARE(w.bootReveal.percent(), 0);
    setImageEnable = false;
    frame(w, 90);
    setImageEnable = true;
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
                          "cp /root/Norvik7_config.ini /etc/Norvik7_config.ini", "sync", "sync",
                          "killall uvc-gadget", "halt"}));
    QCOMPARE(b.halts(), 1);
    QCOMPARE(b.read("/etc/Norvik7_config.ini"), b.read("/root/Norvik7_config.ini"));
    QCOMPARE(b.read("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness"), QByteArray("0\n"));
}

void TestStartup::splashCountsUpAndStopsAt100()
{
    BootProgressMenu splash;
    QCOMPARE(splash.bar1->value(), 0);
    for (int i = 0; i < 99; ++i)
        splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 99);
    QVERIFY(splash.counting());
    splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 100);
    QVERIFY(!splash.counting());   // a full bar has nothing more to count
    for (int i = 0; i < 10; ++i)
        splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 100);
    splash.updateProgressValue(150);
    QVERIFY(splash.counting());
    splash.updateProgressbar();   // above 100: the bar stays at 100
    QCOMPARE(splash.bar1->value(), 100);
    QVERIFY(!splash.counting());
    splash.updateProgressValue(40);   // a pushed value counts on from there
    QVERIFY(splash.counting());
    splash.updateProgressbar();
    QCOMPARE(splash.bar1->value(), 41);
}

void TestStartup::progressFillFollowsPalette_data()
{
    QTest::addColumn<int>("palette");
    QTest::addColumn<QString>("image");
    QTest::newRow("0") << 0 << ":/images/color1_progress.png";
    for (int i = 1; i <= 7; ++i)
        QTest::newRow(qPrintable(QString::number(i))) << i << QString(":/images/color%1_progress.png").arg(i);
    QTest::newRow("8") << 8 << ":/images/color1_progress.png";
}

void TestStartup::progressFillFollowsPalette()
{
    QFETCH(int, palette);
    QFETCH(QString, image);
    QCOMPARE(RadiusProgressBar::fillImage(palette), image);
    QVERIFY(!QPixmap(image).isNull());
}

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
