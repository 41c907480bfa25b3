#include "core/wholefile.h"

#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <unistd.h>

namespace wholefile {

bool write(const QString &hostPath, const QByteArray &data, const Step &step)
{
    // The part file is named after its folder and kind, not the file's own
    // name: one left by a power cut or a pulled card is written over by the
    // next file of its kind.
    const QFileInfo info(hostPath);
    const QString part = info.absolutePath() + QStringLiteral("/.") + info.suffix() + QStringLiteral(".part");
    if (step && !step(hostPath))
        return false;
    QFile f(part);
    bool ok = f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(data) == data.size() && f.flush() &&
        ::fsync(f.handle()) == 0;
    f.close();
    ok = ok && (!step || step(hostPath)) &&
        ::rename(QFile::encodeName(part).constData(), QFile::encodeName(hostPath).constData()) == 0;
    if (!ok)
        QFile::remove(part);
    return ok;
}

}   // namespace wholefile
