// The SSID rewrite of the board's hostapd file over arbitrary file contents
// and addresses: every line keeps its place, only lines following an
// "interface=wlan0" line change, and they become exactly the new SSID line.
#include "fuzztarget.h"
#include "connectivity/hostapd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The address up to the first zero byte, the file after it.
    const QByteArray all(reinterpret_cast<const char *>(data), static_cast<int>(size));
    const int zero = all.indexOf('\0');
    const QString mac = QString::fromLatin1(zero < 0 ? QByteArray() : all.left(zero));
    const QString conf = QString::fromLatin1(all.mid(zero + 1));
    const wifi::SsidRewrite r = wifi::rewriteSsid(conf, mac);
    const QString ssidLine = QStringLiteral("ssid=Norvik7_") + wifi::ssidSuffix(mac);
    check(wifi::ssidSuffix(mac).size() == 0 || wifi::ssidSuffix(mac).size() == 6, "a suffix of another length");
    // Expected, line by line: a line after a written "interface=wlan0" line
    // becomes the SSID line (always followed by a newline).
    QStringList lines = conf.split(QLatin1Char('\n'));
    bool replaced = false;
    for (int i = 1; i < lines.size(); ++i)
        if (lines[i - 1].contains(QLatin1String("interface=wlan0"))) {
            lines[i] = ssidLine + (i == lines.size() - 1 ? "\n" : "");
            replaced = true;
        }
    check(r.text == lines.join('\n') && replaced == r.replaced && (!replaced || r.ssid == ssidLine.mid(5)),
          "not the model's");
    // Nothing but the SSID lines changes, each one line: as many lines, or one more newline.
    const int added = r.text.count(QLatin1Char('\n')) - conf.count(QLatin1Char('\n'));
    check(added == 0 || added == 1, "lines added");
    return 0;
}
