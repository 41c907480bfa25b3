// The simulated board: paths under its root, its seeded tree, the commands it
// logs and carries out without ever leaving the root, and its devices.
#include "board/board.h"
#include "common/testboard.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>

class TestBoardLayer : public QObject {
    Q_OBJECT
private slots:
    void paths_data()
    {
        QTest::addColumn<QStringList>("boardPathAndUnderRoot");
        using L = QStringList;
        QTest::newRow("absolute") << L{"/root/x.ini", "/root/x.ini"};
        QTest::newRow("relative is from /root") << L{"Wenquanyiweimihei.ttf", "/root/Wenquanyiweimihei.ttf"};
        QTest::newRow("dot dot folded") << L{"/etc/../root/a", "/root/a"};
        QTest::newRow("cannot climb above the root") << L{"/../../../etc/passwd", "/etc/passwd"};
        QTest::newRow("relative cannot climb either") << L{"../../../../x", "/x"};
        QTest::newRow("double slashes") << L{"//sys//bus/x", "/sys/bus/x"};
        // The card is FAT: either spelling finds the one folder; elsewhere names are exact.
        QTest::newRow("card names ignore case")
            << L{"/media/mmcblk0p1/systembackup/x.ini", "/media/mmcblk0p1/SystemBackup/x.ini"};
        QTest::newRow("other names do not") << L{"/etc/abc", "/etc/abc"};
    }
    void paths()
    {
        QFETCH(QStringList, boardPathAndUnderRoot);
        TestBoard b;
        QDir().mkpath(b.root() + "/media/mmcblk0p1/SystemBackup");
        QDir().mkpath(b.root() + "/etc/Abc");
        QCOMPARE(board::path(boardPathAndUnderRoot[0]), b.root() + boardPathAndUnderRoot[1]);
    }

    void seededTree()
    {
        TestBoard b;
        struct stat st;
        QCOMPARE(::stat(QFile::encodeName(b.file("/dev/input/event_key")).constData(), &st), 0);
        QVERIFY(S_ISFIFO(st.st_mode));
        const QStringList hostapd = QString::fromLatin1(b.read("/etc/hostapd.conf")).split('\n');
        QVERIFY(hostapd.indexOf("interface=wlan0") >= 0);
        QVERIFY(hostapd.value(hostapd.indexOf("interface=wlan0") + 1).startsWith("ssid="));
        // A healthy battery between 3.55 V and 4.2 V.
        const double volts = b.read("/sys/bus/iio/devices/iio:device0/in_voltage7_raw").trimmed().toInt() * 4.2 / 4096;
        QVERIFY(volts > 3.55 && volts < 4.2);
        QCOMPARE(QDir::currentPath(), b.root() + "/root");
        // A root that exists is left as it is.
        TestBoard mine(false);
        mine.write("/root/keep.txt", "mine");
        QVERIFY(board::seedIfNeeded());
        QVERIFY(!QFileInfo::exists(mine.file("/etc/hostapd.conf")));
        QCOMPARE(mine.read("/root/keep.txt"), QByteArray("mine"));
    }

    void simulatedCommands_data()
    {
        using L = QStringList;
        QTest::addColumn<QStringList>("setup");   // files written first: "path=content"
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("expect");   // "path=content", "path/" a folder, "path!" absent
        QTest::newRow("cp file") << L{"/root/a.ini=A"} << "cp /root/a.ini /etc/a.ini"
                                 << L{"/etc/a.ini=A", "/root/a.ini=A"};
        QTest::newRow("cp overwrites") << L{"/root/a.ini=new", "/etc/a.ini=old"} << "cp /root/a.ini /etc/a.ini"
                                       << L{"/etc/a.ini=new"};
        QTest::newRow("cp into folder") << L{"/root/a.ini=A"} << "cp /root/a.ini /etc" << L{"/etc/a.ini=A"};
        QTest::newRow("cp of a missing file does nothing")
            << L{"/etc/a.ini=old"} << "cp /root/none.ini /etc/a.ini" << L{"/etc/a.ini=old"};
        QTest::newRow("cp -r folder") << L{"/root/d/x=1", "/root/d/e/y=2"} << "cp -r /root/d /etc/d2"
                                      << L{"/etc/d2/x=1", "/etc/d2/e/y=2"};
        QTest::newRow("rm -rf folder") << L{"/media/mmcblk0p1/SystemBackup/a.ini=1"}
                                       << "rm -rf /media/mmcblk0p1/SystemBackup" << L{"/media/mmcblk0p1/SystemBackup!"};
        QTest::newRow("rm -rf other case on the card")
            << L{"/media/mmcblk0p1/SystemBackUp/a.ini=1"} << "rm -rf /media/mmcblk0p1/SystemBackup"
            << L{"/media/mmcblk0p1/SystemBackUp!"};
        QTest::newRow("mkdir -p") << L{} << "mkdir -p /media/mmcblk0p1/DCIM_100/x" << L{"/media/mmcblk0p1/DCIM_100/x/"};
        QTest::newRow("echo append") << L{"/root/l=a\n"} << "echo b >> /root/l" << L{"/root/l=a\nb\n"};
        QTest::newRow("echo into a kernel file")
            << L{} << " echo 3 > /proc/sys/vm/drop_caches" << L{"/proc/sys/vm/drop_caches=3\n"};
        QTest::newRow("quoted words") << L{"/root/my file=Q"} << "cp '/root/my file' \"/etc/b c\"" << L{"/etc/b c=Q"};
        QTest::newRow("chained commands are only logged")
            << L{"/root/a=1"} << "rm /root/a; rm /root/a" << L{"/root/a=1"};
        QTest::newRow("pipes are only logged") << L{"/root/a=1"} << "cat /root/a | rm /root/a" << L{"/root/a=1"};
        QTest::newRow("substitution is only logged") << L{"/root/a=1"} << "rm $(echo /root/a)" << L{"/root/a=1"};
        QTest::newRow("commands without a simulation are only logged") << L{} << "hwclock -w" << L{};
        // Formatting empties the card, and only the card.
        QTest::newRow("mkfs.vfat") << L{"/media/mmcblk0p1/DCIM_100/IMG_0001.bmp=x", "/root/keep=k"}
                                   << "mkfs.vfat -F 32 /dev/mmcblk0p1"
                                   << L{"/media/mmcblk0p1/DCIM_100!", "/media/mmcblk0p1/", "/root/keep=k"};
    }
    void simulatedCommands()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, command);
        QFETCH(QStringList, expect);
        TestBoard b;
        for (const QString &s : setup)
            b.write(s.section('=', 0, 0), s.section('=', 1).toUtf8());
        board::run(command);
        QCOMPARE(b.commands(), QStringList{command});   // logged verbatim
        for (const QString &e : expect) {
            if (e.endsWith('!'))
                QVERIFY2(!QFileInfo::exists(b.root() + e.chopped(1)), qPrintable(e));
            else if (e.endsWith('/'))
                QVERIFY2(QFileInfo(b.root() + e).isDir(), qPrintable(e));
            else
                QCOMPARE(QString::fromUtf8(b.read(e.section('=', 0, 0))), e.section('=', 1));
        }
    }

    void commandsNeverLeaveTheRoot_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("rm above root") << "rm -rf /../../OUTSIDE";
        QTest::newRow("cp to above root") << "cp /root/a ../../../OUTSIDE/a";
        QTest::newRow("echo above root") << "echo 1 > /../OUTSIDE/f";
        QTest::newRow("rm the root itself") << "rm -rf /";
        QTest::newRow("rm dot dot") << "rm -rf /root/../..";
    }
    void commandsNeverLeaveTheRoot()
    {
        QFETCH(QString, command);
        QTemporaryDir outer;
        const QString rootDir = outer.path() + "/board";
        auto touch = [](const QString &p) {
            return QDir().mkpath(QFileInfo(p).path()) && QFile(p).open(QIODevice::WriteOnly);
        };
        QVERIFY(touch(outer.path() + "/OUTSIDE/canary"));
        qputenv("NORVIK7_ROOT", rootDir.toLocal8Bit());
        board::reloadEnvironment();
        board::seedIfNeeded();
        QVERIFY(touch(rootDir + "/root/a"));
        board::run(command);
        QVERIFY(QFileInfo::exists(outer.path() + "/OUTSIDE/canary"));
        QVERIFY(!QFileInfo::exists(outer.path() + "/OUTSIDE/a") && !QFileInfo::exists(outer.path() + "/OUTSIDE/f"));
        QVERIFY(QFileInfo::exists(rootDir + "/sim/commands.log"));
        qunsetenv("NORVIK7_ROOT");
        board::reloadEnvironment();
    }

    void haltEndsTheProgramWithStatusZero()
    {
        TestBoard b;
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("NORVIK7_ROOT", b.root());
        p.setProcessEnvironment(env);
        p.start(SIMHALT_PATH, {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 0);
        QVERIFY(!p.readAllStandardOutput().contains("still running"));
        QCOMPARE(b.commands(), (QStringList{"sync", "halt"}));
        board::run("halt");   // in-process, the halt handler stands in for the end of the program
        QCOMPARE(b.halts(), 1);
    }

    void devices()
    {
        TestBoard b;
        const int fd = board::gpioOpen();
        QVERIFY(fd >= 0);
        QCOMPARE(board::gpioGet(fd, 6), 0);   // missing reads 0
        board::gpioSet(fd, 5, 1);
        QCOMPARE(b.read("/sim/gpio/5"), QByteArray("1"));
        b.write("/sim/gpio/6", "1\n");
        QCOMPARE(board::gpioGet(fd, 6), 1);
        board::closeFd(fd);
        QCOMPARE(board::gpioWord(5, 1), 0x80000005u);
        QCOMPARE(board::gpioWord(7, 0), 7u);
        b.remove("/dev/gpio");
        QCOMPARE(board::gpioOpen(), -1);

        QVERIFY(board::cardPresent());
        b.write("/sim/sd_total_mb", "30436\n");
        b.write("/sim/sd_free_mb", "1\n");
        const board::DiskSpace d = board::diskSpace("/media/mmcblk0p1/");
        QVERIFY(d.ok && d.totalMb == 30436 && d.freeMb == 1);
        b.remove("/dev/mmcblk0p1");
        QVERIFY(!board::cardPresent());
        QCOMPARE(board::cardOpen(), -1);

        // Upper-case hex groups, as the interface listing gives them, however the file writes them.
        for (const char *written : {"02:11:22:dd:ee:ff\n", "02:11:22:DD:ee:Ff"}) {
            b.write("/sim/wlan0_mac", written);
            QCOMPARE(board::wlan0Mac(), QString("02:11:22:DD:EE:FF"));
        }
        b.remove("/sim/wlan0_mac");
        QCOMPARE(board::wlan0Mac(), QString());
    }

    void clockOffset()
    {
        TestBoard b;
        const std::time_t host = ::time(nullptr);
        QVERIFY(board::setClock(host + 86400));
        QVERIFY(qAbs(b.read("/sim/clock_offset").trimmed().toLongLong() - 86400) <= 1);
        QVERIFY(qAbs(board::nowSeconds() - (host + 86400)) <= 2);
        QVERIFY(qAbs(board::now().toSecsSinceEpoch() - (host + 86400)) <= 2);
        QVERIFY(qAbs(::time(nullptr) - host) <= 2);   // the host clock is untouched
    }
};

QTEST_GUILESS_MAIN(TestBoardLayer)
#include "tst_board.moc"
