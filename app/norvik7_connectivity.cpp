// The main window's side of connectivity: the access point's name, the Wi-Fi
// switch and the temperature server it starts and wires.
#include "app/norvik7.h"

#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "board/board.h"
#include "connectivity/hostapd.h"
#include "connectivity/menus/wifisubmenu.h"
#include "connectivity/tcpserverthread.h"

#include <QDebug>
#include <QLabel>
#include <QRadioButton>

#include <cstdio>

// The wlan0 address "aa:bb:cc:dd:ee:ff".
static QString macOfWifi;

void Norvik7::startTcpServer()
{
    tcpServerThread = new TcpServerThread(this);
    tcpServerThread->start(QThread::InheritPriority);
}

void Norvik7::makeConnectivityConnections()
{
    // The reading of every refresh frame, and the UVC pace asked by a client.
    connect(this, &Norvik7::sendMaxTempToTcpserver, tcpServerThread, &TcpServerThread::getMaxTempData,
            Qt::QueuedConnection);
    if (cameraThread)
        connect(tcpServerThread, &TcpServerThread::sendUVCStart, cameraThread, &ThermalCameraThread::getUVCStart,
                Qt::QueuedConnection);
    connect(wifiSubMenu->radioButton, &QRadioButton::clicked, this, &Norvik7::wifiSwitch);
}

void Norvik7::getLocalMachineMac()
{
    QString mac = board::wlan0Mac();
    if (!mac.isEmpty() && !wifi::isMacAddress(mac)) {
        std::printf("WIFI Mac is not an address: %s\n", mac.toLocal8Bit().constData());
        mac.clear();
    }
    macOfWifi = mac;
    std::printf("WIFI Mac is %s\n", macOfWifi.toLatin1().constData());

    bool ok = false;
    const QByteArray conf = board::readFile(QString::fromLatin1(wifi::kHostapdConf), &ok);
    if (!ok) {
        std::printf("open %s failed\n", wifi::kHostapdConf);
        ssidOfWifi.clear();
    } else {
        // Latin-1 keeps every byte of the file as it was.
        const QString text = QString::fromLatin1(conf);
        const wifi::SsidRewrite rewrite = wifi::rewriteSsid(text, macOfWifi);
        if (rewrite.replaced) {
            ssidOfWifi = rewrite.ssid;
            // Written beside and renamed: a power cut leaves the old file or the new one.
            if (rewrite.text != text &&
                !board::replaceFile(QString::fromLatin1(wifi::kHostapdConf), rewrite.text.toLatin1()))
                std::printf("write %s failed\n", wifi::kHostapdConf);
        } else {
            // No line to rewrite: the access point keeps the name the file gives it.
            std::printf("%s: no SSID line after interface=wlan0\n", wifi::kHostapdConf);
            ssidOfWifi = wifi::currentSsid(text);
        }
    }
    wifiOpenStatusMenu->ssidLabel->setText(ssidOfWifi);

    wifiSubMenu->radioButton->setChecked(false);
    board::run(QStringLiteral("ifconfig wlan0 down"));
}

void Norvik7::wifiSwitch()
{
    if (wifiSubMenu->radioButton->isChecked()) {
        if (wifiOpenStatusMenu->isHidden())
            wifiOpenStatusMenu->wifiOpenStatusMenuEnable();
        WifiStatusLabel->show();
        gpio_set_value(gpioFd, 4, 0);
        std::printf("Power on the WIFI......\n");
        return;
    }
    board::run(QStringLiteral("ifconfig wlan0 down"));
    board::run(QStringLiteral("killall udhcpd"));
    board::run(QStringLiteral("killall hostapd"));
    board::run(QStringLiteral("killall live555MediaServer"));
    WifiStatusLabel->hide();
    config::write(config::Main, QStringLiteral("wifi_switch"), QStringLiteral("Off"));
    gpio_set_value(gpioFd, 4, 1);
    // The connection details no longer hold.
    if (wifiOpenStatusMenu->isVisible())
        wifiOpenStatusMenu->wifiOpenStatusMenuEnable();
}
