// The application around the screens: the configuration store, start-up
// (restoring the configuration, missing devices, the boot reveal), the
// shutdown sequence, and the built program started as a person would.
#include "app/boardcommands.h"
#include "app/bootprogressmenu.h"
#include "app/bootreveal.h"
#include "app/radiusprogressbar.h"
#include "common/livedevice.h"
#include "settings/maintenance.h"

#include <QProcess>
#include <QSettings>

#include <sys/stat.h>

using namespace config;

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

// The built program on the board rooted at `root`, offscreen.
void startProgram(QProcess &p, const QString &root)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NORVIK7_ROOT", root);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("NORVIK7_KEYPAD");
    env.remove("NORVIK7_SCREEN_PNG");
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(NORVIK7_PROGRAM, {});
    QVERIFY(p.waitForStarted(5000));
}

QStringList logOf(const QString &root)
{
    QFile f(root + "/sim/commands.log");
    return f.open(QIODevice::ReadOnly) ? QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts)
                                       : QStringList();
}
}   // namespace

class TestApp : public QObject {
    Q_OBJECT
private slots:
    // ---- the configuration store ----------------------------------------------------------------------

    void readChoice_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");   // invalid: key absent
        QTest::addColumn<int>("index");
        QTest::addColumn<QVariant>("after");   // what the file holds afterwards; invalid: still absent
        const QVariant none;
        QTest::newRow("auto_power_off absent") << "auto_power_off" << none << 2 << QVariant("30Minutes");
        QTest::newRow("auto_power_off unknown")
            << "auto_power_off" << QVariant("7Minutes") << 2 << QVariant("30Minutes");
        QTest::newRow("texts are case-sensitive") << "auto_power_off" << QVariant("off") << 2 << QVariant("30Minutes");
        QTest::newRow("color absent: first, nothing written") << "color" << none << 0 << none;
        QTest::newRow("color unknown: first, left as is") << "color" << QVariant("Purple") << 0 << QVariant("Purple");
        QTest::newRow("color menu label is not the stored form")
            << QString("color") << QVariant("White Hot") << 0 << QVariant("White Hot");
        QTest::newRow("temp_unit F") << "temp_unit" << QVariant("F") << 1 << QVariant("F");
        QTest::newRow("language absent") << "language" << none << 1 << QVariant("Chinese");
        QTest::newRow("wifi_switch absent: not written") << "wifi_switch" << none << 1 << none;
    }
    void readChoice()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(QVariant, after);
        TestBoard b(true, false);
        if (stored.isValid())
            write(Main, key, stored);
        QTEST(config::readChoice(*choice(key)), "index");
        QCOMPARE(value(Main, key).isValid(), after.isValid());
        QVERIFY(!after.isValid() || readString(Main, key) == after.toString());
    }

    void garbledFileGivesDefaults_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary") << QByteArray("\x00\xff\xfe[config\x01\x02=\x00\x80", 14);
        QTest::newRow("cut off mid-value") << QByteArray("[config]\nauto_power_off=5Min");
        QTest::newRow("values that do not parse") << QByteArray("[config]\ntrans=abc\npiptrans=1e\nalignment=x.y\n");
    }
    void garbledFileGivesDefaults()
    {
        QFETCH(QByteArray, content);
        TestBoard b;
        b.write(Main.file, content);
        QCOMPARE(config::readChoice(*choice("auto_power_off")), 2);
        QCOMPARE((QList<double>{double(readTrans()), double(readPipTrans()), readAlignment(),
                                double(readInt(Main, "image_count"))}),
                 (QList<double>{50, 100, 1.0, 0}));
    }

    void numbersWithDefaults_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<double>("read");
        QTest::newRow("trans 0") << "trans" << QString("0") << 50.0;
        QTest::newRow("trans 250 pinned") << "trans" << QString("250") << 100.0;
        QTest::newRow("piptrans 0") << "piptrans" << QString("0") << 100.0;
        QTest::newRow("piptrans 10 pinned") << "piptrans" << QString("10") << 25.0;
        QTest::newRow("alignment 0.0") << "alignment" << QString("0.0") << 1.0;
        QTest::newRow("alignment 9 pinned") << "alignment" << QString("9") << 3.0;
        QTest::newRow("vlc_post_x 500 pinned") << "vlc_post_x" << QString("500") << 72.0;
        QTest::newRow("vlc_post_x text") << "vlc_post_x" << QString("left") << 36.0;
        QTest::newRow("vlc_post_y 97 pinned") << "vlc_post_y" << QString("97") << 96.0;
    }
    void numbersWithDefaults()
    {
        QFETCH(QString, key);
        QFETCH(QString, stored);
        TestBoard b;
        write(key.startsWith("vlc_post") ? ImageCal : Main, key, stored);
        const double got = key == "trans" ? readTrans()
            : key == "piptrans"           ? readPipTrans()
            : key == "vlc_post_x"         ? readVlcPostX()
            : key == "vlc_post_y"         ? readVlcPostY()
                                          : readAlignment();
        QTEST(got, "read");
    }

    void numbersInRange_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("lo");
        QTest::addColumn<double>("hi");
        QTest::addColumn<double>("fallback");
        QTest::addColumn<double>("asFloat");
        QTest::addColumn<int>("asInt");
        QTest::newRow("distance with blanks") << " 2.00 " << 0.25 << 4.0 << 0.25 << 2.0 << 2;
        QTest::newRow("nan keeps default") << "nan" << -10.0 << 50.0 << 25.0 << 25.0 << 25;
        QTest::newRow("decimal integer rounds") << "30.6" << -10.0 << 50.0 << 25.0 << 30.6 << 31;
        QTest::newRow("huge integer") << "99999999999999999999" << -10.0 << 50.0 << 25.0 << 50.0 << 50;
    }
    void numbersInRange()
    {
        QFETCH(QString, text);
        QFETCH(double, lo);
        QFETCH(double, hi);
        QFETCH(double, fallback);
        QFETCH(double, asFloat);
        // The file readers and the text rules agree.
        TestBoard b;
        write(Main, "x", text);
        QCOMPARE(readFloatInRange(Main, "x", float(lo), float(hi), float(fallback)), float(asFloat));
        QTEST(readIntInRange(Main, "x", int(std::floor(lo)), int(std::ceil(hi)), int(std::lround(fallback))), "asInt");
        QCOMPARE(floatInRange(text, float(lo), float(hi), float(fallback)), float(asFloat));
    }

    // Reads sharing one opening of a file give what separate reads give, writes
    // made meanwhile included, and leave other files alone.
    void batchReadsWhatTheFileHolds()
    {
        TestBoard b;
        write(Main, "high_temp_c", "120");
        write(Image, "image_count", 7);
        {
            Batch batch(Main);
            QCOMPARE(readInt(Image, "image_count"), 7);
            write(Main, "high_temp_c", "130");
            QCOMPARE(readString(Main, "high_temp_c"), QString("130"));
            QVERIFY(b.read(Main.file).contains("high_temp_c=130"));
            Batch inner(Image);
            write(Image, "image_count", 8);
            QCOMPARE(readInt(Image, "image_count"), 8);
            QCOMPARE(readString(Main, "high_temp_c"), QString("130"));
        }
        // A file replaced behind our back (a shell copy) is read anew, by a plain
        // read and by the next batch; it differs in size because two writes a few
        // milliseconds apart can share a modification time.
        b.write(Main.file, "[config]\nhigh_temp_c=99\nlow_temp_c=1\n");
        QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
        {
            Batch again(Main);
            QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
        }
        QFile::remove(filePath(Main));
        Batch gone(Main);
        QCOMPARE(readString(Main, "high_temp_c"), QString());
    }

    void valuesQtWouldBuildReadAsText_data()
    {
        // An int 7 as Qt stores one: type 2, not null, then the value. Qt would
        // read `trans` as 7; it must read as the text, which is no number.
        const QByteArray raw = "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\0\\x7)";
        const QString text = QString::fromLatin1(QByteArray("@Variant(\0\0\0\x02\0\0\0\0\x07)", 19));
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<QString>("text");   // what `trans` reads
        QTest::addColumn<bool>("kept");      // the file is left byte for byte
        QTest::newRow("plain") << raw << text << false;
        QTest::newRow("quoted, its @ escaped") << "  \"\\x40" + raw.mid(1) + "\"" << text << false;
        QTest::newRow("in a list") << "5, " + raw << "5, " + text << false;
        QTest::newRow("a date") << QByteArray("@DateTime(\\0)") << QString("@DateTime(") + QChar(0) + ")" << false;
        QTest::newRow("a text that starts with @") << QByteArray("@@home") << QString("@home") << true;
    }
    void valuesQtWouldBuildReadAsText()
    {
        QFETCH(QByteArray, value);
        QFETCH(QString, text);
        QFETCH(bool, kept);
        TestBoard b;
        const QByteArray content = "; kept\n[config]\ncolor=Lava\ntrans=" + value + " ; a comment\nzone=Yes\n";
        b.write(Main.file, content);
        QCOMPARE(readTrans(), 50);
        QCOMPARE((QStringList{readString(Main, "trans"), readString(Main, "color"), readString(Main, "zone")}),
                 (QStringList{text, "Lava", "Yes"}));
        QCOMPARE(b.read(Main.file) == content, kept);
        write(Main, "zone", "No");   // a later write keeps the text
        QCOMPARE(readString(Main, "trans"), text);
    }

    void factoryValues()
    {
        TestBoard b;
        write(Main, "auto_power_off", "Off");
        write(Main, "vlc_post_y", "12");   // not a factory key: survives
        write(System, "language", "English");
        maintenance::writeFactoryValues();
        QSettings s(b.file(Main.file), QSettings::IniFormat);
        QCOMPARE((QStringList{s.value("config/auto_power_off").toString(), s.value("config/high_temp_k").toString(),
                              s.value("config/vlc_post_y").toString(), readString(System, "language")}),
                 (QStringList{"30Minutes", "403", "12", "none"}));
        QVERIFY(!s.contains("config/piptrans"));
        QCOMPARE(b.commands(), QStringList{"sync"});
    }

    // ---- start-up and shutdown --------------------------------------------------------------------------

    void restoreFromCardBackup_data()
    {
        QTest::addColumn<QString>("folder");
        QTest::newRow("SystemBackUp") << "SystemBackUp";
        QTest::newRow("systembackup") << "systembackup";
    }
    void restoreFromCardBackup()
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
            QCOMPARE(readString(Ini{qPrintable("/root/" + f), "config"}, QStringLiteral("from")), "backup-" + f);
        QVERIFY(!QFileInfo::exists(b.file("/media/mmcblk0p1/" + folder)));
        QCOMPARE(b.commands().first(), "cp /media/mmcblk0p1/SystemBackup/CalTempConfig.ini /root/CalTempConfig.ini");
    }

    void restoreFromEtcCopy()
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
        QCOMPARE(readString(Main, "time_format"), QString("12H"));
        QCOMPARE(b.read("/media/mmcblk0p1/Upgrade/CalTempConfig.ini"), QByteArray("[config]\ncal1=1.5\n"));
        QVERIFY(!w.showBootSettingsMenu);   // a language was chosen before
    }

    void missingDeviceBuildsNothingFurther_data()
    {
        QTest::addColumn<QString>("device");
        QTest::addColumn<int>("built");
        QTest::newRow("key device") << "/dev/input/event_key" << int(Norvik7::Built::KeyDeviceFailed);
        QTest::newRow("gpio") << "/dev/gpio" << int(Norvik7::Built::GpioFailed);
    }
    void missingDeviceBuildsNothingFurther()
    {
        QFETCH(QString, device);
        TestBoard b;
        b.remove(device);
        Norvik7 w;
        QTEST(int(w.built()), "built");
        QCOMPARE(w.kbdFd >= 0, device == "/dev/gpio");
        QVERIFY(w.findChildren<QTimer *>().isEmpty());
        QVERIFY(b.commands().isEmpty());   // not even the configuration restore
    }

    void bootRevealRule_data()
    {
        QTest::addColumn<QList<int>>("counters");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("shownAt");      // index of the frame that shows the window, -1 none
        QTest::addColumn<int>("progressAt");   // index of the frame that emits 100, -1 none
        QList<int> rounds;
        for (int r = 0; r < 3; ++r)
            for (int c = 1; c <= 100; ++c)
                rounds << c;
        // 79 low frames, 21 high ones (percent 79..99), 79 low ones (percent 100..178),
        // then the first high frame shows.
        QTest::newRow("module counting 1..100 from 0") << rounds << 0 << 179 << -1;
        QTest::newRow("module counting 1..100 from 100") << rounds << 100 << 79 << -1;
        QTest::newRow("high frames only") << QList<int>(130, 90) << 0 << 120 << 100;
        QTest::newRow("never above 79") << QList<int>(300, 79) << 0 << -1 << -1;
        QTest::newRow("percent 120 shows on the next high frame") << QList<int>{80, 80} << 120 << 0 << -1;
        QTest::newRow("percent 119 does not") << QList<int>{80} << 119 << -1 << -1;
    }
    void bootRevealRule()
    {
        QFETCH(QList<int>, counters);
        QFETCH(int, start);
        BootReveal r(start);
        int shown = -1, progress = -1;
        for (int i = 0; i < counters.size() && shown < 0; ++i) {
            const BootRevealStep s = r.onFrame(counters[i]);
            QCOMPARE(s.keepHidden, counters[i] <= 79);
            QVERIFY(!s.emitProgress100 || progress < 0);
            progress = s.emitProgress100 ? i : progress;
            shown = s.show ? i : shown;
        }
        QTEST(shown, "shownAt");
        QTEST(progress, "progressAt");
    }

    void framesDroppedDuringCaptureDoNotCount()
    {
        TestBoard b;
        Norvik7 w;
        viewState.saveImageEnable = true;
        for (int c = 1; c <= 300; ++c)
            frame(w, 90);
        viewState.saveImageEnable = false;
        viewState.setImageEnable = false;
        frame(w, 90);
        viewState.setImageEnable = true;
        QCOMPARE(w.bootReveal.percent(), 0);
        QVERIFY(w.isHidden());
    }

    void memoryRelease()
    {
        TestBoard b;
        Norvik7 w;
        b.clearCommands();
        w.releaseMemory();
        QCOMPARE(b.commands(), (QStringList{"sync", "sync", "sync", " echo 3 > /proc/sys/vm/drop_caches"}));
        QCOMPARE(b.read("/proc/sys/vm/drop_caches"), QByteArray("3\n"));
    }

    void shutdownSequence()
    {
        TestBoard b;
        config::write(Main, "auto_power_off", "Off");
        boardcommands::runShutdownSequence();
        QCOMPARE(b.commands(),
                 (QStringList{"echo 0 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness",
                              "cp /root/Norvik7_config.ini /etc/Norvik7_config.ini", "sync", "sync",
                              "killall uvc-gadget", "halt"}));
        QCOMPARE(b.halts(), 1);
        QCOMPARE(b.read("/etc/Norvik7_config.ini"), b.read("/root/Norvik7_config.ini"));
    }

    void splashCountsUpAndStopsAt100()
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
        // Each palette has its fill picture; an unknown one takes the first.
        for (int palette = 0; palette <= 8; ++palette)
            QVERIFY(!QPixmap(RadiusProgressBar::fillImage(palette)).isNull());
        QCOMPARE(RadiusProgressBar::fillImage(8), RadiusProgressBar::fillImage(0));
    }

    // ---- the built program ------------------------------------------------------------------------------

    void startsOnAFreshBoard()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path() + "/board";   // missing: seeded by the program
        QProcess p;
        startProgram(p, root);
        QTRY_VERIFY_WITH_TIMEOUT(logOf(root).contains("/etc/rc.d/wifisetting.sh"), 15000);
        QCOMPARE(p.state(), QProcess::Running);
        for (const char *f : {"/etc/hostapd.conf", "/dev/gpio", "/dev/mmcblk0p1", "/media/mmcblk0p1",
                              "/sys/bus/iio/devices/iio:device0/in_voltage7_raw", "/root/Wenquanyiweimihei.ttf"})
            QVERIFY2(QFileInfo::exists(root + f), f);
        struct stat st;
        QVERIFY(::stat(QFile::encodeName(root + "/dev/input/event_key").constData(), &st) == 0 && S_ISFIFO(st.st_mode));
        // Nothing outside the root was written: no board command ran for real,
        // and the program's working folder is the board's /root.
        QVERIFY(!QFileInfo::exists(tmp.path() + "/Norvik7_config.ini"));
        // Video decoding is loaded when a video is first opened, not at start.
        QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
        QVERIFY(maps.open(QIODevice::ReadOnly) && !maps.readAll().contains("libopencv"));
        p.terminate();
        QVERIFY(p.waitForFinished(5000));
        QVERIFY(p.readAll().contains("Norvik7:"));
    }
};

QTEST_MAIN(TestApp)
#include "tst_app.moc"
