// The built program started as a person would: on a fresh simulated board,
// offscreen.
#include "common/testboard.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

namespace {
QProcessEnvironment boardEnv(const QString &root)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("NORVIK7_ROOT", root);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.remove("NORVIK7_KEYPAD");
    env.remove("NORVIK7_SCREEN_PNG");
    return env;
}

QStringList logOf(const QString &root)
{
    QFile f(root + "/sim/commands.log");
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(f.readAll()).split('\n', Qt::SkipEmptyParts);
}

void stop(QProcess &p)
{
    p.terminate();
    if (!p.waitForFinished(5000)) {
        p.kill();
        p.waitForFinished(5000);
    }
}
}   // namespace

class TestProgram : public QObject {
    Q_OBJECT
private slots:
    void startsOnAFreshBoard();
    void startsWithoutKeyDevice();
};

void TestProgram::startsOnAFreshBoard()
{
    QTemporaryDir tmp;
    const QString root = tmp.path() + "/board";   // missing: seeded by the program
    QProcess p;
    p.setProcessEnvironment(boardEnv(root));
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(NORVIK7_PROGRAM, {});
    QVERIFY(p.waitForStarted(5000));
    QTRY_VERIFY_WITH_TIMEOUT(logOf(root).contains("/etc/rc.d/wifisetting.sh"), 15000);
    QCOMPARE(p.state(), QProcess::Running);

    for (const char *f : {"/etc/hostapd.conf", "/dev/gpio", "/dev/mmcblk0p1", "/media/mmcblk0p1",
                          "/sys/bus/iio/devices/iio:device0/in_voltage7_raw", "/root/Wenquanyiweimihei.ttf"})
        QVERIFY2(QFileInfo::exists(root + f), f);
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(root + "/dev/input/event_key").constData(), &st), 0);
    QVERIFY(S_ISFIFO(st.st_mode));
    // Nothing outside the root was written: no board command ran for real,
    // and the program's working folder is the board's /root.
    QVERIFY(!QFileInfo::exists(tmp.path() + "/Norvik7_config.ini"));
    // Video decoding is loaded when a video is first opened, not at start.
    QFile maps(QStringLiteral("/proc/%1/maps").arg(p.processId()));
    QVERIFY(maps.open(QIODevice::ReadOnly));
    QVERIFY(!maps.readAll().contains("libopencv"));
    stop(p);
    QVERIFY(p.readAll().contains("Norvik7:"));
}

void TestProgram::startsWithoutKeyDevice()
{
    TestBoard b;
    b.remove("/dev/input/event_key");
    QProcess p;
    p.setProcessEnvironment(boardEnv(b.root()));
    p.start(NORVIK7_PROGRAM, {});
    QVERIFY(p.waitForStarted(5000));
    QTest::qWait(1500);
    QCOMPARE(p.state(), QProcess::Running);   // the splash stays; nothing crashes
    QVERIFY(logOf(b.root()).isEmpty());
    stop(p);
}

QTEST_GUILESS_MAIN(TestProgram)
#include "tst_program.moc"
