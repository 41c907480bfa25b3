#include "settings/serialnumber.h"

#include "core/config.h"
#include "board/board.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>

namespace serialnumber {

bool isPlausible(const QString &serial)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z0-9_-]{1,32}$"));
    return re.match(serial).hasMatch();
}

QString fromFileName(const QString &fileName) { return fileName.section(QLatin1Char('.'), 0, 0); }

Taken takeFromCard(const QString &current)
{
    Taken out;
    out.serial = current;
    QDir card(board::path(QString::fromLatin1(kCardFolder)));
    const QStringList files = card.entryList({QString::fromLatin1(kSuffixFilter)}, QDir::Files, QDir::Name);
    for (const QString &file : files) {
        const QString serial = fromFileName(file);
        if (!isPlausible(serial)) {
            out.ignored << file;
            continue;
        }
        if (serial != out.serial) {
            config::write(config::Sn, QStringLiteral("sn"), serial);
            if (config::readString(config::Sn, QStringLiteral("sn")) != serial)
                continue;   // not stored: the file stays for another try
            out.serial = serial;
        }
        if (QFile::remove(card.filePath(file)))
            out.removed << file;
    }
    return out;
}

}   // namespace serialnumber
