#include "media/mediafolder.h"

#include "core/logging.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include "board/board.h"

namespace mediafolder {

QString boardPath(const QString &name) { return QString::fromLatin1(kFolder) + name; }

QString hostFolder() { return board::path(QString::fromLatin1(kFolder)); }

Listing listImages()
{
    Listing l;
    const QString folder = hostFolder();
    const QFileInfo info(folder);
    if (!info.isDir()) {
        qCWarning(lcMedia) << "Cannot find the directory";
        return l;
    }
    QDir dir(folder);
    if (!info.isReadable() || !dir.isReadable()) {
        qCWarning(lcMedia) << "Cannot read the directory";
        l.status = Status::Unreadable;
        return l;
    }
    l.names = dir.entryList({QStringLiteral("*.bmp")}, QDir::Files, QDir::Name);
    qCDebug(lcMedia) << "The DCIM_100 have " << l.names.size() << " images!";
    if (l.names.size() > kMaxListed) {
        l.status = Status::TooMany;
        l.names.clear();
        return l;
    }
    l.status = Status::Ok;
    return l;
}

QString stem(const QString &name)
{
    // The extension goes, whatever the length of the name before it.
    return name.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive) ? name.left(name.size() - 4) : name;
}

QString fileOfItem(const QString &text)
{
    if (text.contains(QLatin1String("Qel")))
        return text + QStringLiteral(".avi");
    if (text.contains(QLatin1String("IMG")))
        return text + QStringLiteral(".bmp");
    return text;
}

int scrollBackStart(int i, int row, bool *reachedFirst)
{
    if (i < 0 || row < 0 || row > 2)
        return -1;
    if (i == 5 || (i < 5 && !*reachedFirst)) {
        *reachedFirst = true;
        return 0;
    }
    if (i < 5)
        return -1;
    return i - 3 - row;
}

QString imageName(int number, const char *extension)
{
    return QStringLiteral("IMG_%1.%2").arg(number, 4, 10, QLatin1Char('0')).arg(QLatin1String(extension));
}

int nextFreeNumber(int wanted, const QStringList &taken)
{
    QSet<QString> names;
    for (const QString &t : taken)
        names.insert(t.toUpper());
    int n = (wanted >= 1 && wanted <= 9999) ? wanted : 1;
    for (int tries = 0; tries < 9999; ++tries) {
        if (!names.contains(imageName(n, "BMP")) && !names.contains(imageName(n, "JPG")))
            return n;
        n = n == 9999 ? 1 : n + 1;
    }
    return 0;
}

}   // namespace mediafolder
