#include "connectivity/hostapd.h"

#include <QRegularExpression>
#include <QStringList>

namespace wifi {

bool isMacAddress(const QString &mac)
{
    // \z, not $: "$" also matches before a final newline, which would end up in the SSID.
    static const QRegularExpression re(QStringLiteral("\\A[0-9A-Fa-f]{2}(:[0-9A-Fa-f]{2}){5}\\z"));
    return re.match(mac).hasMatch();
}

QString ssidSuffix(const QString &mac)
{
    if (!isMacAddress(mac))
        return QString();
    QString digits = mac;
    digits.remove(QLatin1Char(':'));
    return digits.mid(6);
}

SsidRewrite rewriteSsid(const QString &conf, const QString &mac)
{
    SsidRewrite out;
    const QString ssidLine = QLatin1String(kSsidPrefix) + ssidSuffix(mac);
    const QStringList lines = conf.split(QLatin1Char('\n'));   // empty parts kept
    bool nextIsSsid = false;
    for (int i = 0; i < lines.size(); ++i) {
        const bool last = i == lines.size() - 1;
        if (nextIsSsid) {
            // The whole old line goes, however long it was.
            out.text += ssidLine + QLatin1Char('\n');
            out.ssid = ssidLine.mid(5);
            out.replaced = true;
            nextIsSsid = false;
            continue;
        }
        out.text += lines[i];
        if (!last)
            out.text += QLatin1Char('\n');
        nextIsSsid = lines[i].contains(QLatin1String("interface=wlan0"));
    }
    return out;
}

QString currentSsid(const QString &conf)
{
    for (const QString &line : conf.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("ssid=")))
            return line.mid(5).trimmed();
    }
    return QString();
}

}   // namespace wifi
