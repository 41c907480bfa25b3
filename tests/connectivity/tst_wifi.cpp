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

    void hostapdReplacedWhole();

    void switchByKeys();

    void usbMode();
};

void TestWifi::ssidRewrite_data()
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

void TestWifi::ssidRewrite()
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

void TestWifi::usbMode()
{
    // c camera, d disk, f factory reset: a script runs only on a real change.
    const QString steps = QStringLiteral("cddcdcdf");
    const QString cam = QStringLiteral("/etc/rc.d/usbcamerasetting.sh");
    const QString disk = QStringLiteral("/etc/rc.d/usbdisksetting.sh");
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
    QCOMPARE(ran, (QStringList{disk, cam, disk, cam, disk, cam}));
    QCOMPARE(int(::usbMode), m->radioButton->isChecked() ? 1 : 0);
}

QTEST_MAIN(TestWifi)
#include "tst_wifi.moc"
