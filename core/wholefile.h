#pragma once
// Files a user keeps are written whole or not at all.

#include <QByteArray>
#include <QString>

#include <functional>

namespace wholefile {

// Called before the file is written and again before it is renamed into place
// with the final (host) path; false stops the write there.
using Step = std::function<bool(const QString &hostPath)>;

// Writes `data` beside `hostPath` (".<suffix>.part" in its folder, synced to
// the medium) and renames it over the final name once complete; false, with
// the part file removed, when any step fails.
bool write(const QString &hostPath, const QByteArray &data, const Step &step = {});

}   // namespace wholefile
