#include "board/board.h"
#include "board/sim_internal.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QMutex>
#include <QMutexLocker>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace board {
namespace {

QMutex logMutex;
std::function<void()> haltHandler;

void defaultHalt()
{
    std::fflush(stdout);
    std::fflush(stderr);
    ::_exit(0);
}

bool copyRecursively(const QString &from, const QString &to)
{
    QFileInfo src(from);
    if (src.isDir()) {
        if (!QDir().mkpath(to))
            return false;
        const QStringList entries = QDir(from).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        bool ok = true;
        for (const QString &e : entries)
            ok = copyRecursively(from + '/' + e, to + '/' + e) && ok;
        return ok;
    }
    QFile::remove(to);
    return QFile::copy(from, to);
}

void simCp(const QStringList &w)
{
    bool recursive = false;
    QStringList operands;
    for (int i = 1; i < w.size(); ++i) {
        if (w[i].startsWith('-') && w[i].size() > 1) {
            if (w[i].contains('r') || w[i].contains('R') || w[i].contains('a'))
                recursive = true;
        } else {
            operands << w[i];
        }
    }
    if (operands.size() < 2)
        return;
    const QString dest = path(operands.takeLast());
    const bool destIsDir = QFileInfo(dest).isDir();
    for (const QString &o : operands) {
        const QString src = path(o);
        QFileInfo si(src);
        if (!si.exists() || (si.isDir() && !recursive))
            continue;
        const QString target = destIsDir ? dest + '/' + si.fileName() : dest;
        const QString from = QDir::cleanPath(si.absoluteFilePath());
        const QString into = QDir::cleanPath(QFileInfo(target).absoluteFilePath());
        // Like cp, never a folder into itself: the copy would go on copying itself.
        if (into == from || (si.isDir() && into.startsWith(from == QLatin1String("/") ? from : from + '/')))
            continue;
        copyRecursively(src, target);
    }
}

void simRm(const QStringList &w)
{
    bool recursive = false;
    for (int i = 1; i < w.size(); ++i) {
        if (w[i].startsWith('-') && w[i].size() > 1) {
            if (w[i].contains('r') || w[i].contains('R'))
                recursive = true;
            continue;
        }
        const QString p = path(w[i]);
        // The root itself and its top folders are never removed.
        if (QDir(p) == QDir(simRoot()) || p == simRoot() + "/root" || p == simRoot() + "/sim")
            continue;
        QFileInfo fi(p);
        if (fi.isDir() && !fi.isSymLink()) {
            if (recursive)
                QDir(p).removeRecursively();
        } else if (fi.exists() || fi.isSymLink()) {
            QFile::remove(p);
        }
    }
}

void simMkdir(const QStringList &w)
{
    for (int i = 1; i < w.size(); ++i)
        if (!w[i].startsWith('-'))
            QDir().mkpath(path(w[i]));
}

// "echo TEXT > FILE" or "echo TEXT >> FILE".
bool simEcho(const QString &line)
{
    const int gt = line.indexOf('>');
    if (gt < 0)
        return false;
    const bool append = gt + 1 < line.size() && line[gt + 1] == '>';
    const QStringList textWords = sim::splitWords(line.left(gt)).mid(1);
    const QStringList fileWords = sim::splitWords(line.mid(gt + (append ? 2 : 1)));
    if (fileWords.size() != 1)
        return false;
    const QString target = path(fileWords.first());
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile f(target);
    if (!f.open(append ? (QIODevice::WriteOnly | QIODevice::Append) : (QIODevice::WriteOnly | QIODevice::Truncate)))
        return false;
    f.write((textWords.join(' ') + '\n').toLocal8Bit());
    return true;
}

void simFormatCard()
{
    QDir card(path(QString::fromLatin1(kCardMount)));
    const QStringList entries = card.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString &e : entries) {
        QFileInfo fi(card.filePath(e));
        if (fi.isDir() && !fi.isSymLink())
            QDir(fi.filePath()).removeRecursively();
        else
            QFile::remove(fi.filePath());
    }
}

}   // namespace

namespace sim {

QString simFile(const QString &name) { return simRoot() + QStringLiteral("/sim/") + name; }

QStringList splitWords(const QString &line)
{
    QStringList words;
    QString cur;
    bool inWord = false;
    QChar quote;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                cur += c;
            continue;
        }
        if (c == '\\' && i + 1 < line.size()) {
            cur += line[++i];
            inWord = true;
        } else if (c == '\'' || c == '"') {
            quote = c;
            inWord = true;
        } else if (c.isSpace()) {
            if (inWord)
                words << cur;
            cur.clear();
            inWord = false;
        } else {
            cur += c;
            inWord = true;
        }
    }
    if (inWord)
        words << cur;
    return words;
}

int carryOut(const QString &rawLine)
{
    const QString line = rawLine.trimmed();
    // Anything that chains or pipes commands is only logged: the simulated
    // board carries out single commands.
    if (line.contains(QLatin1String("&&")) || line.contains('|') || line.contains(';') || line.contains('`') ||
        line.contains(QLatin1String("$(")))
        return 0;
    const QStringList w = splitWords(line);
    if (w.isEmpty())
        return 0;
    const QString cmd = w.first();
    if (cmd == QLatin1String("cp"))
        simCp(w);
    else if (cmd == QLatin1String("rm"))
        simRm(w);
    else if (cmd == QLatin1String("mkdir"))
        simMkdir(w);
    else if (cmd == QLatin1String("echo"))
        return simEcho(line) ? 0 : 1;
    else if (cmd == QLatin1String("halt")) {
        if (haltHandler)
            haltHandler();
        else
            defaultHalt();
    } else if (cmd == QLatin1String("mkfs.vfat") && w.last() == QLatin1String(kCardDevice))
        simFormatCard();
    // sync, mount, umount, dd, hwclock, ifconfig, killall and the board
    // scripts are logged only. A script is not run, but what a shell answers
    // when it cannot start one is answered here too.
    else if (cmd.startsWith('/')) {
        const QFileInfo script(path(cmd));
        if (!script.isFile())
            return 127;
        if (!script.isExecutable())
            return 126;
    }
    return 0;
}

}   // namespace sim

void setHaltHandler(std::function<void()> handler) { haltHandler = std::move(handler); }

int run(const QString &commandLine)
{
    if (!isSimulated()) {
        const QByteArray c = commandLine.toLocal8Bit();
        const int status = ::system(c.constData());
        if (status == -1)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    {
        QMutexLocker lock(&logMutex);
        QDir().mkpath(simRoot() + QStringLiteral("/sim"));
        QFile log(sim::simFile(QStringLiteral("commands.log")));
        if (log.open(QIODevice::WriteOnly | QIODevice::Append)) {
            QString one = commandLine;
            one.replace('\n', ' ');
            log.write((one + '\n').toLocal8Bit());
            log.close();
        }
    }
    return sim::carryOut(commandLine);
}

}   // namespace board
