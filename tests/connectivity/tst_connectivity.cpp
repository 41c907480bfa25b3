// Connectivity: the loopback temperature server with real sockets (what a
// client receives, the commands it may send, clients that misbehave, socket
// calls that fail), and Wi-Fi: the access point's name written into the
// board's hostapd file, the switch reached by keys, and the USB mode.
#include "acquisition/acquisitionstate.h"
#include "app/menus/settingsubmenu.h"
#include "common/livedevice.h"
#include "common/queuedspy.h"
#include "connectivity/hostapd.h"
#include "connectivity/loopbackclient.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "connectivity/tcpreading.h"
#include "connectivity/tcpserverthread.h"

#include <QNetworkInterface>
#include <QRadioButton>
#include <QtTest>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <dlfcn.h>
#include <limits>
#include <netinet/in.h>
#include <sys/stat.h>
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
    for (QDeadlineTimer t(5000); !s->isListening() && !t.hasExpired();)
        QThread::msleep(2);
    return s;
}

// Connects, reads the reading, optionally sends something, closes.
QByteArray fetch(int port, const QByteArray &say = QByteArray())
{
    const int fd = connectTo(port);
    const QByteArray six = readBytes(fd, 6);
    if (!say.isEmpty()) {
        loopback::sendAll(fd, say);
        readBytes(fd, 1);   // the server closes once it has dealt with what it was told
    }
    loopback::closeFd(fd);
    return six;
}

ino_t inodeOf(const QString &file)
{
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}

const QString kConf = QStringLiteral("/etc/hostapd.conf");

}   // namespace

class TestConnectivity : public QObject {
    Q_OBJECT
private slots:
    void scaledValues_data();
    void scaledValues();
    void configuredPort_data();
    void configuredPort();
    void commands_data();
    void commands();

    void noClientEverGetsAMixedReading();
    void silentClientDelaysTheNextByAtMostTwoSeconds();
    void listensOnLoopbackOnly();
    void listenTriedAgain_data();
    void listenTriedAgain();
    void acceptFailures_data();
    void acceptFailures();
    void liveViewReadingReachesAClient();

    void ssidRewrite_data();
    void ssidRewrite();
    void hostapdReplacedWhole();
    void switchByKeys();
    void usbMode();
};

void TestConnectivity::scaledValues_data()
{
    QTest::addColumn<float>("measured");
    QTest::addColumn<float>("high");
    QTest::addColumn<float>("emissivity");
    QTest::addColumn<QByteArray>("wire");
    // The live view adds the half-steps; truncation then rounds.
    const float t = 0.05f, e = 0.005f, nan = std::numeric_limits<float>::quiet_NaN();
    QTest::newRow("36.54, 130, 0.95") << 36.54f + t << 130.0f + t << 0.95f + e << QByteArray("6d01 1405 5f00");
    QTest::newRow("negative sent as 0") << -12.3f + t << 130.0f + t << 0.95f + e << QByteArray("0000 1405 5f00");
    QTest::newRow("hot end of the low gain") << 549.96f + t << 550.0f + t << 1.0f + e << QByteArray("7c15 7c15 6400");
    QTest::newRow("low 16 bits kept") << 6553.6f + t << 6600.0f + t << 0.5f + e << QByteArray("0000 d001 3200");
    QTest::newRow("NaN sent as 0") << nan << 130.0f + t << 0.95f + e << QByteArray("0000 1405 5f00");
}

void TestConnectivity::scaledValues()
{
    QFETCH(float, measured);
    QFETCH(float, high);
    QFETCH(float, emissivity);
    const tcpserver::Reading r = tcpserver::readingFrom(measured, high, emissivity);
    // Packed for publishing and unpacked unchanged; on the wire little-endian.
    QCOMPARE(tcpserver::unpack(tcpserver::pack(r)), r);
    const auto bytes = tcpserver::wireBytes(r);
    QFETCH(QByteArray, wire);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(bytes.data()), 6).toHex(), wire.replace(' ', ""));
}

void TestConnectivity::configuredPort_data()
{
    QTest::addColumn<QByteArray>("env");
    QTest::addColumn<int>("port");
    for (const auto &[env, port] : {std::pair{"", 1234},
                                    {"40123", 40123},
                                    {"http", 1234},
                                    {"70000", 1234},
                                    {"65535", 65535},
                                    {"0", 0},
                                    {"-1", 1234}})
        QTest::newRow(env) << QByteArray(env) << port;
}

void TestConnectivity::configuredPort()
{
    QFETCH(QByteArray, env);
    env.isEmpty() ? qunsetenv("NORVIK7_TCP_PORT") : qputenv("NORVIK7_TCP_PORT", env);
    const int configured = tcpserver::configuredPort();
    qunsetenv("NORVIK7_TCP_PORT");
    QTEST(configured, "port");
}

void TestConnectivity::commands_data()
{
    QTest::addColumn<QByteArray>("said");
    QTest::addColumn<int>("command");   // None, UvcStart, UvcStop
    QTest::newRow("start") << QByteArray("UVC start") << 1;
    QTest::newRow("stop, then a zero byte") << QByteArray("UVC stop\0zzz", 12) << 2;
    QTest::newRow("a line end") << QByteArray("UVC start\n") << 0;
    QTest::newRow("lower case") << QByteArray("uvc start") << 0;
    QTest::newRow("two at once") << QByteArray("UVC startUVC stop") << 0;
    QTest::newRow("a prefix") << QByteArray("UVC sto") << 0;
}

void TestConnectivity::commands()
{
    QFETCH(QByteArray, said);
    QTEST(int(tcpserver::parseCommand(said.constData(), size_t(said.size()))), "command");
}

void TestConnectivity::noClientEverGetsAMixedReading()
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
        mixed += !(got == tcpserver::Reading{}) && !(whole.value(w[0]) == got);
    }
    done.store(true);
    writer.join();
    QCOMPARE(mixed, 0);
}

void TestConnectivity::silentClientDelaysTheNextByAtMostTwoSeconds()
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
    QTRY_COMPARE_WITH_TIMEOUT(spy, (QList<QList<QVariant>>{{1}}), 1000);
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

void TestConnectivity::listensOnLoopbackOnly()
{
    auto server = startServer();
    for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol || a.isLoopback())
            continue;
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(a.toIPv4Address());
        addr.sin_port = htons(quint16(server->boundPort()));
        QVERIFY2(::connect(fd, reinterpret_cast<sockaddr *>(&addr), sizeof addr) < 0, qPrintable(a.toString()));
        ::close(fd);
    }
}

void TestConnectivity::listenTriedAgain_data()
{
    QTest::addColumn<bool>("portTaken");   // else listen() fails once
    QTest::newRow("port taken") << true;
    QTest::newRow("failed listen") << false;
}

void TestConnectivity::listenTriedAgain()
{
    QFETCH(bool, portTaken);
    auto first = startServer();
    planted::listenFailures.store(portTaken ? 0 : 1);
    TcpServerThread second(nullptr, portTaken ? first->boundPort() : 0);
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

void TestConnectivity::acceptFailures_data()
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

void TestConnectivity::acceptFailures()
{
    QFETCH(int, error);
    QFETCH(int, failures);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
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
    QVERIFY2(took >= minMs && took <= maxMs, qPrintable(QString::number(took)));
}

// End to end: frames of the simulated module through the live view; the
// reading of a refresh frame is what the live view shows, and a client gets it.
void TestConnectivity::liveViewReadingReachesAClient()
{
    TestBoard board;
    board.write(QStringLiteral("/sim/scene"), "office");
    board.write(QStringLiteral("/root/Norvik7_config.ini"),
                "[config]\nzone=Yes\nhigh_temp_c=45\nemissivity=0.95\ntemp_unit=C\n");
    const int port = loopback::freePort();
    qputenv("NORVIK7_TCP_PORT", QByteArray::number(port));
    Norvik7 w;
    qunsetenv("NORVIK7_TCP_PORT");
    // The live view starts when enough frames came (about 8 s on this board).
    QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!(w.tcpServerThread->reading() == tcpserver::Reading{}), 5000);
    QVERIFY(w.Zone->isVisible());
    // Readout and reading of the same refresh frame: the client gets the zone's
    // maximum shown, not the iron's.
    int matched = 0;
    for (int i = 0; i < 20 && matched < 3; ++i) {
        QTest::qWait(100);
        const float shown = w.ZoneHighTempValueLabel->text().remove(QRegularExpression("[^0-9.-]")).toFloat();
        const auto r = words(fetch(port));
        QCOMPARE((QList<int>{r[1], r[2]}), (QList<int>{450, 95}));
        matched += qAbs(int(r[0]) - qRound(shown * 10)) <= 1;
    }
    QVERIFY2(matched >= 3, qPrintable(w.ZoneHighTempValueLabel->text()));
    const int sent = w.tcpServerThread->reading().temperature;
    QVERIFY2(sent < qRound(w.HighTempTextLabel->text().toFloat() * 10) - 50, qPrintable(QString::number(sent)));
    // A client switches the acquisition loop's pace.
    for (const auto &[say, flag] : {std::pair{"UVC start", 1}, {"UVC stop", 0}}) {
        fetch(port, say);
        QTRY_COMPARE(acqState.uvcStartFlag.load(), flag);
    }
}

// ---- Wi-Fi and USB ---------------------------------------------------------------------------------

void TestConnectivity::ssidRewrite_data()
{
    QTest::addColumn<QString>("conf");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("expected");   // the same text when nothing is rewritten
    const QString n = QStringLiteral("ssid=Norvik7_ddeeff\n");
    const char *const rows[][3] = {
        {"line order kept, no newline at the end", "interface=wlan0\nssid=Norvik7_000000\nchannel=6",
         "interface=wlan0\n%1channel=6"},
        {"SSID line last: a newline follows it", "interface=wlan0\nssid=Norvik7_000000", "interface=wlan0\n%1"},
        {"an old name longer than 20 characters leaves no tail", "interface=wlan0\nssid=ThisIsAVeryLongOldName\nc=6",
         "interface=wlan0\n%1c=6"},
        {"interface line ending the file with a newline gets its SSID line", "c=6\ninterface=wlan0\n",
         "c=6\ninterface=wlan0\n%1"},
        {"interface line last: nothing to rewrite", "ssid=Old\ninterface=wlan0", ""},
        {"CR LF lines keep their CR", "interface=wlan0\r\nssid=Old\r\nc=6\r\n", "interface=wlan0\r\n%1c=6\r\n"},
        {"upper case as the board gives it", "interface=wlan0\nssid=a", "interface=wlan0\nssid=Norvik7_2C3D4E\n"},
        {"address too short", "interface=wlan0\nssid=a", "interface=wlan0\nssid=Norvik7_\n"},
        {"address not hex", "interface=wlan0\nssid=a", "interface=wlan0\nssid=Norvik7_\n"},
    };
    const QString macs[] = {"02:11:22:dd:ee:ff", "00:0A:1B:2C:3D:4E", "02:11:22:dd:ee", "02:11:22:dd:ee:zz"};
    for (int i = 0; i < 9; ++i)
        QTest::newRow(rows[i][0]) << rows[i][1] << macs[i < 6 ? 0 : i - 5]
                                  << (*rows[i][2] ? QString(rows[i][2]).arg(n) : QString(rows[i][1]));
}

void TestConnectivity::ssidRewrite()
{
    QFETCH(QString, conf);
    QFETCH(QString, mac);
    QFETCH(QString, expected);
    const wifi::SsidRewrite r = wifi::rewriteSsid(conf, mac);
    QCOMPARE(r.text, expected);
    QCOMPARE(r.replaced, expected != conf);
    QVERIFY(!r.replaced || expected.contains("ssid=" + r.ssid + "\n"));
    // The name the file gives as it is: its first SSID line's.
    QCOMPARE(wifi::currentSsid(r.text), r.replaced ? r.ssid : QStringLiteral("Old"));
}

void TestConnectivity::hostapdReplacedWhole()
{
    LiveDevice k(LiveDevice::Later);
    k.board.write(kConf, "interface=wlan0\nssid=Norvik7_000000\nchannel=6");
    const QByteArray conf = QFile::encodeName(k.board.file(kConf));
    const bool root = ::geteuid() == 0;
    QVERIFY(::chmod(conf.constData(), 0640) == 0 && (!root || ::chown(conf.constData(), 1234, 4321) == 0));
    const ino_t before = inodeOf(k.board.file(kConf));
    k.start();
    QCOMPARE(k.board.read(kConf), QByteArray("interface=wlan0\nssid=Norvik7_DDEEFF\nchannel=6"));
    QVERIFY(k.board.commands().contains(QStringLiteral("ifconfig wlan0 down")));   // Wi-Fi off after start-up
    // Written beside and renamed over: a new file with the old one's mode and
    // owner, nothing left beside it.
    QVERIFY(inodeOf(k.board.file(kConf)) != before);
    struct stat st {};
    QVERIFY(::stat(conf.constData(), &st) == 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
    QVERIFY(!root || (st.st_uid == 1234 && st.st_gid == 4321));
    QCOMPARE(QDir(k.board.file(QStringLiteral("/etc"))).entryList({QStringLiteral("hostapd*")}, QDir::Files),
             QStringList{QStringLiteral("hostapd.conf")});
    // A file that already carries the name is left alone.
    const ino_t named = inodeOf(k.board.file(kConf));
    k.w.reset();
    k.start();
    QCOMPARE(inodeOf(k.board.file(kConf)), named);
    // A link (to a board path): the file it leads to is replaced, the link stays.
    k.board.write(QStringLiteral("/data/hostapd.conf"), "interface=wlan0\nssid=Old\n");
    QVERIFY(QFile::remove(k.board.file(kConf)) && ::symlink("/data/hostapd.conf", conf.constData()) == 0);
    k.w.reset();
    k.start();
    QVERIFY(QFileInfo(k.board.file(kConf)).isSymLink());
    QCOMPARE(k.board.read(QStringLiteral("/data/hostapd.conf")), QByteArray("interface=wlan0\nssid=Norvik7_DDEEFF\n"));
    // No file at all: none is made, and no name is shown.
    k.board.remove(kConf);
    k.w.reset();
    k.start();
    QVERIFY(!QFileInfo::exists(k.board.file(kConf)));
    QCOMPARE(k.w->wifiOpenStatusMenu->ssidLabel->text(), QString());
}

void TestConnectivity::switchByKeys()
{
    LiveDevice k(LiveDevice::English);
    k.board.clearCommands();
    k.openSystemEntry(4);
    // OK switches it on: the page with the name, the radio powered; the stored switch stays.
    config::write(config::Main, QStringLiteral("wifi_switch"), QStringLiteral("Off"));
    k.press(keycode::Ok);
    QVERIFY(k.w->wifiOpenStatusMenu->isVisible());
    QCOMPARE(k.w->wifiOpenStatusMenu->ssidLabel->text(), QStringLiteral("Norvik7_DDEEFF"));
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("0"));
    QVERIFY(k.board.commands().isEmpty() && !k.w->WifiStatusLabel->isHidden());
    // OK again switches it off: the services stopped in order, the radio unpowered.
    k.press(keycode::Ok);
    QCOMPARE(k.board.commands(),
             (QStringList{"ifconfig wlan0 down", "killall udhcpd", "killall hostapd", "killall live555MediaServer"}));
    QCOMPARE(config::readString(config::Main, QStringLiteral("wifi_switch")), QStringLiteral("Off"));
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("1"));
    QVERIFY(k.w->WifiStatusLabel->isHidden());
    // On again; BACK closes the page and the panel; the radio stays on.
    k.press(keycode::Ok);
    k.press(keycode::Back, 2);
    QCOMPARE(k.visibleMenus(), (QStringList{"MainMenu", "SettingSubMenu", "SystemSettingSubMenu"}));
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("0"));
}

void TestConnectivity::usbMode()
{
    LiveDevice k(LiveDevice::English);
    UsbConnectModeSubMenu *m = k.w->usbConnectModeSubMenu;
    QCOMPARE(int(::usbMode), 1);
    k.openSetting(7);
    k.board.clearCommands();
    // c camera, d disk, f factory reset: a script runs only on a real change.
    for (QChar s : QStringLiteral("cddcdcdf")) {
        if (s == QLatin1Char('f')) {
            m->factotyResetForUsbConnectModeSubMenu();
            continue;
        }
        // The focused choice is clicked by OK; UP and DOWN move between the two.
        QAbstractButton *want = s == QLatin1Char('c') ? m->radioButton : m->radioButton_2;
        if (m->focusWidget() != want)
            k.press(keycode::Down);
        k.press(keycode::Ok);
        QVERIFY(want->isChecked());
    }
    const QString cam = QStringLiteral("/etc/rc.d/usbcamerasetting.sh"),
                  disk = QStringLiteral("/etc/rc.d/usbdisksetting.sh");
    QCOMPARE(k.board.commands().filter(QStringLiteral("/etc/rc.d/usb")),
             (QStringList{disk, cam, disk, cam, disk, cam}));
    QCOMPARE(int(::usbMode), 1);
}

QTEST_MAIN(TestConnectivity)
#include "tst_connectivity.moc"
