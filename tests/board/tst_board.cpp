// The simulated board: paths under its root, its seeded tree, the commands it
// logs and carries out without ever leaving the root, its devices and clock,
// and a program's end by "halt".
#include "board/board.h"
#include "common/testboard.h"

#include <QtTest>

class TestBoardLayer : public QObject {
    Q_OBJECT
private slots:
    void pathsAndSeededTree()
    {
        TestBoard b;
        QDir().mkpath(b.root() + "/media/mmcblk0p1/SystemBackup");
        QDir().mkpath(b.root() + "/etc/Abc");
        // A board path, and where it is under the root. The card is FAT: either
        // spelling finds the one folder; elsewhere names are exact.
        for (const auto &[path, under] :
             {std::pair{"Wenquanyiweimihei.ttf", "/root/Wenquanyiweimihei.ttf"},   // from /root
              {"/etc/../root/a", "/root/a"},
              {"/../../../etc/passwd", "/etc/passwd"},   // never above the root
              {"../../../../x", "/x"},
              {"//sys//bus/x", "/sys/bus/x"},
              {"/media/mmcblk0p1/systembackup/x.ini", "/media/mmcblk0p1/SystemBackup/x.ini"},
              {"/etc/abc", "/etc/abc"}})
            QCOMPARE(board::path(QString::fromLatin1(path)), b.root() + QLatin1String(under));
        const QFileInfo keys(b.file("/dev/input/event_key"));   // a pipe: neither a file nor a folder
        QVERIFY(keys.exists() && !keys.isFile() && !keys.isDir());
        QVERIFY(b.read("/etc/hostapd.conf").contains("interface=wlan0\nssid="));
        // A healthy battery between 3.55 V and 4.2 V.
        const double volts = b.read("/sys/bus/iio/devices/iio:device0/in_voltage7_raw").trimmed().toInt() * 4.2 / 4096;
        QVERIFY(volts > 3.55 && volts < 4.2);
        QCOMPARE(QDir::currentPath(), b.root() + "/root");
        // A root that exists is left as it is.
        TestBoard mine(false);
        mine.write("/root/keep.txt", "mine");
        QVERIFY(board::seedIfNeeded());
        QVERIFY(!QFileInfo::exists(mine.file("/etc/hostapd.conf")) && mine.read("/root/keep.txt") == "mine");
    }

    void simulatedCommands_data()
    {
        using L = QStringList;
        QTest::addColumn<QStringList>("setup");    // files written first: "path=content"
        QTest::addColumn<QString>("commands");     // one a line, each logged verbatim
        QTest::addColumn<QStringList>("expect");   // "path=content", "path/" a folder, "path!" absent
        QTest::newRow("cp a file, over one, into a folder, of a missing file; quoted words")
            << L{"/root/a.ini=A", "/etc/b.ini=old", "/etc/c.ini=C", "/root/my file=Q"}
            << "cp /root/a.ini /etc/a.ini\ncp /root/a.ini /etc/b.ini\ncp /root/a.ini /media/mmcblk0p1\n"
               "cp /root/none /etc/c.ini\ncp '/root/my file' \"/etc/b c\""
            << L{"/etc/a.ini=A", "/root/a.ini=A", "/etc/b.ini=A", "/media/mmcblk0p1/a.ini=A",
                 "/etc/c.ini=C", "/etc/b c=Q"};
        QTest::newRow("cp -r, mkdir -p, rm -rf either case on the card")
            << L{"/root/d/x=1", "/root/d/e/y=2", "/media/mmcblk0p1/SystemBackup/a.ini=1", "/media/mmcblk0p1/D/b/a=1"}
            << "cp -r /root/d /etc/d2\nmkdir -p /media/mmcblk0p1/DCIM_100/x\nrm -rf /media/mmcblk0p1/SystemBackup\n"
               "rm -rf /media/mmcblk0p1/d/B"
            << L{"/etc/d2/x=1", "/etc/d2/e/y=2", "/media/mmcblk0p1/DCIM_100/x/", "/media/mmcblk0p1/SystemBackup!",
                 "/media/mmcblk0p1/D/b!"};
        QTest::newRow("echo appending and into a kernel file; chains, pipes, substitutions, others only logged")
            << L{"/root/l=a\n", "/root/a=1"}
            << "echo b >> /root/l\n echo 3 > /proc/sys/vm/drop_caches\nrm /root/a; rm /root/a\n"
               "cat /root/a | rm /root/a\nrm $(echo /root/a)\nhwclock -w"
            << L{"/root/l=a\nb\n", "/proc/sys/vm/drop_caches=3\n", "/root/a=1"};
        // Formatting empties the card, and only the card.
        QTest::newRow("mkfs.vfat") << L{"/media/mmcblk0p1/DCIM_100/IMG_0001.bmp=x", "/root/keep=k"}
                                   << "mkfs.vfat -F 32 /dev/mmcblk0p1"
                                   << L{"/media/mmcblk0p1/DCIM_100!", "/media/mmcblk0p1/", "/root/keep=k"};
    }
    void simulatedCommands()
    {
        QFETCH(QStringList, setup);
        QFETCH(QString, commands);
        QFETCH(QStringList, expect);
        TestBoard b;
        for (const QString &s : setup)
            b.write(s.section('=', 0, 0), s.section('=', 1).toUtf8());
        for (const QString &command : commands.split('\n'))
            board::run(command);
        QCOMPARE(b.commands(), commands.split('\n'));
        for (const QString &e : expect) {
            const QFileInfo f(b.root() + e.chopped(e.endsWith('!')));
            if (e.endsWith('!') || e.endsWith('/'))
                QVERIFY2(e.endsWith('/') ? f.isDir() : !f.exists(), qPrintable(e));
            else
                QCOMPARE(QString::fromUtf8(b.read(e.section('=', 0, 0))), e.section('=', 1));
        }
    }

    void commandsNeverLeaveTheRoot()
    {
        QTemporaryDir outer;
        const QString rootDir = outer.path() + "/board";
        QVERIFY(QDir().mkpath(outer.path() + "/OUTSIDE/canary"));
        qputenv("NORVIK7_ROOT", rootDir.toLocal8Bit());
        board::reloadEnvironment();
        board::seedIfNeeded();
        for (const char *command : {"rm -rf /../../OUTSIDE", "cp /root/a ../../../OUTSIDE/a", "echo 1 > /../OUTSIDE/f",
                                    "rm -rf /root/../..", "rm -rf /"}) {
            QVERIFY(QFile(rootDir + "/root/a").open(QIODevice::WriteOnly));
            board::run(QString::fromLatin1(command));
            const QStringList outside =
                QDir(outer.path() + "/OUTSIDE").entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
            QVERIFY2(outside == QStringList{"canary"} && QFileInfo::exists(rootDir + "/sim/commands.log"), command);
        }
        qunsetenv("NORVIK7_ROOT");
        board::reloadEnvironment();
    }

    void devicesClockAndHalt()
    {
        TestBoard b;
        const int fd = board::gpioOpen();
        const int missing = board::gpioGet(fd, 6);   // reads 0
        board::gpioSet(fd, 5, 1);
        b.write("/sim/gpio/6", "1\n");
        QCOMPARE(QVector<uint>({fd >= 0, uint(missing), uint(board::gpioGet(fd, 6)), b.read("/sim/gpio/5").toUInt(),
                                board::gpioWord(5, 1), board::gpioWord(7, 0)}),
                 QVector<uint>({1, 0, 1, 1, 0x80000005u, 7}));
        board::closeFd(fd);
        b.remove("/dev/gpio");
        QCOMPARE(board::gpioOpen(), -1);

        b.write("/sim/sd_total_mb", "30436\n");
        b.write("/sim/sd_free_mb", "1\n");
        const board::DiskSpace d = board::diskSpace("/media/mmcblk0p1/");
        QVERIFY(board::cardPresent() && d.ok && d.totalMb == 30436 && d.freeMb == 1);
        b.remove("/dev/mmcblk0p1");
        QVERIFY(!board::cardPresent() && board::cardOpen() == -1);

        // Upper-case hex groups, as the interface listing gives them, however the file writes them.
        b.write("/sim/wlan0_mac", "02:11:22:dd:ee:Ff\n");
        QCOMPARE(board::wlan0Mac(), QString("02:11:22:DD:EE:FF"));

        // The clock is an offset kept on the board; the host clock is untouched.
        const std::time_t host = ::time(nullptr);
        QVERIFY(board::setClock(host + 86400));
        QVERIFY(qAbs(b.read("/sim/clock_offset").trimmed().toLongLong() - 86400) <= 1 &&
                qAbs(::time(nullptr) - host) <= 2);
        QVERIFY(qAbs(board::nowSeconds() - (host + 86400)) <= 2 &&
                qAbs(board::now().toSecsSinceEpoch() - (host + 86400)) <= 2);

        // "halt" ends a program with status 0 after its "sync".
        b.clearCommands();
        QProcess p;   // the board's root reaches it through the environment
        p.start(SIMHALT_PATH, {});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(QVector<int>({p.exitStatus(), p.exitCode()}), QVector<int>({QProcess::NormalExit, 0}));
        QCOMPARE(b.commands(), (QStringList{"sync", "halt"}));
    }
};

QTEST_GUILESS_MAIN(TestBoardLayer)
#include "tst_board.moc"
