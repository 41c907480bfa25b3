#include "media/videofile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLibrary>
#include <QStringList>

namespace videofile {

namespace {

struct Loaded {
    OpenFunction open = nullptr;
    QString error;
};

// Beside the program (the build tree, or a board with everything in one
// folder), the installed library folder next to the program's bin/, then
// the build tree and the install location this build was made for.
QStringList candidates()
{
    const QString name = QStringLiteral("libnorvik7video.so");
    QStringList dirs;
    if (QCoreApplication::instance()) {
        const QString app = QCoreApplication::applicationDirPath();
        dirs << app << app + QStringLiteral("/../" NORVIK7_INSTALL_LIBDIR "/norvik7");
    }
    dirs << QStringLiteral(NORVIK7_BUILD_DIR) << QStringLiteral(NORVIK7_INSTALL_FULL_LIBDIR "/norvik7");
    QStringList files;
    for (const QString &dir : dirs) {
        const QString file = QDir::cleanPath(dir + QLatin1Char('/') + name);
        if (!files.contains(file))
            files << file;
    }
    return files;
}

const Loaded &loaded()
{
    static const Loaded result = [] {
        Loaded l;
        QStringList reasons;
        for (const QString &file : candidates()) {
            if (!QFile::exists(file)) {
                reasons << file + QStringLiteral(": not there");
                continue;
            }
            // The library stays loaded for the rest of the process: a
            // QLibrary going out of scope does not unload it.
            QLibrary lib(file);
            lib.setLoadHints(QLibrary::ResolveAllSymbolsHint);
            if (lib.load()) {
                if (auto f = reinterpret_cast<OpenFunction>(lib.resolve(NORVIK7_VIDEO_ENTRY))) {
                    l.open = f;
                    return l;
                }
                reasons << file + QStringLiteral(": no " NORVIK7_VIDEO_ENTRY);
                lib.unload();
            } else {
                reasons << lib.errorString();
            }
        }
        l.error = QStringLiteral("The video decoder cannot be loaded (%1)").arg(reasons.join(QStringLiteral("; ")));
        return l;
    }();
    return result;
}

}   // namespace

std::unique_ptr<Decoder> open(const QString &path)
{
    const Loaded &l = loaded();
    if (!l.open)
        return nullptr;
    return std::unique_ptr<Decoder>(l.open(QFile::encodeName(path).constData()));
}

QString decoderError() { return loaded().error; }

}   // namespace videofile
