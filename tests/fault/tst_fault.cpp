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

#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

const QString kFolder = QStringLiteral("/media/mmcblk0p1/DCIM_100/");
const int kAllKeys[] = {keycode::Back, keycode::Trigger, keycode::Ok,   keycode::Up,
                        keycode::Left, keycode::Right,   keycode::Down, keycode::Gallery};

// The rounds of a test: the CTest ones, or as many as the campaign script asks for; the random ones
// another set for each NORVIK7_FAULT_SEED.
int knob(const char *name, int ctest)
{
    return qEnvironmentVariableIsSet(name) ? qEnvironmentVariableIntValue(name) : ctest;
}
const int kSeed = qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED");

struct Program {
    TestBoard board;
    QProcess p;
    int port = loopback::freePort();
    QHash<QString, QSet<QString>> keysHeld;   // INI file -> keys it held

    Program()
    {
        // Auto save: one trigger press saves; the first-boot menu is not wanted.
        board.write("/root/Norvik7_config.ini", "[config]\nlanguage=English\nauto_save=Yes\n");
        board.write("/root/SystemConfig.ini", "[system]\nlanguage=English\n");
        // What the program prints, kept beside the board for a failure's reader.
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.setStandardOutputFile(board.file("/sim/program.log"), QIODevice::Append);
    }

    void start()
    {
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert("NORVIK7_ROOT", board.root());
        e.insert("QT_QPA_PLATFORM", "offscreen");
        e.insert("NORVIK7_TCP_PORT", QString::number(port));
        e.insert("NORVIK7_SCREEN_PNG",
                 board.file("/sim/screen.png"));   // the screen and the windows shown, each second
        e.remove("NORVIK7_KEYPAD");
        p.setProcessEnvironment(e);
        // A file-size limit (setFileSizeLimit) stands for a card that fills up
        // in the middle of a write: the write fails there, and the signal that
        // would end the program is ignored, as a full card sends none.
        p.setChildProcessModifier([] { ::signal(SIGXFSZ, SIG_IGN); });
        p.start(NORVIK7_PROGRAM, {});
        QVERIFY(p.waitForStarted(5000));
        savesWhole();   // the program up and saving
    }
    QByteArray logTail() const { return board.read("/sim/program.log").right(600); }
    void setFileSizeLimit(rlim_t limit)
    {
        const rlimit r{limit, RLIM_INFINITY};   // the soft limit only: raised again without privilege
        ::prlimit(static_cast<pid_t>(p.processId()), RLIMIT_FSIZE, &r, nullptr);
    }
    void kill()
    {
        p.kill();
        p.waitForFinished(5000);
    }
    bool alive() const { return p.state() == QProcess::Running; }

    // The program has read every key record written so far (false: it hangs).
    bool keysTaken(int ms = 5000) const
    {
        const int fd = ::open(QFile::encodeName(board.file("/dev/input/event_key")).constData(), O_WRONLY | O_NONBLOCK);
        int pending = 1;
        const bool taken =
            QTest::qWaitFor([&] { return fd >= 0 && ::ioctl(fd, FIONREAD, &pending) == 0 && pending == 0; }, ms);
        ::close(fd);
        return taken;
    }
    void press(int code, int times = 1) const
    {
        for (int i = 0; i < 2 * times; ++i)
            board.sendKey(code, i % 2 ? keyvalue::Release : keyvalue::Press);
    }

    QString file(int number, const char *extension) const
    {
        return board.file(kFolder + QStringLiteral("IMG_%1.").arg(number, 4, 10, QLatin1Char('0')) + extension);
    }
    QStringList images() const { return QDir(board.file(kFolder)).entryList({"IMG_*.bmp"}, QDir::Files, QDir::Name); }
    int counter() const
    {
        return QSettings(board.file("/root/ImageConfig.ini"), QSettings::IniFormat).value("config/image_count").toInt();
    }

    // Presses the trigger (twice where a panel waits for its save, again
    // while the start-up screen or an earlier "Saved" still ignores it) until
    // a new image is on the card and the save has ended (the counter, written
    // last, has moved on); its number, 0 when none came within `ms`.
    int saveOne(int ms = 30000) const
    {
        const QStringList before = images();
        for (QDeadlineTimer deadline(ms); !deadline.hasExpired() && alive();) {
            press(keycode::Trigger);
            for (QDeadlineTimer step(1500); !step.hasExpired();) {
                QTest::qWait(20);
                for (const QString &name : images())
                    if (!before.contains(name)) {
                        const int n = name.mid(4, 4).toInt();
                        (void)QTest::qWaitFor([&] { return counter() == n + 1; }, 5000);
                        return n;
                    }
            }
        }
        return 0;
    }

    // Saves until an image comes and checks it is the one the counter promised, whole with its JPEG.
    void savesWhole() const
    {
        const int before = counter(), n = saveOne();
        QVERIFY2(n > 0 && n >= before && counter() == n + 1, logTail().constData());
        QVERIFY(QImage(file(n, "jpg"), "JPEG").width() > 0);
    }

    // What is wrong with the card's images: a BMP that does not parse whole,
    // a JPEG that does not decode, a BMP whose JPEG twin is missing (when
    // `twins`), anything else named as an image, or a part file of a save
    // (when `parts` is false).
    QStringList cardFaults(bool twins = true, bool parts = false) const
    {
        QStringList faults;
        const QDir dir(board.file(kFolder));
        for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
            const bool image = name.startsWith("IMG_"), bmp = image && name.endsWith(".bmp"),
                       jpg = image && name.endsWith(".jpg");
            const savedimage::Contents c = bmp ? savedimage::readFile(dir.filePath(name)) : savedimage::Contents();
            if (image ? !bmp && !jpg : !parts)
                faults << name + " left";
            if (bmp && (!c.header || !c.hasExif || !c.hasRaw || QFileInfo(dir.filePath(name)).size() != 406096))
                faults << name + " half";
            if (bmp && twins && !dir.exists(name.chopped(3) + "jpg"))
                faults << name + " without its JPEG";
            if (jpg && QImage(dir.filePath(name), "JPEG").isNull())
                faults << name + " does not decode";
        }
        return faults;
    }

    // INI files that do not parse or lost a key they held when last looked at.
    QStringList iniFaults()
    {
        QStringList faults;
        for (const QString &name : QDir(board.file("/root")).entryList({"*.ini"}, QDir::Files)) {
            QSettings s(board.file("/root/" + name), QSettings::IniFormat);
            const QStringList keys = s.allKeys();
            const QSet<QString> now(keys.begin(), keys.end()), lost = keysHeld[name] - now;
            if (s.status() != QSettings::NoError || !lost.isEmpty())
                faults << name + " does not parse or lost " + QStringList(lost.values()).join(' ');
            keysHeld[name] += now;
        }
        return faults;
    }

    // The windows shown, from a list written after the keys were taken.
    QString windowsShown() const
    {
        QFile::remove(board.file("/sim/screen.png.txt"));
        (void)QTest::qWaitFor([&] { return !board.read("/sim/screen.png.txt").isEmpty(); }, 5000);
        return QString::fromUtf8(board.read("/sim/screen.png.txt"));
    }
};

}   // namespace

// Built twice: tst_faults runs the faults, tst_floods the floods, each within its own time limit.
class TestFault : public QObject {
    Q_OBJECT
private slots:
#ifndef NORVIK7_FLOODS
    void cardFaultsAndKills()
    {
        // A save writes the BMP, then the JPEG, each beside its name, then
        // renames it: "pull@N" pulls the card at the N-th of these four steps.
        const std::pair<const char *, bool> rows[] = {
            // the fault, and whether the faulted save leaves its image
            {"pulled", false}, {"pull@1", false},   {"pull@2", false}, {"pull@3", true},
            {"pull@4", true},  {"readonly", false}, {"full", false},   {"no room", false},
        };
        Program prog;
        prog.start();
        const TestBoard &b = prog.board;
        for (const auto &[fault, saved] : rows) {
            const int images = prog.images().size(), counter = prog.counter();
            // The last "Saved" stays 3 s, while the trigger is not taken; nothing
            // tells its end from outside.
            QTest::qWait(3300);
            if (fault == QLatin1String("pulled")) {
                b.remove("/dev/mmcblk0p1");
                QVERIFY(QDir().rename(b.file("/media/mmcblk0p1"), b.file("/sim/pulled_card")));
            } else if (fault == QLatin1String("full")) {
                prog.setFileSizeLimit(300000);   // the BMP (406096 bytes) stops part way
            } else {
                b.write(fault == QLatin1String("no room") ? "/sim/sd_free_mb" : "/sim/card_fault",
                        fault == QLatin1String("no room") ? "0\n" : fault);
            }
            prog.press(keycode::Trigger);
            QVERIFY(prog.keysTaken());
            QTest::qWait(500);   // nothing to wait for when nothing is saved
            QVERIFY(prog.alive() && prog.counter() == counter + saved);
            // The card back: nothing half on it, and the next save whole.
            if (QFileInfo::exists(b.file("/sim/pulled_card"))) {
                b.remove("/media/mmcblk0p1");
                QVERIFY(QDir().rename(b.file("/sim/pulled_card"), b.file("/media/mmcblk0p1")));
            }
            b.write("/dev/mmcblk0p1", QByteArray());
            b.remove("/sim/card_fault");
            b.remove("/sim/sd_free_mb");
            prog.setFileSizeLimit(RLIM_INFINITY);
            QCOMPARE(prog.cardFaults(/*twins=*/false, /*parts=*/true), QStringList());
            prog.savesWhole();
            QCOMPARE(prog.images().size(), images + saved + 1);
            QCOMPARE(prog.cardFaults(/*twins=*/false), QStringList());   // the part files taken by the save
        }
        // Power cut amid saves and settings: the program killed, then started again.
        QRandomGenerator rng(kSeed + 7);
        for (int round = 0; round < knob("NORVIK7_FAULT_KILLS", 4); ++round) {
            QCOMPARE(prog.cardFaults(/*twins=*/false), QStringList());
            // A save, or a walk through the menus that writes settings, cut at a
            // random moment.
            if (rng.bounded(2))
                prog.press(keycode::Trigger);
            else
                for (int key :
                     {keycode::Ok, keycode::Right, keycode::Ok, keycode::Down, keycode::Ok, keycode::Down, keycode::Ok})
                    prog.press(key, key == keycode::Ok ? 1 : rng.bounded(key == keycode::Right ? 6 : 4));
            QTest::qWait(rng.bounded(400));
            prog.kill();
            const QStringList faults = prog.cardFaults(false, true) + prog.iniFaults();
            QVERIFY2(faults.isEmpty(), qPrintable(QStringLiteral("round %1: ").arg(round) + faults.join(", ")));
            prog.start();
        }
    }

    void sensorFaults()
    {
        static const char *const files[] = {"/sys/bus/iio/devices/iio:device0/in_voltage7_raw",
                                            "/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input",
                                            "/sys/devices/virtual/thermal/thermal_zone0/temp",
                                            "/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness"};
        Program prog;
        prog.board.write("/sim/scene", "blackbody:40\n");
        prog.start();
        const auto hottest = [&](int n) { return savedimage::readFile(prog.file(n, "bmp")).fields.maxTemp; };
        int t = 90;   // the blackbody at 60 or 90 degrees, another each time
        for (const QString fault : {"ir", "visible", "garbage", "empty", "unreadable"}) {
            if (fault == "ir" || fault == "visible")
                prog.board.write(fault == "ir" ? "/sim/ir_module" : "/sim/visible_camera",
                                 fault == "ir" ? "absent\n" : "off\n");
            for (int i = 0; i < 4 && fault == "unreadable"; ++i)   // a folder where the file was
                QVERIFY(QFile::remove(prog.board.file(files[i])) && QDir().mkpath(prog.board.file(files[i])));
            for (int i = 0; i < 4 && (fault == "garbage" || fault == "empty"); ++i)
                prog.board.write(files[i], fault == "garbage" ? QByteArray("\xff\x00zz-\n9e9e", 9) : "");
            // Long enough for the health timers to read their files more than once.
            QTest::qWait(2500);
            // The camera still saves, the visible sensor's JPEG aside.
            QVERIFY2(prog.alive() && !prog.board.commands().contains("halt") && prog.saveOne() > 0, qPrintable(fault));
            QCOMPARE(prog.cardFaults(/*twins=*/fault != "visible"), QStringList());
            // Back: the live picture follows the scene again. The sensor that came back may take a
            // while to deliver again; the camera must follow the new scene within 20 s.
            prog.board.remove("/sim/ir_module");
            prog.board.remove("/sim/visible_camera");
            t = 150 - t;
            prog.board.write("/sim/scene", "blackbody:" + QByteArray::number(t) + "\n");
            int n = 0;
            for (QDeadlineTimer until(20000); !until.hasExpired() && qAbs(hottest(n) - t * 10) > 50;)
                n = prog.saveOne();
            QVERIFY2(
                qAbs(hottest(n) - t * 10) <= 50,
                qPrintable(QString("%1: image %2, hottest %3 ").arg(fault).arg(n).arg(hottest(n)) + prog.logTail()));
        }
    }

#else
    void tcpFloodThenKeyStorm()
    {
        Program prog;
        prog.start();
        QRandomGenerator rng(kSeed + 3);
        QByteArray junk(4096, Qt::Uninitialized);
        std::generate(junk.begin(), junk.end(), [&] { return static_cast<char>(rng.bounded(256)); });
        for (int i = 0; i < knob("NORVIK7_FAULT_CLIENTS", 1000); ++i) {
            if (i % 50 == 25) {   // keys and captures all along
                prog.press(kAllKeys[rng.bounded(8)]);
                prog.press(keycode::Trigger);
            }
            // Clients that say nothing, read nothing and stay; half-open ones, their sending side shut at
            // once; bursts of garbage; ones gone with a reset before anything; polite ones. All but the
            // silent and the gone are answered.
            const int fd = loopback::connectTo(prog.port), kind = i % 5;
            QVERIFY2(fd >= 0, qPrintable(QStringLiteral("client %1 refused").arg(i)));
            if (kind == 1)
                ::shutdown(fd, SHUT_WR);
            if (kind == 2)
                ::send(fd, junk.constData(), junk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            if (kind == 3)
                loopback::resetFd(fd);
            if (kind == 0 || kind == 3)   // the silent ones stay to the end
                continue;
            const bool answered = loopback::readBytes(fd, 6, 3000).size() == 6;   // a reading
            ::close(fd);
            QVERIFY2(answered, qPrintable(QStringLiteral("client %1 not answered").arg(i)));
        }
        const int fd = loopback::connectTo(prog.port);
        QVERIFY(prog.alive() && loopback::readBytes(fd, 6, 3000).size() == 6);
        ::close(fd);
        QVERIFY(prog.saveOne() > 0);
        QCOMPARE(prog.cardFaults(), QStringList());

        // A storm of random keys.
        rng.seed(kSeed + 5);
        const int seconds = knob("NORVIK7_FAULT_STORM_S", 60);
        qint64 records = 0;
        for (QDeadlineTimer storm(seconds * 1000LL); !storm.hasExpired();) {
            for (int i = 0; i < 40; ++i, ++records) {
                // Mostly whole presses; a press, a repeat or a release alone one time in ten each.
                const int code = kAllKeys[rng.bounded(8)], kind = rng.bounded(10);
                if (kind < 7)
                    prog.press(code);
                else
                    prog.board.sendKey(code, (kind - 6) % 3);   // a press (1), a repeat (2) or a release (0) alone
            }
            QTest::qWait(rng.bounded(40));
            QVERIFY2(records % 400 || (prog.alive() && prog.keysTaken(10000)),
                     qPrintable(QStringLiteral("ended or hung after %1 records").arg(records)));
        }
        for (int code : kAllKeys)
            prog.board.sendKey(code, keyvalue::Release);
        // Back to the live view, and a capture saves a whole image there. Back
        // leaves every screen but the temperature calibration page, which closes
        // as it opened, with UP while DOWN is held: a technician's way out. Keys
        // wait while a gain switch settles (3 s), so a person tries again. An
        // upgrade the storm carried out keeps its panel up until the camera is
        // powered off and on again, as its text asks.
        QString shown;
        for (int round = 0; round < 4; ++round) {
            QTest::qWait(round ? 3500 : 0);
            for (int i = 0; i < 8 && prog.keysTaken(); ++i)
                prog.press(keycode::Back);
            QVERIFY(prog.keysTaken());
            if ((shown = prog.windowsShown()).contains("CalTempSubMenu")) {
                for (const auto &[code, value] :   // UP while DOWN is held
                     {std::pair{keycode::Down, keyvalue::Press},
                      {keycode::Down, keyvalue::Repeat},
                      {keycode::Up, keyvalue::Press},
                      {keycode::Up, keyvalue::Release},
                      {keycode::Down, keyvalue::Release}})
                    prog.board.sendKey(code, value);
                QVERIFY(prog.keysTaken());
                shown = prog.windowsShown();
            }
            if (shown.contains("UpgradeSubMenu")) {
                prog.kill();
                prog.start();
                shown = prog.windowsShown();
            }
            if (!shown.contains(QRegularExpression("CalTempSubMenu|CalImageSubMenu|UpgradeSubMenu")))
                break;
        }
        QVERIFY2(prog.saveOne() > 0, qPrintable("windows shown: " + shown + prog.logTail()));
        // Saves in image modes without a visible picture have no JPEG.
        QCOMPARE(prog.cardFaults(/*twins=*/false), QStringList());
        qInfo("%lld key records in %d s", records, seconds);
    }
#endif
};

QTEST_GUILESS_MAIN(TestFault)
#include "tst_fault.moc"
