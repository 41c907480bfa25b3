// The loopback temperature server with real sockets: what a client receives,
// the commands it may send, and clients that misbehave.
#include "acquisition/acquisitionstate.h"
#include "app/norvik7.h"
#include "common/testboard.h"
#include "connectivity/tcpreading.h"
#include "connectivity/tcpserverthread.h"
#include "connectivity/loopbackclient.h"

#include <QElapsedTimer>
#include <QNetworkInterface>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <limits>
#include <memory>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

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

// Counts a signal the server emits from its own thread, delivered to this
// thread through its event queue. (A QSignalSpy appends in the emitting
// thread while the test reads it in this one.)
class QueuedCount : public QObject {
public:
    template <typename Signal>
    QueuedCount(const TcpServerThread *server, Signal signal)
    {
        connect(
            server, signal, this, [this] { ++m_count; }, Qt::QueuedConnection);
    }
    int count() const { return m_count; }
    // True once one more comes within `ms`.
    bool wait(int ms)
    {
        const int before = m_count;
        return QTest::qWaitFor([&] { return m_count > before; }, ms);
    }

private:
    int m_count = 0;
};

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
    void commands_data();
    void commands();
    void configuredPort_data();
    void configuredPort();

    void firstClientThenStopWithItSilent();
    void noClientEverGetsAMixedReading();
    void silentClientDelaysTheNextByAtMostTwoSeconds();
    void misbehavingClientsLeaveTheServerRunning_data();
    void misbehavingClientsLeaveTheServerRunning();
    void manyClients();
    void listensOnLoopbackOnly();
    void portTakenIsTriedAgain();
    void failedListenIsTriedAgain();
    void acceptFailures_data();
    void acceptFailures();

    void mainWindowWiring();
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

void TestTcpServer::commands_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<int>("command");
    const int none = int(tcpserver::Command::None), start = int(tcpserver::Command::UvcStart),
              stop = int(tcpserver::Command::UvcStop);
    QTest::newRow("UVC start") << QByteArray("UVC start") << start;
    QTest::newRow("UVC stop") << QByteArray("UVC stop") << stop;
    QTest::newRow("with a newline") << QByteArray("UVC start\n") << none;
    QTest::newRow("C string with its zero") << QByteArray("UVC start", 10) << start;
    QTest::newRow("zero then garbage") << QByteArray("UVC stop\0zzz", 12) << stop;
    QTest::newRow("lower case") << QByteArray("uvc start") << none;
    QTest::newRow("two commands") << QByteArray("UVC startUVC stop") << none;
    QTest::newRow("empty") << QByteArray() << none;
    QTest::newRow("1024 bytes") << QByteArray(1024, 'U') << none;
}

void TestTcpServer::commands()
{
    QFETCH(QByteArray, received);
    QTEST(int(tcpserver::parseCommand(received.constData(), std::size_t(received.size()))), "command");
}

void TestTcpServer::configuredPort_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<int>("port");
    QTest::newRow("unset") << QByteArray() << 1234;
    QTest::newRow("set") << QByteArray("40123") << 40123;
    QTest::newRow("not a number") << QByteArray("http") << 1234;
    QTest::newRow("out of range") << QByteArray("70000") << 1234;
    QTest::newRow("highest port") << QByteArray("65535") << 65535;
    QTest::newRow("0: any free port") << QByteArray("0") << 0;
    QTest::newRow("negative") << QByteArray("-1") << 1234;
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

void TestTcpServer::firstClientThenStopWithItSilent()
{
    auto server = startServer();
    // The initial bytes, written at once, before the client says anything.
    const int silent = connectTo(server->boundPort());
    QCOMPARE(readBytes(silent, 6, 1000).toHex(' '), QByteArray("34 12 78 56 76 98"));
    // The client stays silent; the server still stops promptly.
    QElapsedTimer clock;
    clock.start();
    server.reset();
    QVERIFY(clock.elapsed() < 500);
    loopback::closeFd(silent);
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
    QueuedCount spy(server.get(), &TcpServerThread::sendUVCStart);
    const int silent = connectTo(server->boundPort());
    QCOMPARE(readBytes(silent, 6).size(), 6);
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
}

void TestTcpServer::misbehavingClientsLeaveTheServerRunning_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("connects and resets at once") << "reset-at-once";
    QTest::newRow("resets after the reading") << "reset-after";
    QTest::newRow("half-open: ends its side, reads nothing") << "half-open";
    QTest::newRow("sends 1 MB") << "megabyte";
    QTest::newRow("sends random bytes") << "random";
    QTest::newRow("connects and leaves without reading") << "leave";
}

void TestTcpServer::misbehavingClientsLeaveTheServerRunning()
{
    QFETCH(QString, what);
    auto server = startServer();
    server->receiveTimeoutMs.store(300);
    QueuedCount spy(server.get(), &TcpServerThread::sendUVCStart);
    for (int round = 0; round < 5; ++round) {
        const int fd = connectTo(server->boundPort());
        QVERIFY(fd >= 0);
        if (what == "reset-after")
            readBytes(fd, 6);
        if (what == "half-open") {
            ::shutdown(fd, SHUT_WR);
            QTest::qWait(20);
        }
        if (what == "megabyte")
            loopback::sendAll(fd, QByteArray(1 << 20, 'U'));   // closed after 1024 bytes: the rest may fail
        if (what == "random") {
            QByteArray noise(700, '\0');
            for (char &c : noise)
                c = char(QRandomGenerator::global()->bounded(256));
            loopback::sendAll(fd, noise);
        }
        if (what.startsWith("reset"))
            loopback::resetFd(fd);
        else
            loopback::closeFd(fd);
    }
    // Still serving, and still taking a command.
    QCOMPARE(fetch(server->boundPort(), "UVC stop").size(), 6);
    QTRY_COMPARE_WITH_TIMEOUT(spy.count(), 1, 1000);
    QCOMPARE(fetch(server->boundPort()).size(), 6);
    QVERIFY(server->isRunning());
    QCOMPARE(spy.count(), 1);
}

void TestTcpServer::manyClients()
{
    auto server = startServer();
    server->getMaxTempData(25.05f, 130.05f, 0.955f);
    // Twenty readers start together and connect fifty times each; each closes
    // as soon as it has its reading. None may be left hanging in the kernel's queue.
    std::atomic<int> good{0};
    std::vector<std::thread> clients;
    for (int i = 0; i < 20; ++i)
        clients.emplace_back([&] {
            for (int k = 0; k < 50; ++k)
                if (const auto six = fetch(server->boundPort()); six.size() == 6 && words(six)[0] == 250)
                    good.fetch_add(1);
        });
    for (std::thread &t : clients)
        t.join();
    QCOMPARE(good.load(), 1000);
    QCOMPARE(server->clientsServed(), quint64(1000));
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

void TestTcpServer::portTakenIsTriedAgain()
{
    auto first = startServer();
    const int port = first->boundPort();
    auto second = std::make_unique<TcpServerThread>(nullptr, port);
    QueuedCount up(second.get(), &TcpServerThread::listening);
    second->start();
    QVERIFY(!up.wait(300));
    QVERIFY(second->isRunning());
    first.reset();   // the port comes free
    QVERIFY(up.wait(3000));
    QCOMPARE(fetch(port).size(), 6);
}

void TestTcpServer::failedListenIsTriedAgain()
{
    planted::listenFailures.store(1);
    TcpServerThread server(nullptr, 0);
    QueuedCount up(&server, &TcpServerThread::listening);
    server.start();
    QVERIFY(!up.wait(300));
    QVERIFY(!server.isListening());
    QVERIFY(up.wait(3000));
    QCOMPARE(fetch(server.boundPort()).size(), 6);
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

void TestTcpServer::mainWindowWiring()
{
    TestBoard board;
    const int port = loopback::freePort();
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(port));
    Norvik7 w;
    qunsetenv("NORVIK7_TCP_PORT");
    QTRY_VERIFY_WITH_TIMEOUT(w.tcpServerThread->isListening(), 5000);
    QCOMPARE(w.tcpServerThread->boundPort(), port);

    // What the live view sends on a refresh frame reaches a client.
    emit w.sendMaxTempToTcpserver(36.59f, 130.05f, 0.955f);
    QTRY_COMPARE(int(w.tcpServerThread->reading().temperature), 365);
    const auto r = words(fetch(port));
    QCOMPARE(int(r[0]), 365);
    QCOMPARE(int(r[1]), 1300);
    QCOMPARE(int(r[2]), 95);

    // A client switches the acquisition loop's pace.
    acqState.uvcStartFlag.store(0);
    fetch(port, "UVC start");
    QTRY_COMPARE(acqState.uvcStartFlag.load(), 1);
    fetch(port, "UVC stop");
    QTRY_COMPARE(acqState.uvcStartFlag.load(), 0);
    // Anything else, a line end included, is no command.
    fetch(port, "UVC start\n");
    fetch(port, QByteArray("\xff\x00\x13GET / HTTP/1.0\r\n\r\n", 21));
    QTest::qWait(100);
    QCOMPARE(acqState.uvcStartFlag.load(), 0);
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
}

QTEST_MAIN(TestTcpServer)
#include "tst_tcpserver.moc"
