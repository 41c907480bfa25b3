#pragma once
// The access point's name in the board's hostapd configuration: the line
// after "interface=wlan0" is the SSID line, rewritten as "ssid=Norvik7_"
// followed by the last six hex digits of the radio's address.

#include <QString>

namespace wifi {

constexpr const char *kHostapdConf = "/etc/hostapd.conf";
constexpr const char *kSsidPrefix = "ssid=Norvik7_";

// True for six two-digit hexadecimal groups separated by colons.
bool isMacAddress(const QString &mac);
// The last six hex digits of an address ("02:11:22:dd:ee:ff" -> "ddeeff");
// empty for anything that is not an address.
QString ssidSuffix(const QString &mac);

struct SsidRewrite {
    QString text;            // the whole new file
    QString ssid;            // the access point name written (without "ssid="); empty when none
    bool replaced = false;   // an SSID line followed an "interface=wlan0" line
};

// Rewrites the SSID line(s) of a hostapd configuration. The file is split at
// "\n" keeping empty parts; every line is kept in its place, each written
// followed by "\n" except the last; the line after one containing
// "interface=wlan0" becomes the new SSID line, always followed by "\n".
SsidRewrite rewriteSsid(const QString &conf, const QString &mac);

// The name the access point is given by the file as it is: the value of its
// first "ssid=" line, empty when it has none.
QString currentSsid(const QString &conf);

}   // namespace wifi
