// The built program under the faults a handheld meets, driven as a separate
// process on a simulated board of the test's own through its key device: the
// card pulled at every step of a save, full or write-protected; power cut
// (SIGKILL) amid saves and settings; sensors and board files gone or talking
// nonsense; a thousand TCP clients of every manner amid captures; a storm of
// random keys. After each blow: every image on the card whole, every INI file
// whole, the program alive and the next save whole.
#include "core/keystate.h"
#include "common/testboard.h"
#include "connectivity/loopbackclient.h"
#include "media/savedimage.h"

#include <QImage>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <map>
#include <set>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kFolder = QStringLiteral("/media/mmcblk0p1/DCIM_100/");
const char *const kKeys[] = {"Norvik7_config.ini",  "SystemConfig.ini", "CalTempConfig.ini",
                             "ImageCal_config.ini", "ImageConfig.ini",  "sn_config.ini"};

// A number from the environment (the campaign script raises the CTest rounds).
int knob(const char *name, int fallback)
{
    bool ok = false;
    const int v = qEnvironmentVariableIntValue(name, &ok);
    return ok && v > 0 ? v : fallback;
}

struct Program {
    TestBoard board;
    QProcess p;
    int port = loopback::freePort();
    QStringList env;                                 // extra NAME=VALUE of the next start
    std::map<QString, std::set<QString>> keysHeld;   // INI file -> keys it held

    Program()
    {
        // Auto save: one trigger press saves; the first-boot menu is not wanted.
        board.write("/root/Norvik7_config.ini", "[config]\nlanguage=English\nauto_save=Yes\n");
        board.write("/root/SystemConfig.ini", "[system]\nlanguage=English\n");
        // What the program prints, kept beside the board for a failure's reader.
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(board.file("/sim/program.log"), QIODevice::Append);
    }
    ~Program() { kill(); }

    void start()
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("NORVIK7_ROOT", board.root());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("NORVIK7_TCP_PORT", QString::number(port));
        e.remove("NORVIK7_KEYPAD");
        e.remove("NORVIK7_SCREEN_PNG");
        for (const QString &kv : env)
            e.insert(kv.section('=', 0, 0), kv.section('=', 1));
        p.setProcessEnvironment(e);
        // A file-size limit (setFileSizeLimit) stands for a card that fills up
        // in the middle of a write: the write fails there, and the signal that
        // would end the program is ignored, as a full card sends none.
        p.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_IGN); });
        p.start(NORVIK7_PROGRAM, {});
        QVERIFY(p.waitForStarted(5000));
    }
    QByteArray logTail() const { return board.read("/sim/program.log").right(600); }
    void setFileSizeLimit(rlim_t limit)
    {
        const rlimit r{limit, RLIM_INFINITY};   // the soft limit only: raised again without privilege
        ::prlimit(static_cast<pid_t>(p.processId()), RLIMIT_FSIZE, &r, nullptr);
    }
    void kill()
    {
        if (p.state() == QProcess::NotRunning)
            return;
        p.kill();
        p.waitForFinished(5000);
    }
    bool alive() const { return p.state() == QProcess::Running; }

    // The program has read every key record written so far (false: it hangs).
    bool keysTaken(int ms = 5000) const
    {
        const QByteArray fifo = QFile::encodeName(board.file("/dev/input/event_key"));
        const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
        if (fd < 0)
            return false;
        QDeadlineTimer deadline(ms);
        int pending = 1;
        while (::ioctl(fd, FIONREAD, &pending) == 0 && pending > 0 && !deadline.hasExpired())
            QTest::qWait(5);
        ::close(fd);
        return pending == 0;
    }
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < times; ++i) {
            board.sendKey(code, keyvalue::Press);
            board.sendKey(code, keyvalue::Release);
        }
    }

    QString folder() const { return board.file(kFolder); }
    QString file(int number, const char *extension) const
    {
        return QDir(folder()).filePath(QStringLiteral("IMG_%1.").arg(number, 4, 10, QLatin1Char('0')) + extension);
    }
    QStringList images() const { return QDir(folder()).entryList({"IMG_*.bmp"}, QDir::Files, QDir::Name); }
    int counter() const
    {
        return QSettings(board.file("/root/ImageConfig.ini"), QSettings::IniFormat).value("config/image_count").toInt();
    }

    // Presses the trigger (twice where a panel waits for its save, again
    // while the start-up screen or an earlier "Saved" still ignores it) until
    // a new image is on the card and the save has ended; its number, 0 when
    // none came within `ms`.
    int saveOne(int ms = 30000)
    {
        const QStringList before = images();
        QDeadlineTimer deadline(ms);
        while (!deadline.hasExpired() && alive()) {
            press(keycode::Trigger);
            for (QDeadlineTimer step(1500); !step.hasExpired();) {
                QTest::qWait(20);
                for (const QString &name : images()) {
                    if (before.contains(name))
                        continue;
                    // Done when the counter, written last, has moved on.
                    const int n = name.mid(4, 4).toInt();
                    for (QDeadlineTimer done(5000); counter() != n + 1 && !done.hasExpired();)
                        QTest::qWait(20);
                    return n;
                }
            }
        }
        return 0;
    }

    // What is wrong with the card's images: a BMP that does not parse whole,
    // a JPEG that does not decode, a BMP whose JPEG twin is missing (when
    // `twins`), anything else named as an image, or a part file of a save
    // (when `parts` is false).
    QStringList cardFaults(bool twins = true, bool parts = false) const
    {
        QStringList faults;
        const QDir dir(folder());
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const QString path = dir.filePath(name);
            if (!name.startsWith("IMG_")) {
                if (!parts)
                    faults << name + " left";
            } else if (name.endsWith(".bmp")) {
                const savedimage::Contents c = savedimage::readFile(path);
                if (!c.header || !c.hasExif || !c.hasRaw || QFileInfo(path).size() != 406096)
                    faults << name + " half";
                if (twins && !dir.exists(name.chopped(3) + "jpg"))
                    faults << name + " without its JPEG";
            } else if (name.endsWith(".jpg")) {
                if (QImage(path, "JPEG").isNull())
                    faults << name + " does not decode";
            } else {
                faults << name + " left";
            }
        }
        return faults;
    }

    // INI files that do not parse or lost a key they held when last looked at.
    QStringList iniFaults()
    {
        QStringList faults;
        for (const char *name : kKeys) {
            const QString path = board.file(QStringLiteral("/root/") + name);
            if (!QFileInfo::exists(path))
                continue;
            QSettings s(path, QSettings::IniFormat);
            if (s.status() != QSettings::NoError)
                faults << QString::fromLatin1(name) + " does not parse";
            const QStringList now = s.allKeys();
            std::set<QString> &held = keysHeld[name];
            for (const QString &k : held)
                if (!now.contains(k))
                    faults << QString::fromLatin1(name) + " lost " + k;
            held.insert(now.begin(), now.end());
        }
        return faults;
    }
};

void pullCard(const TestBoard &b)
{
    b.remove("/dev/mmcblk0p1");
    QVERIFY(QDir().rename(b.file("/media/mmcblk0p1"), b.file("/sim/pulled_card")));
}

void returnCard(const TestBoard &b)
{
    if (QFileInfo::exists(b.file("/sim/pulled_card"))) {
        b.remove("/media/mmcblk0p1");
        QVERIFY(QDir().rename(b.file("/sim/pulled_card"), b.file("/media/mmcblk0p1")));
    }
    b.write("/dev/mmcblk0p1", QByteArray());
}

// Saves until an image comes and checks it is the one the counter promised.
void savesWhole(Program &prog)
{
    const int before = prog.counter();
    const int n = prog.saveOne();
    QVERIFY2(n > 0, prog.logTail().constData());
    QVERIFY(n >= before);
    QTRY_COMPARE_WITH_TIMEOUT(prog.counter(), n + 1, 5000);
    QVERIFY(QImage(prog.file(n, "jpg"), "JPEG").width() > 0);
}

// The six bytes of a reading arrive within `ms`.
bool readingWithin(int fd, int ms) { return loopback::readBytes(fd, 6, ms).size() == 6; }

const int kAllKeys[] = {keycode::Back, keycode::Trigger, keycode::Ok,   keycode::Up,
                        keycode::Left, keycode::Right,   keycode::Down, keycode::Gallery};

}   // namespace

class TestFault : public QObject {
    Q_OBJECT
private slots:
    void cardFaults();
    void killedAmidSavesAndSettings();
    void sensorFaults();
    void tcpFloodWhileCapturing();
    void keyStorm();
};

void TestFault::cardFaults()
{
    // A save writes the BMP, then the JPEG, each beside its name, then
    // renames it: "pull@N" pulls the card at the N-th of these four steps.
    const struct {
        const char *fault;
        bool saved;   // the faulted save still leaves its image
    } rows[] = {
        {"pulled", false}, {"pull@1", false},   {"pull@2", false}, {"pull@3", true},
        {"pull@4", true},  {"readonly", false}, {"full", false},   {"no room", false},
    };
    Program prog;
    prog.start();
    savesWhole(prog);
    for (const auto &row : rows) {
        const QString fault = QString::fromLatin1(row.fault);
        const int images = prog.images().size();
        const int counter = prog.counter();
        // The last "Saved" stays 3 s, while the trigger is not taken; nothing
        // tells its end from outside.
        QTest::qWait(3300);
        if (fault == "pulled")
            pullCard(prog.board);
        else if (fault == "full")
            prog.setFileSizeLimit(300000);   // the BMP (406096 bytes) stops part way
        else if (fault == "no room")
            prog.board.write("/sim/sd_free_mb", "0\n");
        else
            prog.board.write("/sim/card_fault", fault.toLatin1());
        prog.press(keycode::Trigger);
        QVERIFY(prog.keysTaken());
        QTest::qWait(500);   // nothing to wait for when nothing is saved
        QVERIFY(prog.alive());
        QCOMPARE(prog.counter(), counter + row.saved);

        returnCard(prog.board);
        prog.board.remove("/sim/card_fault");
        prog.board.remove("/sim/sd_free_mb");
        prog.setFileSizeLimit(RLIM_INFINITY);
        QStringList faults = prog.cardFaults(/*twins=*/false, /*parts=*/true);
        QVERIFY2(faults.isEmpty(), qPrintable(fault + ": " + faults.join(", ")));
        savesWhole(prog);
        QCOMPARE(prog.images().size(), images + row.saved + 1);
        faults = prog.cardFaults(/*twins=*/false, /*parts=*/false);
        QVERIFY2(faults.isEmpty(), qPrintable(fault + ": " + faults.join(", ")));
    }
}

void TestFault::killedAmidSavesAndSettings()
{
    Program prog;
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 7);
    const int rounds = knob("NORVIK7_FAULT_KILLS", 4);
    for (int round = 0; round < rounds; ++round) {
        prog.start();
        savesWhole(prog);
        QCOMPARE(prog.cardFaults(/*twins=*/false), QStringList());
        // A save, or a walk through the menus that writes settings, cut at a
        // random moment.
        if (rng.bounded(2)) {
            prog.press(keycode::Trigger);
        } else {
            prog.press(keycode::Ok);
            prog.press(keycode::Right, rng.bounded(6));
            prog.press(keycode::Ok);
            prog.press(keycode::Down, rng.bounded(4));
            prog.press(keycode::Ok);
            prog.press(keycode::Down, rng.bounded(2));
            prog.press(keycode::Ok);
        }
        QTest::qWait(rng.bounded(400));
        prog.kill();
        const QStringList faults = prog.cardFaults(false, true) + prog.iniFaults();
        QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("round %1: ").arg(round) + faults.join(", ")));
    }
    qInfo("%d kill rounds", rounds);
}

void TestFault::sensorFaults()
{
    static const char *const files[] = {"/sys/bus/iio/devices/iio:device0/in_voltage7_raw",
                                        "/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input",
                                        "/sys/devices/virtual/thermal/thermal_zone0/temp",
                                        "/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness"};
    Program prog;
    prog.board.write("/sim/scene", "blackbody:40\n");
    prog.start();
    QVERIFY(prog.saveOne() > 0);
    const auto hottest = [&](int n) { return savedimage::readFile(prog.file(n, "bmp")).fields.maxTemp; };
    bool warm = false;   // the blackbody at 60 or 90 degrees, another each time
    for (const char *fault : {"ir", "visible", "garbage", "empty", "unreadable"}) {
        const bool sensor = fault == QLatin1String("ir") || fault == QLatin1String("visible");
        if (fault == QLatin1String("ir"))
            prog.board.write("/sim/ir_module", "absent\n");
        else if (fault == QLatin1String("visible"))
            prog.board.write("/sim/visible_camera", "off\n");
        for (const char *f : files) {
            if (sensor)
                break;
            prog.board.remove(f);
            if (fault == QLatin1String("unreadable"))
                QDir().mkpath(prog.board.file(f));
            else
                prog.board.write(f, fault == QLatin1String("garbage") ? QByteArray("\xff\x00zz-\n9e9e", 9) : "");
        }
        // Long enough for the health timers to read their files more than once.
        QTest::qWait(2500);
        QVERIFY2(prog.alive(), fault);
        QVERIFY2(!prog.board.commands().contains("halt"), fault);
        // The camera still saves, the visible sensor's JPEG aside.
        QVERIFY2(prog.saveOne() > 0, fault);
        const QStringList faults = prog.cardFaults(/*twins=*/fault != QLatin1String("visible"));
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(", ")));
        // Back: the live picture follows the scene again.
        prog.board.remove("/sim/ir_module");
        prog.board.remove("/sim/visible_camera");
        const QByteArray t = QByteArray::number((warm = !warm) ? 60 : 90);
        prog.board.write("/sim/scene", "blackbody:" + t + "\n");
        // The sensor that came back may take a while to deliver again; the
        // camera must follow the new scene within 20 s.
        int n = 0;
        QElapsedTimer followed;
        followed.start();
        for (QDeadlineTimer until(20000); !until.hasExpired() && qAbs(hottest(n) - t.toInt() * 10) > 50;) {
            QTest::qWait(300);
            n = prog.saveOne();
        }
        qInfo("%s: the new scene saved after %lld ms", fault, followed.elapsed());
        QVERIFY2(
            qAbs(hottest(n) - t.toInt() * 10) <= 50,
            qPrintable(QStringLiteral("%1: image %2, hottest %3 ").arg(fault).arg(n).arg(hottest(n)) + prog.logTail()));
    }
    QVERIFY(prog.alive());
}

void TestFault::tcpFloodWhileCapturing()
{
    Program prog;
    prog.start();
    QVERIFY(prog.saveOne() > 0);
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 3);
    const int clients = knob("NORVIK7_FAULT_CLIENTS", 1000);
    std::vector<int> silent;
    int polite = 0, answered = 0;
    for (int i = 0; i < clients; ++i) {
        if (i % 50 == 25) {   // keys and captures all along
            prog.press(kAllKeys[rng.bounded(8)]);
            prog.press(keycode::Trigger);
        }
        const int fd = loopback::connectTo(prog.port);
        QVERIFY2(fd >= 0, qPrintable(QStringLiteral("client %1 refused").arg(i)));
        switch (i % 5) {
        case 0:   // says nothing, reads nothing, stays
            silent.push_back(fd);
            continue;
        case 1:   // half-open: its sending side shut at once
            ::shutdown(fd, SHUT_WR);
            break;
        case 2: {   // a burst of garbage
            QByteArray junk(4096, Qt::Uninitialized);
            for (char &c : junk)
                c = static_cast<char>(rng.bounded(256));
            ::send(fd, junk.constData(), junk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            break;
        }
        case 3: {   // gone with a reset before anything
            loopback::resetFd(fd);
            continue;
        }
        default:
            break;
        }
        ++polite;
        answered += readingWithin(fd, 3000);
        ::close(fd);
    }
    QCOMPARE(answered, polite);
    for (int fd : silent)
        ::close(fd);
    QVERIFY(prog.alive());
    const int fd = loopback::connectTo(prog.port);
    QVERIFY(readingWithin(fd, 3000));
    ::close(fd);
    QVERIFY(prog.saveOne() > 0);
    QCOMPARE(prog.cardFaults(), QStringList());
}

void TestFault::keyStorm()
{
    Program prog;
    // The program writes its screen, and the list of windows shown, every second.
    const QString screen = prog.board.file("/sim/screen.png");
    prog.env << "NORVIK7_SCREEN_PNG=" + screen;
    prog.start();
    QVERIFY(prog.saveOne() > 0);
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 5);
    const int seconds = knob("NORVIK7_FAULT_STORM_S", 60);
    QElapsedTimer clock;
    clock.start();
    qint64 records = 0;
    for (int batch = 1; clock.elapsed() < seconds * 1000LL; ++batch) {
        for (int i = 0; i < 40; ++i, ++records) {
            const int code = kAllKeys[rng.bounded(8)];
            switch (rng.bounded(10)) {
            case 7:
                prog.board.sendKey(code, keyvalue::Press);
                break;
            case 8:
                prog.board.sendKey(code, keyvalue::Repeat);
                break;
            case 9:
                prog.board.sendKey(code, keyvalue::Release);
                break;
            default:
                prog.press(code);
            }
        }
        QTest::qWait(rng.bounded(40));
        if (batch % 10 == 0) {
            QVERIFY2(prog.alive(), qPrintable(QStringLiteral("ended after %1 records").arg(records)));
            QVERIFY2(prog.keysTaken(10000), qPrintable(QStringLiteral("hung after %1 records").arg(records)));
        }
    }
    for (int code : kAllKeys)
        prog.board.sendKey(code, keyvalue::Release);
    QVERIFY(prog.keysTaken(10000));
    // Back to the live view, and a capture saves a whole image there. Back
    // leaves every screen but the temperature calibration page, which closes
    // as it opened, with UP while DOWN is held: a technician's way out. Keys
    // wait while a gain switch settles (3 s), so a person tries again.
    const auto windowsShown = [&] {
        // Written each second: one written after the keys were taken.
        QFile::remove(screen + ".txt");
        for (QDeadlineTimer until(5000); !until.hasExpired() && !QFile::exists(screen + ".txt");)
            QTest::qWait(100);
        QFile f(screen + ".txt");
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    };
    const QStringList factoryPages{"CalTempSubMenu", "CalImageSubMenu", "UpgradeSubMenu"};
    QString shown;
    for (int round = 0; round < 4; ++round) {
        if (round > 0)
            QTest::qWait(3500);
        for (int i = 0; i < 8; ++i) {
            prog.press(keycode::Back);
            QVERIFY(prog.keysTaken());
        }
        shown = windowsShown();
        if (shown.contains("CalTempSubMenu")) {
            prog.board.sendKey(keycode::Down, keyvalue::Press);
            prog.board.sendKey(keycode::Down, keyvalue::Repeat);   // held
            prog.press(keycode::Up);
            prog.board.sendKey(keycode::Down, keyvalue::Release);
            QVERIFY(prog.keysTaken());
            shown = windowsShown();
        }
        // An upgrade the storm carried out keeps its panel up until the
        // camera is powered off and on again, as its text asks.
        if (shown.contains("UpgradeSubMenu")) {
            prog.kill();
            prog.start();
            shown = windowsShown();
        }
        if (std::none_of(factoryPages.begin(), factoryPages.end(), [&](const QString &p) { return shown.contains(p); }))
            break;
    }
    QVERIFY2(prog.saveOne() > 0, qPrintable("windows shown: " + shown + prog.logTail()));
    // Saves in image modes without a visible picture have no JPEG.
    QVERIFY2(prog.cardFaults(/*twins=*/false).isEmpty(), qPrintable(prog.cardFaults(false).join(", ")));
    QVERIFY(prog.alive());
    qInfo("%lld key records in %d s", records, seconds);
}

// Built twice: tst_faults runs the faults, tst_floods the floods, each within
// its own time limit (unless functions are named).
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    TestFault test;
    QStringList args = app.arguments();
    if (args.size() == 1)
        args += QFileInfo(args[0]).fileName() == "tst_floods"
            ? QStringList{"tcpFloodWhileCapturing", "keyStorm"}
            : QStringList{"cardFaults", "killedAmidSavesAndSettings", "sensorFaults"};
    return QTest::qExec(&test, args);
}
#include "tst_fault.moc"
