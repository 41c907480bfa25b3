#include "core/boardpath.h"

#include <QDir>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>
#include <QStringList>

namespace board {
namespace {

QMutex envMutex;
QString rootCache;
bool rootLoaded = false;

QString loadRoot()
{
    QMutexLocker lock(&envMutex);
    if (!rootLoaded) {
        const QByteArray env = qgetenv("NORVIK7_ROOT");
        rootCache = env.isEmpty() ? QString() : QDir::cleanPath(QDir(QString::fromLocal8Bit(env)).absolutePath());
        rootLoaded = true;
    }
    return rootCache;
}

// Case-insensitive lookup of one name inside a folder, as a FAT volume does.
QString matchName(const QString &dir, const QString &name)
{
    if (QFileInfo::exists(dir + '/' + name))
        return name;
    const QStringList entries =
        QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QString &e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return name;
}

}   // namespace

bool isSimulated() { return !loadRoot().isEmpty(); }
QString simRoot() { return loadRoot(); }

void reloadEnvironment()
{
    QMutexLocker lock(&envMutex);
    rootLoaded = false;
}

QString path(const QString &boardPath)
{
    QString p = boardPath.trimmed();
    if (!p.startsWith('/'))
        p = QStringLiteral("/root/") + p;
    // Fold "." and ".." ourselves: a ".." at the top stays at "/", so nothing
    // can climb above the board's root.
    QStringList kept;
    for (const QString &part : p.split('/', Qt::SkipEmptyParts)) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!kept.isEmpty())
                kept.removeLast();
            continue;
        }
        kept << part;
    }
    p = '/' + kept.join('/');
    const QString root = simRoot();
    if (root.isEmpty())
        return p;

    const QString card = QString::fromLatin1(kCardMount);
    if (p.compare(card, Qt::CaseInsensitive) == 0 || p.startsWith(card + '/', Qt::CaseInsensitive)) {
        QString dir = root + card;
        const QStringList parts = p.mid(card.size()).split('/', Qt::SkipEmptyParts);
        for (const QString &part : parts)
            dir += '/' + matchName(dir, part);
        return dir;
    }
    return root + p;
}

}   // namespace board
