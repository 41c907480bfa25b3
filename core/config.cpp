#include "core/config.h"

#include "core/boardpath.h"
#include "core/wholefile.h"

#include <QFile>
#include <QSettings>
#include <QtGlobal>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

namespace config {
namespace {

// ---- values Qt would build objects from ---------------------------------------
// Qt's INI reader builds a Qt object of any type from a value written as
// "@Variant(...)" or "@DateTime(...)", straight from the bytes in the file
// (a value naming a picture type even stops a program without a screen).
// Nothing here stores such a value: one found in a file was put there by hand
// or by damage. Before Qt reads a file, each such value is rewritten as the
// plain text it spells (the file replaced whole), so the key reads as that
// text, an unparsable number, and no object is ever built from file bytes.
namespace typed {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }
int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The elements of a raw value as Qt's reader decodes them: leading blanks
// skipped, quotes, backslash escapes, unquoted commas between list elements.
QStringList elements(QByteArrayView raw)
{
    QStringList out;
    QString cur;
    bool inQuotes = false;
    bool quoted = false;       // the element had quotes: its blanks are its own
    qsizetype chopLimit = 0;   // blanks before here came from escapes
    qsizetype i = 0;
    const qsizetype n = raw.size();
    auto skipBlanks = [&] {
        while (i < n && (raw[i] == ' ' || raw[i] == '\t'))
            ++i;
    };
    auto endElement = [&] {
        if (!quoted)
            while (cur.size() > chopLimit && (cur.endsWith(u' ') || cur.endsWith(u'\t')))
                cur.chop(1);
        out << cur;
        cur.clear();
        quoted = false;
        chopLimit = 0;
    };
    skipBlanks();
    while (i < n) {
        const char c = raw[i];
        if (c == '\\') {
            if (++i >= n)
                break;
            const char e = raw[i++];
            static const char codes[] = "a\ab\bf\fn\nr\rt\tv\v\"\"?\?''\\\\";
            const char *code = nullptr;
            for (const char *p = codes; *p; p += 2)
                if (*p == e)
                    code = p;
            if (code) {
                cur += QChar(code[1]);
            } else if (e == 'x' || (e >= '0' && e <= '7')) {
                const int base = e == 'x' ? 16 : 8;
                char16_t v = e == 'x' ? 0 : char16_t(e - '0');
                bool any = e != 'x';
                while (i < n && hexValue(raw[i]) >= 0 && hexValue(raw[i]) < base) {
                    v = char16_t(v * base + hexValue(raw[i++]));
                    any = true;
                }
                if (any)
                    cur += QChar(v);
            }   // any other escape (a line continuation too) adds nothing
            chopLimit = cur.size();
        } else if (c == '"') {
            ++i;
            quoted = true;
            inQuotes = !inQuotes;
            if (!inQuotes)
                skipBlanks();
        } else if (c == ',' && !inQuotes) {
            endElement();
            ++i;
            skipBlanks();
        } else {
            qsizetype j = i + 1;
            while (j < n && raw[j] != '\\' && raw[j] != '"' && raw[j] != ',')
                ++j;
            cur += QString::fromUtf8(raw.sliced(i, j - i));
            i = j;
        }
    }
    endElement();
    return out;
}

bool builtFromBytes(const QString &s)
{
    return s.endsWith(u')') && (s.startsWith(QLatin1String("@Variant(")) || s.startsWith(QLatin1String("@DateTime(")));
}

// The value as a quoted INI string Qt reads back as exactly this text. A hex
// escape takes every hex digit after it, so a digit right after one is
// escaped too.
QByteArray quoted(const QString &text)
{
    QByteArray out = "\"";
    bool afterEscape = false;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        const bool escape = u < 0x20 || u >= 0x7f || (afterEscape && u < 0x80 && hexValue(char(u)) >= 0);
        if (escape) {
            out += "\\x" + QByteArray::number(u, 16);
        } else {
            if (u == '"' || u == '\\')
                out += '\\';
            out += char(u);
        }
        afterEscape = escape;
    }
    return out + '"';
}

// The file with every value Qt would build an object from rewritten as
// plain text; `changed` says whether there was one. Lines are found the way
// Qt's reader finds them: quotes hold line ends and a ';' outside quotes
// starts a comment.
QByteArray plain(const QByteArray &data, bool *changed)
{
    QByteArray out;
    *changed = false;
    qsizetype pos = 0, copied = 0;
    const qsizetype n = data.size();
    while (pos < n) {
        while (pos < n && isSpace(data[pos]))
            ++pos;
        const qsizetype start = pos;
        qsizetype equals = -1;
        bool inQuotes = false;
        if (pos < n && data[pos] == ';') {
            while (pos < n && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
            continue;
        }
        while (pos < n) {
            const char c = data[pos];
            if ((c == '\n' || c == '\r' || c == ';') && !inQuotes)
                break;
            ++pos;
            if (c == '=' && !inQuotes && equals < 0)
                equals = pos - 1;
            else if (c == '"')
                inQuotes = !inQuotes;
            else if (c == '\\' && pos < n)
                ++pos;   // an escaped character, a line end too
        }
        const qsizetype end = pos;
        if (pos < n && data[pos] == ';')
            while (pos < n && data[pos] != '\n' && data[pos] != '\r')
                ++pos;
        if (equals < 0 || data[start] == '[')
            continue;
        qsizetype valueStart = equals + 1;
        while (valueStart < end && isSpace(data[valueStart]))
            ++valueStart;
        const QStringList parts = elements(QByteArrayView(data).sliced(valueStart, end - valueStart));
        if (std::none_of(parts.begin(), parts.end(), builtFromBytes))
            continue;
        QString text = parts.join(QLatin1String(", "));
        if (text.startsWith(u'@'))
            text.prepend(u'@');   // Qt reads "@@..." as the text "@..."
        out += data.mid(copied, valueStart - copied) + quoted(text);
        copied = end;
        *changed = true;
    }
    return *changed ? out + data.mid(copied) : data;
}

// False when the file holds such a value and cannot be rewritten: it must
// not be read then. The file is read whole each time (it is small): a check
// kept by size and time could miss a change made within the clock's tick.
bool makePlain(const Ini &ini)
{
    QFile f(filePath(ini));
    if (!f.open(QIODevice::ReadOnly))
        return true;   // absent, or Qt cannot read it either
    bool changed = false;
    const QByteArray text = plain(f.readAll(), &changed);
    f.close();
    if (!changed)
        return true;
    qWarning("config: %s held values Qt would build objects from; rewritten as plain text", qPrintable(f.fileName()));
    return wholefile::write(f.fileName(), text);
}

}   // namespace typed

std::unique_ptr<QSettings> open(const Ini &ini)
{
    // A file that keeps such a value is not read at all: its keys read as absent.
    auto s = std::make_unique<QSettings>(typed::makePlain(ini) ? filePath(ini) : QString(), QSettings::IniFormat);
    s->beginGroup(QString::fromLatin1(ini.group));
    return s;
}

const QList<Choice> &choices()
{
    static const QList<Choice> list = {
        {"color", {"Iron", "Rainbow", "WhiteHot", "RedHot", "BlackHot", "Lava", "RainbowHC"}, 0, false},
        {"image_mode", {"thermal", "digital", "fusion", "pip", "alignment"}, 0, false},
        {"center_focus", {"Yes", "No"}, 1, true},
        {"hilo_focus", {"Yes", "No"}, 0, true},
        {"zone", {"Yes", "No"}, 1, true},
        {"temperature_scale", {"high_gain", "low_gain"}, 0, true},
        {"temp_unit", {"C", "F"}, 0, true},
        {"high_alert", {"On", "Off"}, 1, true},
        {"low_alert", {"On", "Off"}, 1, true},
        {"display_intensity", {"Low", "Medium", "High"}, 1, true},
        {"auto_power_off", {"5Minutes", "10Minutes", "30Minutes", "Off"}, 2, true},
        {"auto_save", {"No", "Yes"}, 0, true},
        {"wifi_switch", {"On", "Off"}, 1, false},
        {"language", {"English", "Chinese"}, 1, true},
        {"time_format", {"12H", "24H"}, 1, true},
        {"usb_mode", {"usbcamera"}, 0, false},
    };
    return list;
}

}   // namespace

struct Batch::Open {
    Ini ini;
    QSettings *settings;
};

namespace {
thread_local Batch::Open *t_batch = nullptr;
std::atomic<unsigned> g_writes{0};   // every write through this store counts

// The last opening of each file a batch made on this thread, kept while the
// file on disk is the one it read (same inode, size and modification time)
// and nothing was written through this store since: opening the file anew
// costs more than the reads a batch makes.
struct KeptOpening {
    QString path;
    QByteArray group;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = -1;
    timespec modified{};
    unsigned writes = 0;
    std::unique_ptr<QSettings> settings;
};
thread_local std::vector<KeptOpening> t_kept;

QSettings *openingFor(const Ini &ini)
{
    const QString path = filePath(ini);
    struct stat st {};
    const bool exists = ::stat(QFile::encodeName(path).constData(), &st) == 0;
    const unsigned writes = g_writes.load();
    auto same = [&](const KeptOpening &k) {
        return exists && k.device == st.st_dev && k.inode == st.st_ino && k.size == st.st_size &&
            k.modified.tv_sec == st.st_mtim.tv_sec && k.modified.tv_nsec == st.st_mtim.tv_nsec && k.writes == writes;
    };
    auto kept = std::find_if(t_kept.begin(), t_kept.end(),
                             [&](const KeptOpening &k) { return k.path == path && k.group == ini.group; });
    if (kept == t_kept.end()) {
        t_kept.emplace_back();
        t_kept.back().path = path;
        t_kept.back().group = ini.group;
        kept = t_kept.end() - 1;
    }
    KeptOpening &k = *kept;
    if (!k.settings || !same(k)) {
        k.settings = open(ini);
        k.device = exists ? st.st_dev : 0;
        k.inode = exists ? st.st_ino : 0;
        k.size = exists ? st.st_size : -1;
        k.modified = exists ? st.st_mtim : timespec{};
        k.writes = writes;
    }
    return k.settings.get();
}

QSettings *batchFor(const Ini &ini)
{
    if (t_batch && std::strcmp(t_batch->ini.file, ini.file) == 0 && std::strcmp(t_batch->ini.group, ini.group) == 0)
        return t_batch->settings;
    return nullptr;
}
}   // namespace

Batch::Batch(const Ini &ini) : m_open(new Open{ini, openingFor(ini)}), m_outer(t_batch) { t_batch = m_open; }

Batch::~Batch()
{
    t_batch = m_outer;
    delete m_open;
}

QString filePath(const Ini &ini) { return board::path(QString::fromLatin1(ini.file)); }

QVariant value(const Ini &ini, const QString &key)
{
    if (QSettings *b = batchFor(ini))
        return b->value(key);
    auto s = open(ini);
    return s->value(key);
}

QString readString(const Ini &ini, const QString &key) { return value(ini, key).toString(); }

int readInt(const Ini &ini, const QString &key)
{
    bool ok = false;
    const int v = readString(ini, key).trimmed().toInt(&ok);
    return ok ? v : 0;
}

float readFloat(const Ini &ini, const QString &key)
{
    bool ok = false;
    const float v = readString(ini, key).trimmed().toFloat(&ok);
    return ok ? v : 0.0f;
}

bool contains(const Ini &ini, const QString &key)
{
    auto s = open(ini);
    return s->contains(key);
}

void write(const Ini &ini, const QString &key, const QVariant &v)
{
    ++g_writes;
    auto s = open(ini);
    s->setValue(key, v);
    s->endGroup();
    s->sync();
}

int readChoice(const Ini &ini, const Choice &c)
{
    const QString stored = readString(ini, QString::fromLatin1(c.key));
    for (int i = 0; i < c.texts.size(); ++i)
        if (stored == c.texts[i])
            return i;
    if (c.writeDefault && c.defaultIndex >= 0 && c.defaultIndex < c.texts.size())
        write(ini, QString::fromLatin1(c.key), c.texts[c.defaultIndex]);
    return c.defaultIndex;
}

int readChoice(const Choice &c) { return readChoice(Main, c); }

const Choice *choice(const QString &key)
{
    for (const Choice &c : choices())
        if (key == QLatin1String(c.key))
            return &c;
    return nullptr;
}

int intInRange(const QString &text, int lo, int hi, int fallback)
{
    bool ok = false;
    const QString t = text.trimmed();
    int v = t.toInt(&ok);
    if (!ok) {
        // "25.0" or "1e2" still names a number; round it.
        const double d = t.toDouble(&ok);
        if (!ok || !std::isfinite(d))
            return fallback;
        v = d >= hi ? hi : d <= lo ? lo : int(std::lround(d));
    }
    return std::clamp(v, lo, hi);
}

float floatInRange(const QString &text, float lo, float hi, float fallback)
{
    bool ok = false;
    const float v = text.trimmed().toFloat(&ok);
    if (!ok || !std::isfinite(v))
        return fallback;
    return std::clamp(v, lo, hi);
}

int readIntInRange(const Ini &ini, const QString &key, int lo, int hi, int fallback)
{
    return intInRange(readString(ini, key), lo, hi, fallback);
}

float readFloatInRange(const Ini &ini, const QString &key, float lo, float hi, float fallback)
{
    return floatInRange(readString(ini, key), lo, hi, fallback);
}

int readTrans()
{
    // 0 (or nothing) means the default; anything else is pinned to 0..100.
    const int v = readIntInRange(Main, QStringLiteral("trans"), -1, 100, 0);
    return v == 0 ? 50 : std::max(v, 0);
}

int readPipTrans()
{
    // 0 (or nothing) means the default; anything else is pinned to 25..100.
    const int v = readIntInRange(Main, QStringLiteral("piptrans"), -1, 100, 0);
    return v == 0 ? 100 : std::max(v, 25);
}

float readAlignment()
{
    const float v = readFloatInRange(Main, QStringLiteral("alignment"), -1.0f, 3.0f, 0.0f);
    return v == 0.0f ? 1.0f : std::max(v, 0.5f);
}

int readVlcPostX() { return readIntInRange(ImageCal, QStringLiteral("vlc_post_x"), 0, 72, 36); }
int readVlcPostY() { return readIntInRange(ImageCal, QStringLiteral("vlc_post_y"), 0, 96, 48); }

const QList<Factory> &factoryValues()
{
    static const QList<Factory> list = {
        {"center_focus", "No"},
        {"hilo_focus", "Yes"},
        {"low_focus", "No"},
        {"zone", "No"},
        {"color", "Iron"},
        {"move_cursor_1", "No"},
        {"move_cursor_2", "No"},
        {"move_cursor_3", "No"},
        {"image_mode", "thermal"},
        {"language", "Chinese"},
        {"time_format", "24H"},
        {"temp_unit", "C"},
        {"high_alert", "Off"},
        {"low_alert", "Off"},
        {"high_temp_c", "130"},
        {"low_temp_c", "20"},
        {"high_temp_f", "266"},
        {"low_temp_f", "68"},
        {"high_temp_k", "403"},
        {"low_temp_k", "293"},
        {"led_alert", "Off"},
        {"emissivity", "0.95"},
        {"ref_temprature_c", "25"},
        {"ref_temprature_f", "77"},
        {"ref_temprature_k", "298"},
        {"meas_distance", "0.25"},
        {"display_intensity", "Medium"},
        {"auto_power_off", "30Minutes"},
        {"usb_mode", "usbcamera"},
        {"auto_save", "No"},
        {"factory_reset", "No"},
        {"format_sdcard", "No"},
        {"trans", "50"},
        {"alignment", "1.0"},
        {"temperature_scale", "high_gain"},
        {"wifi_switch", "Off"},
    };
    return list;
}

}   // namespace config
