#include "board/board.h"
#include "board/sim_internal.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace board {
void enterWorkingDirectory()
{
    const QString wd = path(QStringLiteral("/root"));
    QDir().mkpath(wd);
    if (::chdir(QFile::encodeName(wd).constData()) != 0)
        perror("chdir");
}

QString realFile(const QString &boardPath)
{
    if (!isSimulated()) {
        const QFileInfo info(path(boardPath));
        if (!info.isSymLink())
            return info.filePath();
        const QString real = info.canonicalFilePath();
        return real.isEmpty() ? info.symLinkTarget() : real;   // a link to nothing yet
    }
    // Link by link, each target a board path (an absolute one starts at the root).
    QString p = boardPath.trimmed();
    if (!p.startsWith('/'))
        p = QStringLiteral("/root/") + p;
    for (int hops = 0; hops < 40; ++hops) {
        const QByteArray host = QFile::encodeName(path(p));
        char target[4096];
        const ssize_t n = ::readlink(host.constData(), target, sizeof target);
        if (n <= 0 || n == ssize_t(sizeof target))
            break;
        const QString t = QFile::decodeName(QByteArray(target, int(n)));
        p = t.startsWith('/') ? t : p.section('/', 0, -2) + '/' + t;
    }
    return path(p);
}

bool replaceFile(const QString &boardPath, const QByteArray &data)
{
    const QByteArray file = QFile::encodeName(realFile(boardPath));
    const QByteArray part = file + ".part";
    struct stat old {};
    const bool existed = ::stat(file.constData(), &old) == 0;
    const int fd = ::open(part.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = true;
    for (qsizetype done = 0; ok && done < data.size();) {
        const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
        if (n > 0)
            done += n;
        else
            ok = n < 0 && errno == EINTR;
    }
    // The old file's mode and owner; a file this program cannot give them stays as it was.
    if (existed)
        ok = ok && ::fchmod(fd, old.st_mode & 07777) == 0 && ::fchown(fd, old.st_uid, old.st_gid) == 0;
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(part.constData(), file.constData()) == 0;
    if (!ok)
        ::unlink(part.constData());
    return ok;
}

QByteArray readFile(const QString &boardPath, bool *ok)
{
    QFile f(realFile(boardPath));
    if (!f.open(QIODevice::ReadOnly)) {
        if (ok)
            *ok = false;
        return {};
    }
    if (ok)
        *ok = true;
    return f.readAll();
}

bool writeFile(const QString &boardPath, const QByteArray &data)
{
    QFile f(path(boardPath));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size();
}

bool exists(const QString &boardPath) { return QFileInfo::exists(path(boardPath)); }

}   // namespace board
