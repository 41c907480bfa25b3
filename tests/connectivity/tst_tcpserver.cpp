// The loopback temperature server with real sockets: what a client receives,
// the commands it may send, and clients that misbehave.
#include "acquisition/acquisitionstate.h"
#include "app/norvik7.h"
#include "common/testboard.h"
#include "connectivity/tcpreading.h"
#include "connectivity/tcpserverthread.h"
#include "connectivity/loopbackclient.h"
#include "common/queuedspy.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <limits>
#include <netinet/in.h>
#include <thread>
#include <unistd.h>

using loopback::connectTo;
using loopback::readBytes;
using loopback::words;

// Faults planted in the server's socket calls: this program's own
// definitions are found before the C library's, which they call otherwise.
namespace planted {
std::atomic<int> acceptErrno{0};
std::atomic<int> acceptFailures{0};   // accepts still to fail
std::atomic<int> listenFailures{0};
}   // namespace planted

extern "C" int accept4(int fd, sockaddr *addr, socklen_t *len, int flags)
{
    using Real = int (*)(int, sockaddr *, socklen_t *, int);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "accept4"));
    if (planted::acceptFailures.fetch_sub(1) > 0) {
        errno = planted::acceptErrno.load();
        return -1;
    }
    planted::acceptFailures.store(0);
    return real(fd, addr, len, flags);
}

extern "C" int listen(int fd, int backlog) noexcept
{
    using Real = int (*)(int, int);
    static const auto real = reinterpret_cast<Real>(::dlsym(RTLD_NEXT, "listen"));
    if (planted::listenFailures.fetch_sub(1) > 0) {
        errno = EADDRINUSE;
        return -1;
    }
    planted::listenFailures.store(0);
    return real(fd, backlog);
}

namespace {

// A server on a free port, listening before the test goes on.
std::unique_ptr<TcpServerThread> startServer(int port = 0)
{
    auto s = std::make_unique<TcpServerThread>(nullptr, port);
    s->start();
    QElapsedTimer t;
    t.start();
    while (!s->isListening() && t.elapsed() < 5000)
        QThread::msleep(2);
    return s;
}

// Connects, reads the reading, optionally sends something, closes.
QByteArray fetch(int port, const QByteArray &say = QByteArray(), int timeoutMs = 3000)
{
    const int fd = connectTo(port);
    if (fd < 0)
        return QByteArray();
    const QByteArray six = readBytes(fd, 6, timeoutMs);
    if (!say.isEmpty()) {
        loopback::sendAll(fd, say);
        // The server closes once it has dealt with what it was told.
        readBytes(fd, 1, timeoutMs);
    }
    loopback::closeFd(fd);
    return six;
}

}   // namespace

class TestTcpServer : public QObject {
    Q_OBJECT
private slots:
    void scaledValues_data();
    void scaledValues();
    void configuredPort_data();
    void configuredPort();

    void noClientEverGetsAMixedReading();
    void silentClientDelaysTheNextByAtMostTwoSeconds();
    void listensOnLoopbackOnly();
    void listenTriedAgain_data();
    void listenTriedAgain();
    void acceptFailures_data();
    void acceptFailures();

    void liveViewReadingReachesAClient_data();
    void liveViewReadingReachesAClient();
};

void TestTcpServer::scaledValues_data()
{
    QTest::addColumn<float>("measured");
    QTest::addColumn<float>("high");
    QTest::addColumn<float>("emissivity");
    QTest::addColumn<int>("w0");
    QTest::addColumn<int>("w1");
    QTest::addColumn<int>("w2");
    // The live view adds the half-steps; truncation then rounds.
    const float t = 0.05f, e = 0.005f;
    QTest::newRow("36.54, 130, 0.95") << 36.54f + t << 130.0f + t << 0.95f + e << 365 << 1300 << 95;
    QTest::newRow("negative temperature sent as 0") << -12.3f + t << 130.0f + t << 0.95f + e << 0 << 1300 << 95;
    QTest::newRow("hot end of the low gain") << 549.96f + t << 550.0f + t << 1.0f + e << 5500 << 5500 << 100;
    QTest::newRow("low 16 bits kept") << 6553.6f + t << 6600.0f + t << 0.5f + e << 0 << 464 << 50;
    QTest::newRow("NaN sent as 0") << std::numeric_limits<float>::quiet_NaN() << 130.0f + t << 0.95f + e << 0 << 1300
                                   << 95;
}

void TestTcpServer::scaledValues()
{
    QFETCH(float, measured);
    QFETCH(float, high);
    QFETCH(float, emissivity);
    const tcpserver::Reading r = tcpserver::readingFrom(measured, high, emissivity);
    // Packed for publishing and unpacked unchanged; on the wire little-endian.
    QCOMPARE(tcpserver::unpack(tcpserver::pack(r)), r);
    const auto bytes = tcpserver::wireBytes(r);
    QTEST(int(bytes[0] | bytes[1] << 8), "w0");
    QTEST(int(bytes[2] | bytes[3] << 8), "w1");
    QTEST(int(bytes[4] | bytes[5] << 8), "w2");
}

void TestTcpServer::configuredPort_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<int>("port");
    const struct {
        const char *env;
        int port;
    } rows[] = {{"", 1234},       {"40123", 40123}, {"http", 1234}, {"70000", 1234},
                {"65535", 65535}, {"0", 0},         {"-1", 1234}};
    for (const auto &r : rows)
        QTest::newRow(r.env) << QByteArray(r.env) << r.port;
}

void TestTcpServer::configuredPort()
{
    QFETCH(QByteArray, env);
    if (env.isEmpty())
        qunsetenv("NORVIK7_TCP_PORT");
    else
        qputenv("NORVIK7_TCP_PORT", env);
    const int configured = tcpserver::configuredPort();
    qunsetenv("NORVIK7_TCP_PORT");
    QTEST(configured, "port");
}

void TestTcpServer::noClientEverGetsAMixedReading()
{
    auto server = startServer();
    // Reading k has the words 10k, 20k and a third of its own; each first word
    // names the one whole reading a client may receive with it.
    auto values = [](int k) { return std::array<float, 3>{k + 0.05f, 2 * k + 0.05f, (k % 97) / 100.0f + 0.005f}; };
    QHash<quint16, tcpserver::Reading> whole;
    for (int k = 1; k <= 6000; ++k) {
        const auto v = values(k);
        whole.insert(quint16(10 * k), tcpserver::readingFrom(v[0], v[1], v[2]));
    }
    std::atomic<bool> done{false};
    std::thread writer([&] {
        for (int k = 1; !done.load(); k = k % 6000 + 1) {
            const auto v = values(k);
            server->getMaxTempData(v[0], v[1], v[2]);
        }
    });
    int mixed = 0;
    for (int i = 0; i < 300; ++i) {
        const auto w = words(fetch(server->boundPort()));
        const tcpserver::Reading got{w[0], w[1], w[2]};
        if (!(got == tcpserver::Reading{}) && !(whole.value(w[0]) == got))
            ++mixed;
    }
    done.store(true);
    writer.join();
    QCOMPARE(mixed, 0);
}

void TestTcpServer::silentClientDelaysTheNextByAtMostTwoSeconds()
{
    auto server = startServer();
    QueuedSpy spy(server.get(), &TcpServerThread::sendUVCStart);
    // The initial bytes, written at once, before the client says anything.
    const int silent = connectTo(server->boundPort());
    QCOMPARE(readBytes(silent, 6, 1000).toHex(' '), QByteArray("34 12 78 56 76 98"));
    QElapsedTimer clock;
    clock.start();
    // The next client is served while the silent one still has its time.
    const int next = connectTo(server->boundPort());
    QCOMPARE(readBytes(next, 6, 4000).size(), 6);
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    loopback::sendAll(next, "UVC start");
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 1000);
    loopback::closeFd(next);
    // The silent one is let go after 2 s: its end comes (no more bytes).
    QCOMPARE(readBytes(silent, 1, 4000).size(), 0);
    const qint64 held = clock.elapsed();
    QVERIFY2(held >= 1500 && held <= 2600, qPrintable(QString::number(held)));
    loopback::closeFd(silent);
    // With another client silent, the server still stops promptly.
    const int quiet = connectTo(server->boundPort());
    QCOMPARE(readBytes(quiet, 6).size(), 6);
    clock.restart();
    server.reset();
    QVERIFY(clock.elapsed() < 500);
    loopback::closeFd(quiet);
}

void TestTcpServer::listensOnLoopbackOnly()
{
    auto server = startServer();
    const int port = server->boundPort();
    int tried = 0;
    for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol || a.isLoopback())
            continue;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(a.toIPv4Address());
        addr.sin_port = htons(quint16(port));
        QVERIFY2(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0, qPrintable(a.toString()));
        ::close(fd);
        ++tried;
    }
    if (!tried)
        QSKIP("this machine has no other IPv4 address");
}

void TestTcpServer::listenTriedAgain_data()
{
    QTest::addColumn<bool>("portTaken");   // else listen() fails once
    QTest::newRow("port taken") << true;
    QTest::newRow("failed listen") << false;
}

void TestTcpServer::listenTriedAgain()
{
    QFETCH(bool, portTaken);
    auto first = startServer();
    const int port = portTaken ? first->boundPort() : 0;
    planted::listenFailures.store(portTaken ? 0 : 1);
    TcpServerThread second(nullptr, port);
    QueuedSpy up(&second, &TcpServerThread::listening);
    // The failure is told once, not at every try (one a second).
    const QRegularExpression told(QStringLiteral("^bind socket error: "));
    QTest::ignoreMessage(QtWarningMsg, told);
    QTest::failOnWarning(told);
    second.start();
    QVERIFY(!up.wait(portTaken ? 1300 : 300));
    QVERIFY(second.isRunning() && !second.isListening());
    first.reset();   // the port comes free
    QVERIFY(up.wait(3000));
    QCOMPARE(fetch(second.boundPort()).size(), 6);
    QVERIFY(portTaken || second.boundPort() != tcpserver::configuredPort());   // port 0: any free one
    // Stopped: no longer listening.
    second.stop();
    QVERIFY(second.wait(3000));
    QVERIFY(!second.isListening());
}

void TestTcpServer::acceptFailures_data()
{
    QTest::addColumn<int>("error");
    QTest::addColumn<int>("failures");
    QTest::addColumn<int>("minMs");   // the waiting client has its reading after at least
    QTest::addColumn<int>("maxMs");   // and at most this long
    // An interrupted or aborted accept is tried again at once; any other
    // failure pauses 50 ms, so a lasting one does not spin.
    QTest::newRow("EINTR") << EINTR << 40 << 0 << 1000;
    QTest::newRow("ECONNABORTED") << ECONNABORTED << 40 << 0 << 1000;
    QTest::newRow("EMFILE") << EMFILE << 10 << 450 << 3000;
}

void TestTcpServer::acceptFailures()
{
    QFETCH(int, error);
    QFETCH(int, failures);
    auto server = startServer();
    planted::acceptErrno.store(error);
    planted::acceptFailures.store(failures);
    QElapsedTimer clock;
    clock.start();
    const int fd = connectTo(server->boundPort());
    const QByteArray six = readBytes(fd, 6, 5000);
    const qint64 took = clock.elapsed();
    loopback::closeFd(fd);
    planted::acceptFailures.store(0);
    QCOMPARE(six.size(), 6);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QVERIFY2(took >= minMs && took <= maxMs, qPrintable(QString::number(took)));
}

void TestTcpServer::liveViewReadingReachesAClient_data()
{
    QTest::addColumn<QByteArray>("zone");   // the stored `zone` option
    QTest::addColumn<QByteArray>("high");   // high_temp_c
    QTest::addColumn<int>("limit");
    // The office scene: a soldering iron outside the central zone is the hottest point.
    QTest::newRow("frame maximum") << QByteArray("No") << QByteArray("130") << 1300;
    QTest::newRow("zone maximum while the zone frame shows") << QByteArray("Yes") << QByteArray("45") << 450;
}

// End to end: frames of the simulated module through the live view; the
// reading of a refresh frame is what the live view shows, and a client gets it.
void TestTcpServer::liveViewReadingReachesAClient()
{
    QFETCH(QByteArray, zone);
    QFETCH(QByteArray, high);
    QFETCH(int, limit);
    TestBoard board;
    board.write(QStringLiteral("/sim/scene"), "office");
    board.write(QStringLiteral("/root/Norvik7_config.ini"),
                "[config]\nzone=" + zone + "\nhigh_temp_c=" + high + "\nemissivity=0.95\ntemp_unit=C\n");
    const int port = loopback::freePort();
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(port));
    Norvik7 w;
    qunsetenv("NORVIK7_TCP_PORT");
    // The live view starts when enough frames came (about 8 s on this board).
    QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!(w.tcpServerThread->reading() == tcpserver::Reading{}), 5000);
    const bool zoneShown = zone == "Yes";
    QCOMPARE(w.Zone->isVisible(), zoneShown);
    QLabel *shown = zoneShown ? w.ZoneHighTempValueLabel : w.HighTempTextLabel;
    // Readout and reading of the same refresh frame: the client gets what is shown.
    int matched = 0;
    for (int i = 0; i < 20 && matched < 3; ++i) {
        QTest::qWait(100);
        const float display = shown->text().remove(QRegularExpression(QStringLiteral("[^0-9.-]"))).toFloat();
        const auto r = words(fetch(port));
        QCOMPARE(int(r[1]), limit);
        QCOMPARE(int(r[2]), 95);
        if (qAbs(int(r[0]) - qRound(display * 10)) <= 1)
            ++matched;
    }
    QVERIFY2(matched >= 3, qPrintable(shown->text()));
    const float frameMax = w.HighTempTextLabel->text().toFloat();
    const int sent = w.tcpServerThread->reading().temperature;
    if (zoneShown)
        QVERIFY2(sent < qRound(frameMax * 10) - 50, qPrintable(QString::number(sent)));   // not the iron
    else
        QVERIFY2(qAbs(sent - qRound(frameMax * 10)) <= 1, qPrintable(QString::number(sent)));

    // A client switches the acquisition loop's pace; anything else, a line end included, is no command.
    const struct {
        QByteArray say;
        int flag;
    } commands[] = {{"UVC start", 1},         {QByteArray("UVC stop\0zzz", 12), 0},
                    {"UVC start\n", 0},       {"uvc start", 0},
                    {"UVC startUVC stop", 0}, {QByteArray(1024, 'U'), 0}};
    for (const auto &c : commands) {
        fetch(port, c.say);
        QTest::qWait(100);
        QVERIFY2(acqState.uvcStartFlag.load() == c.flag, c.say.constData());
    }
}

QTEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
