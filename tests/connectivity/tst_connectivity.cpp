// Connectivity: the loopback temperature server with real sockets (what a
// client receives, the commands it may send, clients that misbehave, socket
// calls that fail), and Wi-Fi: the access point's name written into the
// board's hostapd file, the switch reached by keys, and the USB mode.
#include "acquisition/acquisitionstate.h"
#include "common/livedevice.h"
#include "common/queuedspy.h"
#include "connectivity/hostapd.h"
#include "connectivity/loopbackclient.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "connectivity/tcpreading.h"
#include "connectivity/tcpserverthread.h"

#include <QNetworkInterface>
#include <QTcpSocket>
#include <QtEndian>
#include <QtTest>

#include <atomic>
#include <dlfcn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

using loopback::connectTo;
using loopback::readBytes;

// Failures planted in the server's accept: this program's own definition is
// found before the C library's, which it calls otherwise.
namespace planted {
std::atomic<int> acceptErrno{0};
std::atomic<int> acceptFailures{0};   // accepts still to fail
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

namespace {

// A server on a free port, listening before the test goes on.
std::unique_ptr<TcpServerThread> startServer()
{
    auto s = std::make_unique<TcpServerThread>(nullptr, 0);
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
    if (!say.isEmpty() && loopback::sendAll(fd, say))
        readBytes(fd, 1);   // the server closes once it has dealt with what it was told
    loopback::closeFd(fd);
    return six;
}

const QString kConf = QStringLiteral("/etc/hostapd.conf");

}   // namespace

class TestConnectivity : public QObject {
    Q_OBJECT
private slots:
    // Packed for publishing and unpacked unchanged; on the wire little-endian.
    void scaledValues()
    {
        // The live view adds the half-steps; truncation then rounds.
        const float t = 0.05f, e = 0.005f, nan = std::numeric_limits<float>::quiet_NaN();
        QByteArrayList wire;
        for (const auto &[measured, high, emissivity] : {std::tuple{36.54f, 130.0f, 0.95f},
                                                         {-12.3f, 130.0f, 0.95f},
                                                         {549.96f, 550.0f, 1.0f},
                                                         {6553.6f, 6600.0f, 0.5f},
                                                         {nan, 130.0f, 0.95f}}) {
            const tcpserver::Reading r = tcpserver::readingFrom(measured + t, high + t, emissivity + e);
            QCOMPARE(tcpserver::unpack(tcpserver::pack(r)), r);
            const auto bytes = tcpserver::wireBytes(r);
            wire << QByteArray(reinterpret_cast<const char *>(bytes.data()), 6).toHex(' ');
        }
        // as measured; negative and NaN sent as 0; the hot end of the low gain; the low 16 bits kept
        QCOMPARE(wire,
                 (QByteArrayList{"6d 01 14 05 5f 00", "00 00 14 05 5f 00", "7c 15 7c 15 64 00", "00 00 d0 01 32 00",
                                 "00 00 14 05 5f 00"}));
    }

    // Unset or not a port: 1234.
    void configuredPort()
    {
        QList<int> got;
        for (const char *env : {"", "40123", "http", "70000", "65535", "0", "-1"}) {
            *env ? qputenv("NORVIK7_TCP_PORT", env) : qunsetenv("NORVIK7_TCP_PORT");
            got << tcpserver::configuredPort();
        }
        qunsetenv("NORVIK7_TCP_PORT");
        QCOMPARE(got, (QList<int>{1234, 40123, 1234, 1234, 65535, 0, 1234}));
    }

    // Only a whole message is a command: start; stop with a zero byte after
    // it; not with a line end, in lower case, two at once or a prefix.
    void commands()
    {
        QList<int> got;
        for (const QByteArray &said :
             {QByteArray("UVC start"), QByteArray("UVC stop\0zzz", 12), QByteArray("UVC start\n"),
              QByteArray("uvc start"), QByteArray("UVC startUVC stop"), QByteArray("UVC sto")})
            got << int(tcpserver::parseCommand(said.constData(), size_t(said.size())));
        QCOMPARE(got, (QList<int>{1, 2, 0, 0, 0, 0}));   // None, UvcStart, UvcStop
    }

    // One server: it listens on loopback only; a client that says nothing has
    // the initial bytes at once and is let go after 2 s while the next one is
    // served; a second server on its port tries again once a second until the
    // port comes free, and tells the failure once, not at every try.
    void oneServer()
    {
        auto server = startServer();
        const int port = server->boundPort();
        for (const QHostAddress &a : QNetworkInterface::allAddresses()) {
            QTcpSocket s;
            s.connectToHost(a, quint16(port));
            QVERIFY2(a.isLoopback() || !s.waitForConnected(1000), qPrintable(a.toString()));
        }
        const int silent = connectTo(port);
        QCOMPARE(readBytes(silent, 6, 1000).toHex(' '), QByteArray("34 12 78 56 76 98"));
        QElapsedTimer clock;
        clock.start();
        QCOMPARE(fetch(port).size(), 6);
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(readBytes(silent, 1, 4000).size(), 0);   // its end comes, no more bytes
        QVERIFY2(clock.elapsed() >= 1500 && clock.elapsed() <= 2600, qPrintable(QString::number(clock.elapsed())));
        loopback::closeFd(silent);
        TcpServerThread second(nullptr, port);
        QueuedSpy up(&second, &TcpServerThread::listening);
        const QRegularExpression told(QStringLiteral("^bind socket error: "));
        QTest::ignoreMessage(QtWarningMsg, told);
        QTest::failOnWarning(told);
        second.start();
        QVERIFY(!up.wait(1300) && second.isRunning() && !second.isListening());
        server.reset();
        QVERIFY(up.wait(3000));
        // A command is read at once, though a client accepted after its sender says nothing.
        const int sender = connectTo(port), quiet = connectTo(port);
        QueuedSpy uvc(&second, &TcpServerThread::sendUVCStart);
        QVERIFY(readBytes(sender, 6).size() == 6 && readBytes(quiet, 6).size() == 6 &&
                loopback::sendAll(sender, "UVC start"));
        QVERIFY(uvc.wait(1000));
    }

    // An interrupted or aborted accept is tried again at once; any other
    // failure pauses 50 ms, so a lasting one does not spin.
    void acceptFailures()
    {
        auto server = startServer();
        for (const int error : {EINTR, ECONNABORTED, EMFILE}) {
            planted::acceptErrno.store(error);
            planted::acceptFailures.store(error == EMFILE ? 10 : 40);
            QElapsedTimer clock;
            clock.start();
            QCOMPARE(fetch(server->boundPort()).size(), 6);
            const qint64 took = clock.elapsed();
            QVERIFY2(error == EMFILE ? took >= 450 && took <= 3000 : took <= 1000, qPrintable(QString::number(took)));
        }
    }

    // End to end: frames of the simulated module through the live view; the
    // reading of a refresh frame is what the live view shows, and a client gets it.
    void liveViewReadingReachesAClient()
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
        // Readout and reading of the same refresh frame: the client gets the
        // zone's maximum shown, not the iron's, and the alert threshold.
        int matched = 0;
        for (int i = 0; i < 20 && matched < 3; ++i) {
            QTest::qWait(100);
            const float shown = w.ZoneHighTempValueLabel->text().remove(QRegularExpression("[^0-9.-]")).toFloat();
            const QByteArray r = fetch(port);
            QCOMPARE(r.mid(2).toHex(), QByteArray("c2015f00"));   // 450, 95
            matched += qAbs(qFromLittleEndian<quint16>(r.constData()) - qRound(shown * 10)) <= 1;
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

    // ---- Wi-Fi and USB ------------------------------------------------------------------------------

    void ssidRewrite_data()
    {
        QTest::addColumn<QString>("conf");
        QTest::addColumn<QString>("mac");
        QTest::addColumn<QString>("expected");   // the same text when nothing is rewritten
        const QString n = QStringLiteral("ssid=Norvik7_ddeeff\n");
        const char *const rows[][3] = {
            {"line order kept, no newline at the end", "interface=wlan0\nssid=Norvik7_000000\nchannel=6",
             "interface=wlan0\n%1channel=6"},
            {"SSID line last: a newline follows it", "interface=wlan0\nssid=Norvik7_000000", "interface=wlan0\n%1"},
            {"an old name over 20 characters leaves no tail", "interface=wlan0\nssid=ThisIsAVeryLongOldName\nc=6",
             "interface=wlan0\n%1c=6"},
            {"interface line ending the file gets its SSID line", "c=6\ninterface=wlan0\n", "c=6\ninterface=wlan0\n%1"},
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

    void ssidRewrite()
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

    // Named after the board's wlan0 address at start-up: written beside and
    // renamed over, keeping mode and owner; through a link, the file it leads to.
    void hostapdReplacedWhole()
    {
        LiveDevice k;   // then restarted on the file written here
        k.board.write(kConf, "interface=wlan0\nssid=Norvik7_000000\nchannel=6");
        const QByteArray conf = QFile::encodeName(k.board.file(kConf));
        const bool root = ::geteuid() == 0;
        QVERIFY(::chmod(conf.constData(), 0640) == 0 && (!root || ::chown(conf.constData(), 1234, 4321) == 0));
        struct stat st {};
        QVERIFY(::stat(conf.constData(), &st) == 0);
        const ino_t before = st.st_ino;
        k.restart();
        QCOMPARE(k.board.read(kConf), QByteArray("interface=wlan0\nssid=Norvik7_DDEEFF\nchannel=6"));
        QVERIFY(::stat(conf.constData(), &st) == 0 && st.st_ino != before && (st.st_mode & 07777) == 0640);
        QVERIFY(!root || (st.st_uid == 1234 && st.st_gid == 4321));
        k.board.write(QStringLiteral("/data/hostapd.conf"), "interface=wlan0\nssid=Old\n");
        QVERIFY(QFile::remove(k.board.file(kConf)) && ::symlink("/data/hostapd.conf", conf.constData()) == 0);
        k.restart();
        QVERIFY(QFileInfo(k.board.file(kConf)).isSymLink());
        QCOMPARE(k.board.read(QStringLiteral("/data/hostapd.conf")),
                 QByteArray("interface=wlan0\nssid=Norvik7_DDEEFF\n"));
    }

    // OK switches Wi-Fi on (the page with the name, the radio powered) and off
    // (the services stopped in order, the radio unpowered); the stored switch stays.
    void switchByKeys()
    {
        LiveDevice k({}, true);
        k.board.clearCommands();
        k.openSystemEntry(4);
        config::write(config::Main, QStringLiteral("wifi_switch"), QStringLiteral("Off"));
        k.press(keycode::Ok);
        QVERIFY(k.w->wifiOpenStatusMenu->isVisible() && !k.w->WifiStatusLabel->isHidden());
        QCOMPARE(k.w->wifiOpenStatusMenu->ssidLabel->text(), QStringLiteral("Norvik7_DDEEFF"));
        QVERIFY(k.board.commands().isEmpty() && k.board.read(QStringLiteral("/sim/gpio/4")) == "0");
        k.press(keycode::Ok);
        QCOMPARE(
            k.board.commands(),
            (QStringList{"ifconfig wlan0 down", "killall udhcpd", "killall hostapd", "killall live555MediaServer"}));
        QVERIFY(k.board.read(QStringLiteral("/sim/gpio/4")) == "1" && k.w->WifiStatusLabel->isHidden());
        QCOMPARE(k.key("wifi_switch"), QStringLiteral("Off"));
    }

    // c camera, d disk, f factory reset: a script runs only on a real change.
    void usbMode()
    {
        LiveDevice k({}, true);
        UsbConnectModeSubMenu *m = k.w->usbConnectModeSubMenu;
        k.board.clearCommands();
        for (QChar s : QStringLiteral("cddcdcdf"))
            s == 'f' ? m->factotyResetForUsbConnectModeSubMenu()
                     : (s == 'c' ? m->radioButton : m->radioButton_2)->click();
        const QString cam = "/etc/rc.d/usbcamerasetting.sh", disk = "/etc/rc.d/usbdisksetting.sh";
        QCOMPARE(k.board.commands().filter("/etc/rc.d/usb"), (QStringList{disk, cam, disk, cam, disk, cam}));
    }
};

QTEST_MAIN(TestConnectivity)
#include "tst_connectivity.moc"
