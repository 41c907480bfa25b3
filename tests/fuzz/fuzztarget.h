#pragma once
// What every fuzz target shares: the entry libFuzzer (or driver.cpp) calls,
// the built-in seeds of a target whose typical inputs are too big for its corpus, a check that ends the run with a message,
// a scratch folder on a RAM disk where there is one (the targets that go
// through files write one per input, and the configuration store syncs every
// file it writes), with a simulated board rooted in it where a target needs one,
// and the input written whole to a file there.
#include "board/board.h"

#include <QTemporaryDir>

#include <cstring>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
// Built-in seeds beside the corpus files, where a target has them.
__attribute__((weak)) std::vector<std::string> fuzzSeeds();

// Ends the run with `what` (qFatal aborts whatever message handler a target installed).
inline void check(bool ok, const char *what)
{
    if (!ok)
        qFatal("%s", what);
}

inline void writeFile(const QString &path, const void *data, size_t size)
{
    QFile f(path);
    check(f.open(QIODevice::WriteOnly) && f.write(static_cast<const char *>(data), qint64(size)) == qint64(size),
          "cannot write the file");
}

// A fresh simulated board in a scratch folder (or a folder `below` it), made once per run.
struct FuzzBoard {
    QTemporaryDir dir{(QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath()) +
                      QStringLiteral("/norvik7-fuzz-XXXXXX")};
    QString root;
    explicit FuzzBoard(const char *below = "") : root(dir.path() + below)
    {
        qputenv("NORVIK7_ROOT", root.toLocal8Bit());
        board::reloadEnvironment();
        board::seedIfNeeded();
    }
};
