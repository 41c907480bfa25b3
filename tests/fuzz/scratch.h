#pragma once
// A fuzz target's scratch folder, on a RAM disk where there is one: the
// targets that go through files write one per input, and the configuration
// store syncs every file it writes.
#include <QDir>
#include <QString>
#include <QTemporaryDir>

inline QString fuzzScratchTemplate()
{
    const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    return base + QStringLiteral("/norvik7-fuzz-XXXXXX");
}
