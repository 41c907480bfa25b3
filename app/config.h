#pragma once
// The configuration store: six INI files, each read and written through a
// short-lived QSettings in INI format. There is no cache: every read opens the
// file and every write is on disk when the call returns.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace config {

struct Ini {
    const char *file;    // board path
    const char *group;
};

inline constexpr Ini Main{"/root/Norvik7_config.ini", "config"};
inline constexpr Ini System{"/root/SystemConfig.ini", "system"};
inline constexpr Ini CalTemp{"/root/CalTempConfig.ini", "config"};
inline constexpr Ini ImageCal{"/root/ImageCal_config.ini", "config"};
inline constexpr Ini Image{"/root/ImageConfig.ini", "config"};
inline constexpr Ini Sn{"/root/sn_config.ini", "config"};
// The copy of the main file that survives a power cycle.
inline constexpr const char *kMainIniSaved = "/etc/Norvik7_config.ini";

// Resolved file path of an INI file on this board.
QString filePath(const Ini &ini);

// Empty (invalid) variant when the key is absent or the file unreadable.
QVariant value(const Ini &ini, const QString &key);
QString readString(const Ini &ini, const QString &key);
// Unparsable or absent text reads as 0.
int readInt(const Ini &ini, const QString &key);
float readFloat(const Ini &ini, const QString &key);
bool contains(const Ini &ini, const QString &key);
void write(const Ini &ini, const QString &key, const QVariant &v);

// One-of-N settings: the stored texts in button order, the default button and
// whether the default text is written back when nothing matches.
struct Choice {
    const char *key;
    QStringList texts;
    int defaultIndex;
    bool writeDefault;
};

// Reading a choice at start: the index of the first stored text that matches,
// else the default index (writing its text back when the choice says so).
int readChoice(const Ini &ini, const Choice &choice);
int readChoice(const Choice &choice);   // in the main file

// The choices of the main file, by key; nullptr for keys that are not one-of-N.
const Choice *choice(const QString &key);

// Numeric keys whose 0 (or absent, or unparsable) reading maps to a default.
int readTrans();        // `trans`, 50 when 0
int readPipTrans();     // `piptrans`, 100 when 0
float readAlignment();  // `alignment`, 1.0 when 0

// Factory values of the main file, in the order the factory reset writes them.
struct Factory {
    const char *key;
    const char *text;
};
const QList<Factory> &factoryValues();
// Writes every factory value of the main file, then the system file's, then syncs.
void writeFactoryValues();

}  // namespace config
