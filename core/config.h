#pragma once
// The configuration store: six INI files, each read and written through a
// short-lived QSettings in INI format. There is no cache: every read opens the
// file (several reads may share one opening, see Batch) and every write is on
// disk when the call returns.

#include <QString>
#include <QStringList>
#include <QVariant>

namespace config {

struct Ini {
    const char *file;   // board path
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

// While a Batch of a file lives, reads of that file on this thread share one
// opening of it instead of one each (the live view reads its alert keys
// together five times a second). Writes still go to disk at once and are
// read back by the batch.
class Batch {
public:
    explicit Batch(const Ini &ini);
    ~Batch();
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
    struct Open;   // the file's one opening

private:
    Open *m_open;
    Open *m_outer;
};

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

// A number read back from a file within its range: text that does not parse
// (or is absent) gives `fallback`; a parsed value outside lo..hi is pinned to
// the nearer end, so a hand-edited or damaged file never yields a value the
// camera cannot take.
int readIntInRange(const Ini &ini, const QString &key, int lo, int hi, int fallback);
float readFloatInRange(const Ini &ini, const QString &key, float lo, float hi, float fallback);
// The same rule on text already read.
int intInRange(const QString &text, int lo, int hi, int fallback);
float floatInRange(const QString &text, float lo, float hi, float fallback);

// Numeric keys whose 0 (or absent, or unparsable) reading maps to a default,
// pinned to their ranges.
int readTrans();         // `trans`, 50 when 0, else within 0..100
int readPipTrans();      // `piptrans`, 100 when 0, else within 25..100
float readAlignment();   // `alignment`, 1.0 when 0, else within 0.5..3.0
// The visible picture's offsets in the image-calibration file, within 0..72
// and 0..96 (36 and 48 when absent or unparsable).
int readVlcPostX();
int readVlcPostY();

// Factory values of the main file, in the order the factory reset writes them.
struct Factory {
    const char *key;
    const char *text;
};
const QList<Factory> &factoryValues();

}   // namespace config
