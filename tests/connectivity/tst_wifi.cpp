// Wi-Fi: the access point's name written into the board's hostapd file, the
// switch reached by keys through the system settings list, and the USB mode.
#include "core/config.h"
#include "app/menus/settingsubmenu.h"
#include "connectivity/hostapd.h"
#include "connectivity/menus/usbconnectmodesubmenu.h"
#include "connectivity/menus/wifisubmenu.h"
#include "common/livedevice.h"

#include <QFileInfo>
#include <QLabel>
#include <QRadioButton>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {
const QString kMac = QStringLiteral("02:11:22:dd:ee:ff");
const QString kConf = QStringLiteral("/etc/hostapd.conf");

ino_t inodeOf(const QString &file)
{
    struct stat st {};
    return ::stat(QFile::encodeName(file).constData(), &st) == 0 ? st.st_ino : 0;
}
}   // namespace

class TestWifi : public QObject {
    Q_OBJECT
private slots:
    void ssidRewrite_data();
    void ssidRewrite();
    void macAddresses_data();
    void macAddresses();

    void nameGivenAtStart_data();
    void nameGivenAtStart();
    void hostapdReplacedWhole();

    void switchByKeys();

    void usbMode_data();
    void usbMode();
};

void TestWifi::ssidRewrite_data()
{
    QTest::addColumn<QString>("conf");
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<QString>("ssid");
    QTest::addColumn<bool>("replaced");
    const QString name = QStringLiteral("ssid=Norvik7_ddeeff");
    QTest::newRow("line order kept, no newline at the end")
        << "ctrl_interface=/var/run/hostapd\ninterface=wlan0\nssid=Norvik7_000000\nchannel=6\nwpa=2" << kMac
        << "ctrl_interface=/var/run/hostapd\ninterface=wlan0\n" + name + "\nchannel=6\nwpa=2"
        << "Norvik7_ddeeff" << true;
    QTest::newRow("SSID line last: a newline follows it")
        << "channel=6\ninterface=wlan0\nssid=Norvik7_000000" << kMac << "channel=6\ninterface=wlan0\n" + name + "\n"
        << "Norvik7_ddeeff" << true;
    QTest::newRow("an old name longer than 20 characters leaves no tail")
        << "interface=wlan0\nssid=ThisIsAVeryLongOldAccessPointName\nchannel=6" << kMac
        << "interface=wlan0\n" + name + "\nchannel=6"
        << "Norvik7_ddeeff" << true;
    QTest::newRow("interface line ending the file with a newline gets its SSID line")
        << "channel=6\ninterface=wlan0\n"
        << kMac << "channel=6\ninterface=wlan0\n" + name + "\n"
        << "Norvik7_ddeeff" << true;
    QTest::newRow("interface line last: nothing to rewrite")
        << "ssid=Old\nchannel=6\ninterface=wlan0" << kMac << "ssid=Old\nchannel=6\ninterface=wlan0" << QString()
        << false;
    QTest::newRow("CR LF lines keep their CR") << "interface=wlan0\r\nssid=Old\r\nchannel=6\r\n"
                                               << kMac << "interface=wlan0\r\n" + name + "\nchannel=6\r\n"
                                               << "Norvik7_ddeeff" << true;
}

void TestWifi::ssidRewrite()
{
    QFETCH(QString, conf);
    QFETCH(QString, mac);
    QFETCH(bool, replaced);
    const wifi::SsidRewrite r = wifi::rewriteSsid(conf, mac);
    QTEST(r.text, "expected");
    QCOMPARE(r.replaced, replaced);
    if (replaced)
        QTEST(r.ssid, "ssid");
}

void TestWifi::macAddresses_data()
{
    QTest::addColumn<QString>("mac");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("upper case as the board gives it") << "00:0A:1B:2C:3D:4E"
                                                      << "2C3D4E";
    QTest::newRow("too short") << "02:11:22:dd:ee"
                               << "";
    QTest::newRow("not hex") << "02:11:22:dd:ee:zz"
                             << "";
}

void TestWifi::macAddresses()
{
    QFETCH(QString, mac);
    QTEST(wifi::ssidSuffix(mac), "suffix");
}

void TestWifi::nameGivenAtStart_data()
{
    QTest::addColumn<QByteArray>("wlan0");   // sim/wlan0_mac, "-" for no wlan0
    QTest::addColumn<QByteArray>("conf");    // "-" for no file
    QTest::addColumn<QByteArray>("after");   // "-" for still no file
    QTest::addColumn<QString>("shown");
    QTest::newRow("no wlan0") << QByteArray("-") << QByteArray("interface=wlan0\nssid=Norvik7_000000\n")
                              << QByteArray("interface=wlan0\nssid=Norvik7_\n") << "Norvik7_";
    QTest::newRow("hostapd.conf missing")
        << QByteArray("02:11:22:dd:ee:ff") << QByteArray("-") << QByteArray("-") << QString();
    QTest::newRow("no interface=wlan0 line: the file's own name shown")
        << QByteArray("02:11:22:dd:ee:ff") << QByteArray("interface=eth0\nssid=Board")
        << QByteArray("interface=eth0\nssid=Board") << "Board";
}

void TestWifi::nameGivenAtStart()
{
    QFETCH(QByteArray, wlan0);
    QFETCH(QByteArray, conf);
    QFETCH(QByteArray, after);
    QFETCH(QString, shown);
    LiveDevice k(LiveDevice::Later);
    if (wlan0 == "-")
        k.board.remove(QStringLiteral("/sim/wlan0_mac"));
    else
        k.board.write(QStringLiteral("/sim/wlan0_mac"), wlan0);
    if (conf == "-")
        k.board.remove(kConf);
    else
        k.board.write(kConf, conf);
    k.start();

    if (after == "-")
        QVERIFY(!QFileInfo::exists(k.board.file(kConf)));
    else
        QCOMPARE(k.board.read(kConf), after);
    QCOMPARE(k.w->ssidOfWifi, shown);
    QCOMPARE(k.w->wifiOpenStatusMenu->ssidLabel->text(), shown);
    // Wi-Fi is off after start-up.
    QVERIFY(!k.w->wifiSubMenu->radioButton->isChecked());
    QVERIFY(k.board.commands().contains(QStringLiteral("ifconfig wlan0 down")));
    QVERIFY(k.w->isVisible());
}

void TestWifi::hostapdReplacedWhole()
{
    LiveDevice k(LiveDevice::Later);
    k.board.write(kConf, "interface=wlan0\nssid=Norvik7_000000\nchannel=6");
    const QByteArray conf = QFile::encodeName(k.board.file(kConf));
    const bool root = ::geteuid() == 0;
    QVERIFY(::chmod(conf.constData(), 0640) == 0 && (!root || ::chown(conf.constData(), 1234, 4321) == 0));
    const ino_t before = inodeOf(k.board.file(kConf));
    k.start();
    QCOMPARE(k.board.read(kConf), QByteArray("interface=wlan0\nssid=Norvik7_DDEEFF\nchannel=6"));
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
}

void TestWifi::switchByKeys()
{
    LiveDevice k(LiveDevice::English);
    k.board.clearCommands();
    k.openSystemEntry(4);
    QCOMPARE(k.w->wifiSubMenu->focusWidget(), k.w->wifiSubMenu->radioButton);

    // OK switches it on: the page with the name, the radio powered.
    k.press(keycode::Ok);
    QVERIFY(k.w->wifiSubMenu->radioButton->isChecked());
    QVERIFY(k.w->wifiOpenStatusMenu->isVisible());
    QCOMPARE(k.w->wifiOpenStatusMenu->ssidLabel->text(), QStringLiteral("Norvik7_DDEEFF"));
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("0"));
    QVERIFY(!k.w->WifiStatusLabel->isHidden());
    QVERIFY(k.board.commands().isEmpty());
    // The stored switch is not changed by switching on.
    config::write(config::Main, QStringLiteral("wifi_switch"), QStringLiteral("Off"));
    saveScreenshot(QStringLiteral("WifiOpenStatusMenu_switched_on"),
                   {k.w->systemSettingSubMenu, k.w->wifiSubMenu, k.w->wifiOpenStatusMenu});

    // OK again switches it off: the services stopped in order, the radio unpowered.
    k.press(keycode::Ok);
    QVERIFY(!k.w->wifiSubMenu->radioButton->isChecked());
    QCOMPARE(k.board.commands(),
             (QStringList{QStringLiteral("ifconfig wlan0 down"), QStringLiteral("killall udhcpd"),
                          QStringLiteral("killall hostapd"), QStringLiteral("killall live555MediaServer")}));
    QCOMPARE(config::readString(config::Main, QStringLiteral("wifi_switch")), QStringLiteral("Off"));
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("1"));
    QVERIFY(k.w->WifiStatusLabel->isHidden());

    // On again; BACK closes the page, then the panel, then the list.
    k.press(keycode::Ok);
    QVERIFY(k.w->wifiOpenStatusMenu->isVisible());
    k.press(keycode::Back, 2);
    QVERIFY(k.w->wifiSubMenu->isHidden());
    QCOMPARE(k.w->systemSettingSubMenu->focusWidget(), k.w->systemSettingSubMenu->wifiButton);
    // The radio stays on until switched off.
    QCOMPARE(k.board.read(QStringLiteral("/sim/gpio/4")), QByteArray("0"));
    k.press(keycode::Back, 3);
    QCOMPARE(k.visibleMenus(), QStringList());
}

void TestWifi::usbMode_data()
{
    QTest::addColumn<QString>("steps");   // c camera, d disk, f factory reset
    QTest::addColumn<QStringList>("scripts");
    const QString cam = QStringLiteral("/etc/rc.d/usbcamerasetting.sh");
    const QString disk = QStringLiteral("/etc/rc.d/usbdisksetting.sh");
    QTest::newRow("camera right after start") << "c" << QStringList{};
    QTest::newRow("disk twice") << "dd" << QStringList{disk};
    QTest::newRow("back and forth") << "dcdc" << QStringList{disk, cam, disk, cam};
    QTest::newRow("factory reset in disk mode") << "df" << QStringList{disk, cam};
}

void TestWifi::usbMode()
{
    QFETCH(QString, steps);
    QFETCH(QStringList, scripts);
    LiveDevice k(LiveDevice::English);
    UsbConnectModeSubMenu *m = k.w->usbConnectModeSubMenu;
    QCOMPARE(int(::usbMode), 1);
    k.openSetting(7);
    QVERIFY(m->isVisible());
    k.board.clearCommands();
    for (QChar s : steps) {
        if (s == QLatin1Char('f')) {
            m->factotyResetForUsbConnectModeSubMenu();
            continue;
        }
        // The focused choice is clicked by OK; UP and DOWN move between the two.
        QAbstractButton *want = s == QLatin1Char('c') ? m->radioButton : m->radioButton_2;
        if (m->focusWidget() != want)
            k.press(keycode::Down);
        QCOMPARE(m->focusWidget(), want);
        k.press(keycode::Ok);
        QVERIFY(want->isChecked());
    }
    QStringList ran;
    for (const QString &c : k.board.commands())
        if (c.startsWith(QLatin1String("/etc/rc.d/usb")))
            ran << c;
    QCOMPARE(ran, scripts);
    QCOMPARE(int(::usbMode), m->radioButton->isChecked() ? 1 : 0);
    if (steps == QLatin1String("dd"))
        saveScreenshot(QStringLiteral("UsbConnectModeSubMenu_disk"), {m});
}

QTEST_MAIN(TestWifi)
#include "tst_wifi.moc"
