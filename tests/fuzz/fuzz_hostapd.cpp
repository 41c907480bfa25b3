// The SSID rewrite of the board's hostapd file over arbitrary file contents
// and addresses: every line keeps its place, only lines following an
// "interface=wlan0" line change, and they become exactly the new SSID line.
#include "fuzztarget.h"
#include "connectivity/hostapd.h"

#include <QStringList>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The address up to the first zero byte, the file after it.
    const std::string all(reinterpret_cast<const char *>(data), size);
    const size_t zero = all.find('\0');
    const QString mac = QString::fromLatin1(all.substr(0, zero == std::string::npos ? 0 : zero).c_str());
    const QString conf = QString::fromLatin1(zero == std::string::npos ? all.c_str() : all.c_str() + zero + 1,
                                             static_cast<int>(zero == std::string::npos ? size : size - zero - 1));

    const wifi::SsidRewrite r = wifi::rewriteSsid(conf, mac);
    const QString ssidLine = QStringLiteral("ssid=Norvik7_") + wifi::ssidSuffix(mac);
    check(wifi::ssidSuffix(mac).size() == 0 || wifi::ssidSuffix(mac).size() == 6, "a suffix of another length");
    // Expected, line by line: a line after a written "interface=wlan0" line
    // becomes the SSID line (always followed by a newline).
    const QStringList before = conf.split(QLatin1Char('\n'));
    QString expected;
    QString previous;
    bool replaced = false;
    for (int i = 0; i < before.size(); ++i) {
        const bool last = i == before.size() - 1;
        if (i > 0 && previous.contains(QLatin1String("interface=wlan0"))) {
            expected += ssidLine + QLatin1Char('\n');
            previous = ssidLine;
            replaced = true;
            continue;
        }
        expected += before[i] + (last ? QString() : QStringLiteral("\n"));
        previous = before[i];
    }
    check(r.text == expected && replaced == r.replaced && (!replaced || r.ssid == ssidLine.mid(5)), "not the model's");
    // Nothing but the SSID lines changes: as many lines, or one more newline.
    const int lines = r.text.count(QLatin1Char('\n'));
    check(lines == conf.count(QLatin1Char('\n')) || lines == conf.count(QLatin1Char('\n')) + 1, "lines added");
    return 0;
}
