// The built program flooded: a thousand TCP clients of every manner amid
// captures and key presses, and a storm of random keys. Alive throughout,
// answering, and afterwards back in the live view saving whole images.
#include "runningprogram.h"

#include <sys/socket.h>

#include <algorithm>
#include <vector>

using fault::Program;

namespace {

// The six bytes of a reading arrive within `ms`.
bool readingWithin(int fd, int ms) { return loopback::readBytes(fd, 6, ms).size() == 6; }

const int kAllKeys[] = {keycode::Back, keycode::Trigger, keycode::Ok,   keycode::Up,
                        keycode::Left, keycode::Right,   keycode::Down, keycode::Gallery};

}   // namespace

class TestFloods : public QObject {
    Q_OBJECT
private slots:
    void tcpFloodWhileCapturing();
    void keyStorm();
};

void TestFloods::tcpFloodWhileCapturing()
{
    Program prog;
    prog.start();
    QVERIFY(prog.saveOne() > 0);
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 3);
    const int clients = fault::knob("NORVIK7_FAULT_CLIENTS", 1000);
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

void TestFloods::keyStorm()
{
    Program prog;
    // The program writes its screen, and the list of windows shown, every second.
    const QString screen = prog.board.file("/sim/screen.png");
    prog.env << "NORVIK7_SCREEN_PNG=" + screen;
    prog.start();
    QVERIFY(prog.saveOne() > 0);
    QRandomGenerator rng(qEnvironmentVariableIntValue("NORVIK7_FAULT_SEED") + 5);
    const int seconds = fault::knob("NORVIK7_FAULT_STORM_S", 60);
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

QTEST_GUILESS_MAIN(TestFloods)
#include "tst_floods.moc"
