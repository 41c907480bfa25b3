// The built program under the faults a handheld meets: the card pulled at
// every step of a save, full or write-protected; power cut (SIGKILL) amid
// saves and settings; sensors and board files gone or talking nonsense.
// After each: every image on the card whole, every INI file whole, the
// program alive and the next save whole.
#include "runningprogram.h"

#include <QElapsedTimer>

using fault::Program;

namespace {

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

}   // namespace

class TestFaults : public QObject {
    Q_OBJECT
private slots:
    void cardFaults();
    void killedAmidSavesAndSettings();
    void sensorFaults();
};

void TestFaults::cardFaults()
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

void TestFaults::killedAmidSavesAndSettings()
{
    Program prog;
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 7);
    const int rounds = fault::knob("NORVIK7_FAULT_KILLS", 4);
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

void TestFaults::sensorFaults()
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

QTEST_GUILESS_MAIN(TestFaults)
#include "tst_faults.moc"
