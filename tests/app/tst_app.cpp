// The application around the screens: the configuration store, start-up
// (restoring the configuration, missing devices, the boot reveal), the
// shutdown sequence, and the built program started as a person would.
#include "app/boardcommands.h"
#include "app/bootprogressmenu.h"
#include "app/bootreveal.h"
#include "common/livedevice.h"
#include "settings/maintenance.h"

#include <QProcess>
#include <QSettings>

using namespace config;

class TestApp : public QObject {
    Q_OBJECT
private slots:
    // ---- the configuration store ----------------------------------------------------------------------

    // A stored text names its button; absent or unknown (texts compared as
    // they stand) it is the default, written where the screen stores one.
    void readChoice()
    {
        QStringList got;
        for (const auto &[key, stored] : {std::pair{"auto_power_off", ""},
                                          {"auto_power_off", "7Minutes"},
                                          {"auto_power_off", "off"},
                                          {"color", ""},
                                          {"color", "Purple"},
                                          {"color", "White Hot"},
                                          {"temp_unit", "F"},
                                          {"language", ""},
                                          {"wifi_switch", ""}}) {
            TestBoard b(true, false);
            if (*stored)
                write(Main, key, stored);
            const int index = config::readChoice(*choice(key));
            got << QString::number(index) + ' ' + (value(Main, key).isValid() ? readString(Main, key) : "-");
        }
        QCOMPARE(got,
                 (QStringList{"2 30Minutes", "2 30Minutes", "2 30Minutes", "0 -", "0 Purple", "0 White Hot", "1 F",
                              "1 Chinese", "1 -"}));
    }

    // Numbers read within their ranges, the default for 0 or text that does
    // not parse, the file readers and the text rule agreeing; a garbled file
    // reads as the defaults.
    void numbers()
    {
        TestBoard b;
        QList<double> got;
        const QString pairs = "trans=0 trans=250 piptrans=0 piptrans=10 alignment=0.0 alignment=9 vlc_post_x=500 "
                              "vlc_post_x=left vlc_post_y=97";
        for (const QString &kv : pairs.split(' ')) {
            const QString k = kv.section('=', 0, 0);
            write(k.startsWith("vlc_post") ? ImageCal : Main, k, kv.section('=', 1));
            got << (k == "trans"            ? readTrans()
                        : k == "piptrans"   ? readPipTrans()
                        : k == "vlc_post_x" ? readVlcPostX()
                        : k == "vlc_post_y" ? readVlcPostY()
                                            : readAlignment());
        }
        QCOMPARE(got, (QList<double>{50, 100, 100, 25, 1.0, 3.0, 72, 36, 96}));
        for (const auto &[text, lo, hi, fallback, asFloat, asInt] :
             {std::tuple{" 2.00 ", 0.25f, 4.0f, 0.25f, 2.0f, 2},
              {"nan", -10.0f, 50.0f, 25.0f, 25.0f, 25},
              {"30.6", -10.0f, 50.0f, 25.0f, 30.6f, 31},
              {"99999999999999999999", -10.0f, 50.0f, 25.0f, 50.0f, 50}}) {
            write(Main, "x", text);
            QCOMPARE(readFloatInRange(Main, "x", lo, hi, fallback), asFloat);
            QCOMPARE(floatInRange(text, lo, hi, fallback), asFloat);
            QCOMPARE(readIntInRange(Main, "x", int(std::floor(lo)), int(std::ceil(hi)), int(std::lround(fallback))),
                     asInt);
        }
        for (const QByteArray &content :
             {QByteArray("\x00\xff\xfe[config\x01\x02=\x00\x80", 14), QByteArray("[config]\nauto_power_off=5Min"),
              QByteArray("[config]\ntrans=abc\npiptrans=1e\nalignment=x.y\n")}) {
            b.write(Main.file, content);
            QCOMPARE(config::readChoice(*choice("auto_power_off")), 2);
            QCOMPARE((QList<double>{double(readTrans()), double(readPipTrans()), readAlignment(),
                                    double(readInt(Main, "image_count"))}),
                     (QList<double>{50, 100, 1.0, 0}));
        }
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
        }
        // A file replaced behind our back (a shell copy) is read anew, by a plain
        // read and by the next batch; it differs in size because two writes a few
        // milliseconds apart can share a modification time.
        b.write(Main.file, "[config]\nhigh_temp_c=99\nlow_temp_c=1\n");
        QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
        Batch again(Main);
        QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
    }

    // A value Qt would build an object from reads as the text it spells, the
    // file left as it is unless it had to be rewritten.
    void valuesQtWouldBuildReadAsText()
    {
        // An int 7 as Qt stores one: type 2, not null, then the value. Qt would
        // read `trans` as 7; it must read as the text, which is no number.
        const QByteArray raw = "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\0\\x7)";
        const QString text = QString::fromLatin1(QByteArray("@Variant(\0\0\0\x02\0\0\0\0\x07)", 19));
        // plain; quoted, its @ escaped; in a list; a date; a text that starts with @ (kept byte for byte)
        for (const auto &[value, read, kept] :
             {std::tuple{raw, text, false},
              {"  \"\\x40" + raw.mid(1) + "\"", text, false},
              {"5, " + raw, "5, " + text, false},
              {QByteArray("@DateTime(\\0)"), QString("@DateTime(") + QChar(0) + ")", false},
              {QByteArray("@@home"), QString("@home"), true}}) {
            TestBoard b;
            const QByteArray content = "; kept\n[config]\ncolor=Lava\ntrans=" + value + " ; a comment\nzone=Yes\n";
            b.write(Main.file, content);
            QCOMPARE(readTrans(), 50);
            QCOMPARE((QStringList{readString(Main, "trans"), readString(Main, "color"), readString(Main, "zone")}),
                     (QStringList{read, "Lava", "Yes"}));
            QCOMPARE(b.read(Main.file) == content, kept);
            write(Main, "zone", "No");   // a later write keeps the text
            QCOMPARE(readString(Main, "trans"), read);
        }
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
        QCOMPARE(b.commands(), QStringList{"sync"});
    }

    // ---- start-up and shutdown --------------------------------------------------------------------------

    // The configuration restored from the card's backup folder (its name in
    // any case), which then goes.
    void restoreFromCardBackup()
    {
        TestBoard b;
        for (const QString &f : maintenance::backupFiles()) {
            b.write("/media/mmcblk0p1/systembackup/" + f, ("[config]\nfrom=backup-" + f + "\n").toUtf8());
            b.write("/root/" + f, "[config]\nfrom=old\n");
        }
        b.write("/etc/Norvik7_config.ini", "[config]\nfrom=etc\n");
        Norvik7 w;
        // The menus add their written defaults to the restored main file.
        for (const QString &f : maintenance::backupFiles())
            QCOMPARE(readString(Ini{qPrintable("/root/" + f), "config"}, QStringLiteral("from")), "backup-" + f);
        QVERIFY(!QFileInfo::exists(b.file("/media/mmcblk0p1/systembackup")));
        QCOMPARE(b.commands().first(), "cp /media/mmcblk0p1/SystemBackup/CalTempConfig.ini /root/CalTempConfig.ini");
    }

    // No backup on the card: the /etc copy restored and the calibration copied
    // to the card's upgrade folder; then memory released on request.
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
        b.clearCommands();
        w.releaseMemory();
        QCOMPARE(b.commands(), (QStringList{"sync", "sync", "sync", " echo 3 > /proc/sys/vm/drop_caches"}));
    }

    // Without the key device or the GPIO nothing further is built: no timer,
    // not even the configuration restore.
    void missingDeviceBuildsNothingFurther()
    {
        for (const auto &[device, built] : {std::pair{"/dev/input/event_key", Norvik7::Built::KeyDeviceFailed},
                                            {"/dev/gpio", Norvik7::Built::GpioFailed}}) {
            TestBoard b;
            b.remove(device);
            Norvik7 w;
            QVERIFY(w.built() == built && (w.kbdFd >= 0) == (built == Norvik7::Built::GpioFailed) &&
                    w.findChildren<QTimer *>().isEmpty() && b.commands().isEmpty());
        }
    }

    // Frames with a counter above 79 count; the window shows on the first
    // high frame once the percent is past 119 (79 low frames, 21 high ones at
    // 79..99, 79 low ones at 100..178); 100 is told once, by high frames alone.
    void bootRevealRule()
    {
        QList<int> rounds;   // a module counting 1..100, three times
        for (int i = 0; i < 300; ++i)
            rounds << i % 100 + 1;
        QList<QPoint> got;   // the frames that show the window and that tell 100 (-1: none)
        for (const auto &[counters, start] : {std::pair{rounds, 0},
                                              {rounds, 100},
                                              {QList<int>(130, 90), 0},
                                              {QList<int>(300, 79), 0},
                                              {QList<int>{80, 80}, 120},
                                              {QList<int>{80}, 119}}) {
            BootReveal r(start);
            int shown = -1, progress = -1;
            for (int i = 0; i < counters.size() && shown < 0; ++i) {
                const BootRevealStep s = r.onFrame(counters[i]);
                QCOMPARE(s.keepHidden, counters[i] <= 79);
                QVERIFY(!s.emitProgress100 || progress < 0);
                progress = s.emitProgress100 ? i : progress;
                shown = s.show ? i : shown;
            }
            got << QPoint(shown, progress);
        }
        QCOMPARE(got, (QList<QPoint>{{179, -1}, {79, -1}, {120, 100}, {-1, -1}, {0, -1}, {-1, -1}}));

        // The splash bar counts up to 100 and stops there; a pushed value counts on from there.
        BootProgressMenu splash;
        for (int i = 0; i < 110; ++i)
            splash.updateProgressbar();
        QCOMPARE(splash.bar1->value(), 100);
        QVERIFY(!splash.counting());   // a full bar has nothing more to count
        splash.updateProgressValue(150);
        splash.updateProgressbar();   // above 100: the bar stays at 100
        QCOMPARE(splash.bar1->value(), 100);
        splash.updateProgressValue(40);   // a pushed value counts on from there
        QVERIFY(splash.counting());
        splash.updateProgressbar();
        QCOMPARE(splash.bar1->value(), 41);
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
    }

    // ---- the built program ------------------------------------------------------------------------------

    void startsOnAFreshBoard()
    {
        QTemporaryDir tmp;
        const QString root = tmp.path() + "/board";   // missing: seeded by the program
        QProcess p;                                   // offscreen, as this suite runs
        p.setProcessChannelMode(QProcess::MergedChannels);
        qputenv("NORVIK7_ROOT", QFile::encodeName(root));
        p.start(NORVIK7_PROGRAM, {});
        qunsetenv("NORVIK7_ROOT");
        QVERIFY(p.waitForStarted(5000));
        auto log = [&] {
            QFile f(root + "/sim/commands.log");
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        QTRY_VERIFY_WITH_TIMEOUT(log().contains("/etc/rc.d/wifisetting.sh"), 15000);
        QVERIFY(p.state() == QProcess::Running && QFileInfo::exists(root + "/etc/hostapd.conf"));   // seeded
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
