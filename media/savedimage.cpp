#include "media/savedimage.h"

#include <QFile>
#include <QImage>
#include <QtEndian>

#include <cmath>
#include <cstring>
#include <limits>

namespace savedimage {

namespace {

// A ramp through RGB565 entries given at grey levels, linear in each of the
// three components, exact at every stop.
struct Stop565 {
    int index;
    uint16_t entry;
};

constexpr int roundDiv(int num, int den)
{
    return num >= 0 ? (2 * num + den) / (2 * den) : -((-2 * num + den) / (2 * den));
}

template <size_t N>
constexpr ColourTable ramp565(const Stop565 (&stops)[N])
{
    ColourTable t{};
    for (size_t s = 0; s + 1 < N; ++s) {
        const int a = stops[s].entry, b = stops[s + 1].entry;
        const int span = stops[s + 1].index - stops[s].index;
        const int ar = a >> 11, ag = (a >> 5) & 63, ab = a & 31;
        const int br = b >> 11, bg = (b >> 5) & 63, bb = b & 31;
        for (int k = 0; k <= span; ++k) {
            const int r = ar + roundDiv((br - ar) * k, span);
            const int g = ag + roundDiv((bg - ag) * k, span);
            const int bl = ab + roundDiv((bb - ab) * k, span);
            t[stops[s].index + k] = static_cast<uint16_t>((r << 11) | (g << 5) | bl);
        }
    }
    return t;
}

// Black through a deep teal, crimson and orange to white.
constexpr Stop565 kLava[] = {{0, 0x0000},   {32, 0x01E9},  {64, 0x03D2},  {96, 0x520E}, {128, 0xA10A},
                             {160, 0xD985}, {192, 0xFB00}, {224, 0xFDB0}, {255, 0xFFFF}};

void put16(char *p, uint16_t v)
{
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}
// Four bytes and no more: the next field follows at once.
void put32(char *p, uint32_t v) { qToLittleEndian<quint32>(v, p); }
uint16_t get16(const char *p)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(p[0]) | (static_cast<uint8_t>(p[1]) << 8));
}
uint32_t get32(const char *p)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
}

// Float to an integer type, truncated toward zero and held at its ends
// (NaN reads 0).
template <class T>
T truncHeld(double v)
{
    if (std::isnan(v))
        return 0;
    if (v <= static_cast<double>(std::numeric_limits<T>::min()))
        return std::numeric_limits<T>::min();
    if (v >= static_cast<double>(std::numeric_limits<T>::max()))
        return std::numeric_limits<T>::max();
    return static_cast<T>(std::trunc(v));
}

int16_t tenths(const QString &text)
{
    const float v = text.trimmed().toFloat() * 10.0f;   // single precision
    return truncHeld<int16_t>(v);
}

void readFields(const char *b, Contents *c)
{
    ExifFields &f = c->fields;
    f.unitFlag = static_cast<uint8_t>(b[exif::Unit]);
    f.maxTemp = static_cast<int16_t>(get16(b + exif::MaxTemp));
    f.minTemp = static_cast<int16_t>(get16(b + exif::MinTemp));
    f.centerTemp = static_cast<int16_t>(get16(b + exif::CenterTemp));
    f.emissivity = static_cast<uint8_t>(b[exif::Emissivity]);
    f.machineId = get32(b + exif::MachineId);
    f.minX = get16(b + exif::MinX);
    f.minY = get16(b + exif::MinY);
    f.maxX = get16(b + exif::MaxX);
    f.maxY = get16(b + exif::MaxY);
    f.centerX = get16(b + exif::CenterX);
    f.centerY = get16(b + exif::CenterY);
    for (int i = 0; i < 256; ++i)
        c->colourTable[i] = get16(b + exif::ColourTable + 2 * i);
    c->hasExif = true;
}

bool readHeader(const char *h, qint64 size, Contents *c)
{
    if (size < 26 || h[0] != 'B' || h[1] != 'M')
        return false;
    c->header = true;
    c->blockOffset = get32(h + 2);
    c->width = static_cast<int32_t>(get32(h + 18));
    c->height = static_cast<int32_t>(get32(h + 22));
    return true;
}

// Whether [offset, offset + length) lies inside a file of `size` bytes.
bool inside(quint64 offset, quint64 length, qint64 size)
{
    return size >= 0 && offset + length <= static_cast<quint64>(size);
}

}   // namespace

const ColourTable colormap_Lava = ramp565(kLava);

const ColourTable &colourTableFor(int colorMap)
{
    switch (colorMap) {
    case 1:
        return colormap_RainBow;
    case 2:
        return colormap_grayscale;
    case 3:
        return colormap_chamo;
    case 4:
        return colormap_grayscale;
    case 5:
        return colormap_Lava;
    case 6:
        return colormap_RainBowHC;
    default:
        return colormap_Iron;
    }
}

bool ExifFields::operator==(const ExifFields &o) const
{
    return unitFlag == o.unitFlag && maxTemp == o.maxTemp && minTemp == o.minTemp && centerTemp == o.centerTemp &&
        emissivity == o.emissivity && machineId == o.machineId && minX == o.minX && minY == o.minY && maxX == o.maxX &&
        maxY == o.maxY && centerX == o.centerX && centerY == o.centerY;
}

StoredTemperatures storedTemperatures(const QString &centre, const QString &max, const QString &min, bool celsius)
{
    StoredTemperatures t{tenths(centre), tenths(max), tenths(min), 0};
    if (!celsius) {
        t.unitFlag = 1;
        for (int16_t *v : {&t.centre, &t.max, &t.min})
            *v = truncHeld<int16_t>(((*v / 10.0) - 32) * 5 / 9 * 10);
    }
    return t;
}

uint8_t storedEmissivity(const QString &text)
{
    const float v = text.trimmed().toFloat() * 100.0f;
    return truncHeld<uint8_t>(v);
}

void enlargeGray(const uint8_t *g, uint8_t *out)
{
    // Per column: source column, next column and weights; the same for rows.
    struct Step {
        int i0, i1;
        float w0, w1;
    };
    auto steps = [](int n, int last) {
        std::array<Step, kScreenHeight> s{};
        for (int k = 0; k < n; ++k) {
            const float f = static_cast<float>(k / 1.25);
            const int i = static_cast<int>(f);
            s[k] = {i, i + 1 > last ? last : i + 1, (i + 1) - f, f - i};
        }
        return s;
    };
    static const std::array<Step, kScreenHeight> cols = steps(kScreenWidth, kFrameWidth - 1);
    static const std::array<Step, kScreenHeight> rows = steps(kScreenHeight, kFrameHeight - 1);
    for (int y = 0; y < kScreenHeight; ++y) {
        const Step ry = rows[y];
        const uint8_t *r0 = g + ry.i0 * kFrameWidth;
        const uint8_t *r1 = g + ry.i1 * kFrameWidth;
        uint8_t *o = out + y * kScreenWidth;
        for (int x = 0; x < kScreenWidth; ++x) {
            const Step cx = cols[x];
            const float v = r0[cx.i0] * cx.w0 * ry.w0 + r1[cx.i0] * cx.w0 * ry.w1 + r0[cx.i1] * cx.w1 * ry.w0 +
                r1[cx.i1] * cx.w1 * ry.w1;
            o[x] = static_cast<uint8_t>(v);
        }
    }
}

void clampRaw(uint16_t *raw, int count, int16_t minTemp, int16_t maxTemp)
{
    const int lo = truncHeld<uint16_t>((minTemp / 10 + 273.15) * 16);
    const int hi = truncHeld<uint16_t>((maxTemp / 10 + 273.15) * 16);
    for (int i = 0; i < count; ++i) {
        int v = raw[i];
        if (v > 12209)
            v = std::min(v + 128, 65535);
        if (v <= lo)
            v = lo;
        if (v >= hi)
            v = hi;
        raw[i] = static_cast<uint16_t>(v);
    }
}

QByteArray bmpOf(const QImage &screen)
{
    QImage img = screen.size() == QSize(kScreenWidth, kScreenHeight)
        ? screen
        : screen.scaled(kScreenWidth, kScreenHeight, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (img.format() != QImage::Format_RGB888)
        img = img.convertToFormat(QImage::Format_RGB888);
    QByteArray out(kBmpSize, '\0');
    char *p = out.data();
    p[0] = 'B';
    p[1] = 'M';
    put32(p + 2, kBmpSize);
    put32(p + 10, kBmpHeaderSize);
    put32(p + 14, 40);
    put32(p + 18, kScreenWidth);
    put32(p + 22, kScreenHeight);
    put16(p + 26, 1);
    put16(p + 28, 24);
    put32(p + 30, 0);
    put32(p + 34, kBmpRowBytes * kScreenHeight);
    put32(p + 38, 2835);   // 72 dpi
    put32(p + 42, 2835);
    char *pixels = p + kBmpHeaderSize;
    for (int y = 0; y < kScreenHeight; ++y) {
        const uchar *src = img.constScanLine(y);
        char *dst = pixels + (kScreenHeight - 1 - y) * kBmpRowBytes;
        for (int x = 0; x < kScreenWidth; ++x) {
            dst[3 * x] = static_cast<char>(src[3 * x + 2]);
            dst[3 * x + 1] = static_cast<char>(src[3 * x + 1]);
            dst[3 * x + 2] = static_cast<char>(src[3 * x]);
        }
    }
    return out;
}

QByteArray exifBlock(const uint8_t *enlargedGray, const ColourTable &table, const ExifFields &f)
{
    QByteArray out(kExifSize, '\0');
    char *b = out.data();
    std::memcpy(b + exif::Gray, enlargedGray, kScreenWidth * kScreenHeight);
    for (int i = 0; i < 256; ++i)
        put16(b + exif::ColourTable + 2 * i, table[i]);
    b[exif::Unit] = static_cast<char>(f.unitFlag);
    put16(b + exif::MaxTemp, static_cast<uint16_t>(f.maxTemp));
    put16(b + exif::MinTemp, static_cast<uint16_t>(f.minTemp));
    b[exif::Marker255] = static_cast<char>(255);
    b[exif::Marker0] = 0;
    put16(b + exif::CenterTemp, static_cast<uint16_t>(f.centerTemp));
    b[exif::Emissivity] = static_cast<char>(f.emissivity);
    put32(b + exif::MachineId, f.machineId);
    put16(b + exif::MinX, f.minX);
    put16(b + exif::MinY, f.minY);
    put16(b + exif::MaxX, f.maxX);
    put16(b + exif::MaxY, f.maxY);
    put16(b + exif::CenterX, f.centerX);
    put16(b + exif::CenterY, f.centerY);
    return out;
}

QByteArray buildFile(const QImage &screen, const QByteArray &exif, const uint16_t *raw)
{
    QByteArray out = bmpOf(screen);
    out.reserve(kFileSize);
    // The block goes where the BMP's size field points.
    const uint32_t p = get32(out.constData() + 2);
    out.resize(p);
    out.append(exif.left(kExifSize));
    QByteArray rawBytes(kRawSize, '\0');
    for (int i = 0; i < kFrameWidth * kFrameHeight; ++i)
        put16(rawBytes.data() + 2 * i, raw[i]);
    out.append(rawBytes);
    return out;
}

Contents parse(const char *data, qint64 size)
{
    Contents c;
    if (!data || !readHeader(data, size, &c))
        return c;
    if (inside(c.blockOffset, kExifSize, size)) {
        readFields(data + c.blockOffset, &c);
        c.hasRaw = inside(quint64(c.blockOffset) + kExifSize, kRawSize, size);
    }
    return c;
}

Contents readFile(const QString &hostPath, bool *opened)
{
    Contents c;
    QFile f(hostPath);
    const bool ok = f.open(QIODevice::ReadOnly);
    if (opened)
        *opened = ok;
    if (!ok)
        return c;
    const qint64 size = f.size();
    char header[26];
    if (f.read(header, sizeof header) != sizeof header || !readHeader(header, size, &c))
        return c;
    if (inside(c.blockOffset, kExifSize, size) && f.seek(c.blockOffset)) {
        const QByteArray block = f.read(kExifSize);
        if (block.size() == kExifSize) {
            readFields(block.constData(), &c);
            c.hasRaw = inside(quint64(c.blockOffset) + kExifSize, kRawSize, size);
        }
    }
    return c;
}

namespace {
QByteArray readPart(const QString &hostPath, bool raw)
{
    bool opened = false;
    const Contents c = readFile(hostPath, &opened);
    if (!c.hasExif || (raw && !c.hasRaw))
        return {};
    QFile f(hostPath);
    if (!f.open(QIODevice::ReadOnly) || !f.seek(qint64(c.blockOffset) + (raw ? kExifSize : 0)))
        return {};
    const int length = raw ? kRawSize : kScreenWidth * kScreenHeight;
    const QByteArray data = f.read(length);
    return data.size() == length ? data : QByteArray();
}
}   // namespace

QByteArray readGray(const QString &hostPath) { return readPart(hostPath, false); }
QByteArray readRaw(const QString &hostPath) { return readPart(hostPath, true); }

}   // namespace savedimage
