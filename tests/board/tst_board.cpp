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
    void paths_data();
    void paths();
    void cardNamesIgnoreCase();
    void seededTree();
    void seedLeavesExistingRootAlone();
    void commandsAreLoggedVerbatimInOrder();
    void simulatedCommands_data();
    void simulatedCommands();
    void commandsNeverLeaveTheRoot_data();
    void commandsNeverLeaveTheRoot();
    void formatEmptiesTheCard();
    void haltEndsTheProgramWithStatusZero();
    void gpio();
    void cardPresenceAndSpace();
    void clockOffset();
    void wlan0();
};

void TestBoardLayer::paths_data()
{
    QTest::addColumn<QString>("boardPath");
    QTest::addColumn<QString>("underRoot");
    QTest::newRow("absolute") << "/root/x.ini"
                              << "/root/x.ini";
    QTest::newRow("relative is from /root") << "Wenquanyiweimihei.ttf"
                                            << "/root/Wenquanyiweimihei.ttf";
    QTest::newRow("dot dot folded") << "/etc/../root/a"
                                    << "/root/a";
    QTest::newRow("cannot climb above the root") << "/../../../etc/passwd"
                                                 << "/etc/passwd";
    QTest::newRow("relative cannot climb either") << "../../../../x"
                                                  << "/x";
    QTest::newRow("double slashes") << "//sys//bus/x"
                                    << "/sys/bus/x";
}

void TestBoardLayer::paths()
{
    QFETCH(QString, boardPath);
    QFETCH(QString, underRoot);
    TestBoard b;
    QCOMPARE(board::path(boardPath), b.root() + underRoot);
}

void TestBoardLayer::cardNamesIgnoreCase()
{
    TestBoard b;
    QDir().mkpath(b.root() + "/media/mmcblk0p1/SystemBackup");
    // The card is FAT: either spelling finds the one folder.
    QCOMPARE(board::path("/media/mmcblk0p1/SystemBackUp"), b.root() + "/media/mmcblk0p1/SystemBackup");
    QCOMPARE(board::path("/media/mmcblk0p1/systembackup/x.ini"), b.root() + "/media/mmcblk0p1/SystemBackup/x.ini");
    // Outside the card names are exact.
    QDir().mkpath(b.root() + "/etc/Abc");
    QCOMPARE(board::path("/etc/abc"), b.root() + "/etc/abc");
}

void TestBoardLayer::seededTree()
{
    TestBoard b;
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(b.file("/dev/input/event_key")).constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    const QStringList hostapd = QString::fromLatin1(b.read("/etc/hostapd.conf")).split('\n');
    const int iface = hostapd.indexOf("interface=wlan0");
    QVERIFY(iface >= 0);
    QVERIFY(hostapd.value(iface + 1).startsWith("ssid="));
    // A healthy battery between 3.55 V and 4.2 V.
    const double volts = b.read("/sys/bus/iio/devices/iio:device0/in_voltage7_raw").trimmed().toInt() * 4.2 / 4096;
    QVERIFY(volts > 3.55 && volts < 4.2);
    QCOMPARE(QDir::currentPath(), b.root() + "/root");
}

void TestBoardLayer::seedLeavesExistingRootAlone()
{
    TestBoard b(false);
    b.write("/root/keep.txt", "mine");
    QVERIFY(board::seedIfNeeded());
    QVERIFY(!QFileInfo::exists(b.file("/etc/hostapd.conf")));
    QCOMPARE(b.read("/root/keep.txt"), QByteArray("mine"));
}

void TestBoardLayer::commandsAreLoggedVerbatimInOrder()
{
    TestBoard b;
    const QStringList cmds = {" echo 3 > /proc/sys/vm/drop_caches", "hwclock -w", "killall uvc-gadget",
                              "dd if=/dev/zero of=/dev/null"};
    for (const QString &c : cmds)
        board::run(c);
    QCOMPARE(b.commands(), cmds);
    QCOMPARE(b.read("/proc/sys/vm/drop_caches"), QByteArray("3\n"));
}

void TestBoardLayer::simulatedCommands_data()
{
    QTest::addColumn<QStringList>("setup");   // files written first: "path=content"
    QTest::addColumn<QString>("command");
    QTest::addColumn<QStringList>("expect");   // "path=content" or "path!" for absent
    QTest::newRow("cp file") << QStringList{"/root/a.ini=A"} << "cp /root/a.ini /etc/a.ini"
                             << QStringList{"/etc/a.ini=A", "/root/a.ini=A"};
    QTest::newRow("cp overwrites") << QStringList{"/root/a.ini=new", "/etc/a.ini=old"} << "cp /root/a.ini /etc/a.ini"
                                   << QStringList{"/etc/a.ini=new"};
    QTest::newRow("cp into folder") << QStringList{"/root/a.ini=A"} << "cp /root/a.ini /etc"
                                    << QStringList{"/etc/a.ini=A"};
    QTest::newRow("cp of a missing file does nothing")
        << QStringList{"/etc/a.ini=old"} << "cp /root/none.ini /etc/a.ini" << QStringList{"/etc/a.ini=old"};
    QTest::newRow("cp -r folder") << QStringList{"/root/d/x=1", "/root/d/e/y=2"} << "cp -r /root/d /etc/d2"
                                  << QStringList{"/etc/d2/x=1", "/etc/d2/e/y=2"};
    QTest::newRow("rm -rf folder") << QStringList{"/media/mmcblk0p1/SystemBackup/a.ini=1"}
                                   << "rm -rf /media/mmcblk0p1/SystemBackup"
                                   << QStringList{"/media/mmcblk0p1/SystemBackup!"};
    QTest::newRow("rm -rf other case on the card")
        << QStringList{"/media/mmcblk0p1/SystemBackUp/a.ini=1"} << "rm -rf /media/mmcblk0p1/SystemBackup"
        << QStringList{"/media/mmcblk0p1/SystemBackUp!"};
    QTest::newRow("mkdir -p") << QStringList{} << "mkdir -p /media/mmcblk0p1/DCIM_100/x"
                              << QStringList{"/media/mmcblk0p1/DCIM_100/x/"};
    QTest::newRow("echo append") << QStringList{"/root/l=a\n"} << "echo b >> /root/l" << QStringList{"/root/l=a\nb\n"};
    QTest::newRow("quoted words") << QStringList{"/root/my file=Q"} << "cp '/root/my file' \"/etc/b c\""
                                  << QStringList{"/etc/b c=Q"};
    QTest::newRow("chained commands are only logged")
        << QStringList{"/root/a=1"} << "rm /root/a; rm /root/a" << QStringList{"/root/a=1"};
    QTest::newRow("pipes are only logged")
        << QStringList{"/root/a=1"} << "cat /root/a | rm /root/a" << QStringList{"/root/a=1"};
    QTest::newRow("substitution is only logged")
        << QStringList{"/root/a=1"} << "rm $(echo /root/a)" << QStringList{"/root/a=1"};
}

void TestBoardLayer::simulatedCommands()
{
    QFETCH(QStringList, setup);
    QFETCH(QString, command);
    QFETCH(QStringList, expect);
    TestBoard b;
    for (const QString &s : setup) {
        const int eq = s.indexOf('=');
        b.write(s.left(eq), s.mid(eq + 1).toUtf8());
    }
    board::run(command);
    QCOMPARE(b.commands(), QStringList{command});
    for (const QString &e : expect) {
        if (e.endsWith('!')) {
            QVERIFY2(!QFileInfo::exists(b.root() + e.chopped(1)), qPrintable(e));
        } else if (e.endsWith('/')) {
            QVERIFY2(QFileInfo(b.root() + e).isDir(), qPrintable(e));
        } else {
            const int eq = e.indexOf('=');
            QCOMPARE(QString::fromUtf8(b.read(e.left(eq))), e.mid(eq + 1));
        }
    }
}

void TestBoardLayer::commandsNeverLeaveTheRoot_data()
{
    QTest::addColumn<QString>("command");
    QTest::newRow("rm above root") << "rm -rf /../../" + QString("OUTSIDE");
    QTest::newRow("cp to above root") << "cp /root/a ../../../OUTSIDE/a";
    QTest::newRow("echo above root") << "echo 1 > /../OUTSIDE/f";
    QTest::newRow("rm the root itself") << "rm -rf /";
    QTest::newRow("rm dot dot") << "rm -rf /root/../..";
}

void TestBoardLayer::commandsNeverLeaveTheRoot()
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
    QVERIFY(!QFileInfo::exists(outer.path() + "/OUTSIDE/a"));
    QVERIFY(!QFileInfo::exists(outer.path() + "/OUTSIDE/f"));
    QVERIFY(QFileInfo::exists(rootDir + "/sim/commands.log"));
    qunsetenv("NORVIK7_ROOT");
    board::reloadEnvironment();
}

void TestBoardLayer::formatEmptiesTheCard()
{
    TestBoard b;
    b.write("/media/mmcblk0p1/DCIM_100/IMG_0001.bmp", "x");
    b.write("/media/mmcblk0p1/serial.zarnsn", "x");
    b.write("/root/keep", "k");
    board::run("umount /media/mmcblk0p1");
    board::run("mkfs.vfat -F 32 /dev/mmcblk0p1");
    QVERIFY(QFileInfo(b.file("/media/mmcblk0p1")).isDir());
    QVERIFY(QDir(b.file("/media/mmcblk0p1")).isEmpty());
    QVERIFY(QFileInfo::exists(b.file("/dev/mmcblk0p1")));
    QCOMPARE(b.read("/root/keep"), QByteArray("k"));
}

void TestBoardLayer::haltEndsTheProgramWithStatusZero()
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

    // In-process, the halt handler stands in for the end of the program.
    board::run("halt");
    QCOMPARE(b.halts(), 1);
}

void TestBoardLayer::gpio()
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
    b.remove("/dev/gpio");
    QCOMPARE(board::gpioOpen(), -1);
    QCOMPARE(board::gpioWord(5, 1), 0x80000005u);
    QCOMPARE(board::gpioWord(7, 0), 7u);
}

void TestBoardLayer::cardPresenceAndSpace()
{
    TestBoard b;
    QVERIFY(board::cardPresent());
    b.write("/sim/sd_total_mb", "30436\n");
    b.write("/sim/sd_free_mb", "1\n");
    const board::DiskSpace d = board::diskSpace("/media/mmcblk0p1/");
    QVERIFY(d.ok);
    QCOMPARE(d.totalMb, quint64(30436));
    QCOMPARE(d.freeMb, quint64(1));
    b.remove("/dev/mmcblk0p1");
    QVERIFY(!board::cardPresent());
    QCOMPARE(board::cardOpen(), -1);
}

void TestBoardLayer::clockOffset()
{
    TestBoard b;
    const std::time_t host = ::time(nullptr);
    QVERIFY(board::setClock(host + 86400));
    const qint64 offset = b.read("/sim/clock_offset").trimmed().toLongLong();
    QVERIFY(qAbs(offset - 86400) <= 1);
    QVERIFY(qAbs(board::nowSeconds() - (host + 86400)) <= 2);
    QVERIFY(qAbs(board::now().toSecsSinceEpoch() - (host + 86400)) <= 2);
    QVERIFY(qAbs(::time(nullptr) - host) <= 2);   // the host clock is untouched
}

void TestBoardLayer::wlan0()
{
    TestBoard b;
    // Upper-case hex groups, as the interface listing gives them, however the file writes them.
    for (const char *written : {"02:11:22:dd:ee:ff\n", "02:11:22:DD:ee:Ff"}) {
        b.write("/sim/wlan0_mac", written);
        QCOMPARE(board::wlan0Mac(), QString("02:11:22:DD:EE:FF"));
    }
    b.remove("/sim/wlan0_mac");
    QCOMPARE(board::wlan0Mac(), QString());
}

QTEST_GUILESS_MAIN(TestBoardLayer)
#include "tst_board.moc"
