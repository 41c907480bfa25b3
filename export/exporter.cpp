#include "export/exporter.h"

#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "media/savedimage.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>
#include <QSaveFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace exporter {

using namespace savedimage;

namespace {

constexpr int kPixels = kFrameWidth * kFrameHeight;

struct Image {
    QString name;   // file name, for headers and descriptions
    Contents contents;
    QByteArray gray;               // 240 x 320 bytes, top row first
    std::vector<uint16_t> words;   // 256 rows x 192 raw words
};

// Why a file is not a saved thermal image, or empty when it is one.
QString whyNot(const QString &path, const Contents &c, bool opened)
{
    const QFileInfo info(path);
    if (!opened) {
        QFile f(path);
        f.open(QIODevice::ReadOnly);
        return QStringLiteral("cannot be read (%1)").arg(f.errorString());
    }
    const qint64 size = info.size();
    if (!c.header)
        return size < 26 ? QStringLiteral("too short for a BMP (%1 bytes)").arg(size)
                         : QStringLiteral("not a BMP file");
    if (c.width != kScreenWidth || c.height != kScreenHeight)
        return QStringLiteral("a %1 x %2 BMP, not a saved thermal image").arg(c.width).arg(c.height);
    const qint64 p = c.blockOffset;
    const qint64 whole = p + kExifSize + kRawSize;
    if (p < kBmpHeaderSize)
        return QStringLiteral("the header's size field (%1) points into the header").arg(p);
    if (!c.hasExif) {
        if (p == size)
            return QStringLiteral("a plain BMP: no temperature data follows the picture");
        if (p > size)
            return QStringLiteral("the temperature blocks lie outside the file (from byte %1 of a %2-byte file)")
                .arg(p)
                .arg(size);
        return QStringLiteral("truncated: the file ends inside the information block (%1 of %2 bytes)")
            .arg(size)
            .arg(whole);
    }
    if (c.fields.machineId != kMachineId)
        return QStringLiteral("not a saved thermal image (machine ID %1 where the camera writes %2)")
            .arg(c.fields.machineId)
            .arg(kMachineId);
    if (!c.hasRaw)
        return QStringLiteral("truncated: the file ends inside the temperature block (%1 of %2 bytes)")
            .arg(size)
            .arg(whole);
    return {};
}

QString load(const QString &path, bool needGray, bool needRaw, Image *img)
{
    const QFileInfo info(path);
    img->name = info.fileName();
    if (!info.isFile())
        return QStringLiteral("not a regular file");
    bool opened = false;
    img->contents = readFile(path, &opened);
    if (QString why = whyNot(path, img->contents, opened); !why.isEmpty())
        return why;
    if (needGray) {
        img->gray = readGray(path);
        if (img->gray.size() != kScreenWidth * kScreenHeight)
            return QStringLiteral("the picture block could not be read");
    }
    if (needRaw) {
        const QByteArray raw = readRaw(path);
        if (raw.size() != kRawSize)
            return QStringLiteral("the temperature block could not be read");
        img->words.resize(kPixels);
        qFromLittleEndian<uint16_t>(raw.constData(), kPixels, img->words.data());
    }
    return {};
}

// ---- numbers ------------------------------------------------------------------------

double inUnit(double celsius, Unit unit)
{
    switch (unit) {
    case Unit::Fahrenheit:
        return celsius * 1.8 + 32;
    case Unit::Kelvin:
        return celsius + 273.15;
    case Unit::Celsius:
        break;
    }
    return celsius;
}

double round2(double v) { return std::round(v * 100) / 100; }

// A stored temperature (0.1 degC) in the unit, to two decimals.
double stored(int16_t tenths, Unit unit) { return round2(inUnit(tenths / 10.0, unit)); }

char *putHundredths(char *p, int h)
{
    if (h < 0) {
        *p++ = '-';
        h = -h;
    }
    char digits[12];
    int n = 0;
    int whole = h / 100;
    do {
        digits[n++] = static_cast<char>('0' + whole % 10);
        whole /= 10;
    } while (whole);
    while (n)
        *p++ = digits[--n];
    *p++ = '.';
    *p++ = static_cast<char>('0' + h % 100 / 10);
    *p++ = static_cast<char>('0' + h % 10);
    return p;
}

struct UnitNames {
    const char *code, *sign, *words;
};
const UnitNames &namesOf(Unit unit)
{
    static const UnitNames names[] = {
        {"C", "°C", "degrees Celsius"}, {"F", "°F", "degrees Fahrenheit"}, {"K", " K", "kelvin"}};
    return names[static_cast<int>(unit)];
}

// The palette whose table the file stores. White Hot and Black Hot store the
// same grey table, so the file cannot tell them apart.
QString paletteName(const ColourTable &stored)
{
    if (stored == colormap_grayscale)
        return QStringLiteral("White Hot/Black Hot");
    for (int index = 0; index < palettes::kCount; ++index)
        if (stored == colourTableFor(index))
            return QString::fromLatin1(palettes::byNumber(index + 1)->label);
    return QStringLiteral("custom");
}

struct Stats {
    int pixels = 0;
    double mean = 0, stddev = 0;   // in the unit
    int min = 0, max = 0;          // hundredths of the unit
};

Stats statsOf(const std::vector<uint16_t> &words, const Region &r, Unit unit)
{
    // Exact in 64 bits for any region of the frame: n x 65535 stays below
    // 2^32, so squares x n and sum x sum both stay below 2^64 (also on the
    // board, whose compiler has no 128-bit integers).
    static_assert(uint64_t(kFrameWidth) * kFrameHeight * 65535 < (uint64_t(1) << 32));
    uint64_t sum = 0;
    uint64_t squares = 0;
    uint16_t lo = 65535, hi = 0;
    for (int y = r.y; y < r.y + r.h; ++y)
        for (int x = r.x; x < r.x + r.w; ++x) {
            const uint16_t v = words[y * kFrameWidth + x];
            sum += v;
            squares += uint64_t(v) * v;
            lo = std::min(lo, v);
            hi = std::max(hi, v);
        }
    const uint64_t n = uint64_t(r.w) * r.h;
    // n² x variance, exact in integers, then in words of 1/16 K.
    const uint64_t spread = squares * n - sum * sum;
    const double sdWords = std::sqrt(static_cast<double>(spread)) / n;
    const double meanWords = static_cast<double>(sum) / n;
    Stats s;
    s.pixels = static_cast<int>(n);
    s.mean = unit == Unit::Kelvin ? meanWords * 0.0625 : inUnit(meanWords * 0.0625 - 273.15, unit);
    s.stddev = sdWords * 0.0625 * (unit == Unit::Fahrenheit ? 1.8 : 1.0);
    s.min = hundredths(lo, unit);
    s.max = hundredths(hi, unit);
    return s;
}

QJsonObject statsJson(const Stats &s)
{
    return {{"pixels", s.pixels},
            {"mean", round2(s.mean)},
            {"min", s.min / 100.0},
            {"max", s.max / 100.0},
            {"stddev", round2(s.stddev)}};
}

// ---- formats ------------------------------------------------------------------------------

QByteArray csvOf(const Image &img, Unit unit)
{
    QByteArray out =
        "# " + img.name.toUtf8() + " temperatures in " + namesOf(unit).words + " (256 rows of 192 values)\n";
    const int header = out.size();
    out.resize(header + kPixels * 9);   // "-273.15," at the most
    char *p = out.data() + header;
    for (int y = 0; y < kFrameHeight; ++y) {
        const uint16_t *row = img.words.data() + y * kFrameWidth;
        for (int x = 0; x < kFrameWidth; ++x) {
            p = putHundredths(p, hundredths(row[x], unit));
            *p++ = x + 1 < kFrameWidth ? ',' : '\n';
        }
    }
    out.resize(p - out.constData());
    return out;
}

// A baseline TIFF: one strip of 192 x 256 unsigned 16-bit grey samples,
// little-endian, uncompressed, the scale in the ImageDescription tag.
QByteArray tiffOf(const Image &img)
{
    const QByteArray description =
        (img.name +
         QStringLiteral(": raw temperatures in 1/16 K; degrees Celsius = value * 0.0625 - 273.15, "
                        "kelvin = value * 0.0625 (scale 0.0625, offset -273.15)"))
            .toLatin1() +
        '\0';
    struct Entry {
        uint16_t tag, type;
        uint32_t count, value;
    };
    enum : uint16_t { Ascii = 2, Short = 3, Long = 4, Rational = 5 };
    constexpr int kEntries = 13;
    constexpr uint32_t kIfd = 8;
    constexpr uint32_t kResolution = kIfd + 2 + kEntries * 12 + 4;   // two rationals, 1/1
    constexpr uint32_t kDescription = kResolution + 16;
    const uint32_t pixels = (kDescription + description.size() + 1) & ~1u;
    const Entry entries[kEntries] = {
        {256, Short, 1, kFrameWidth},    // ImageWidth
        {257, Short, 1, kFrameHeight},   // ImageLength
        {258, Short, 1, 16},             // BitsPerSample
        {259, Short, 1, 1},              // Compression: none
        {262, Short, 1, 1},              // PhotometricInterpretation: black is zero
        {270, Ascii, uint32_t(description.size()), kDescription},
        {273, Long, 1, pixels},                // StripOffsets
        {277, Short, 1, 1},                    // SamplesPerPixel
        {278, Short, 1, kFrameHeight},         // RowsPerStrip
        {279, Long, 1, uint32_t(kRawSize)},    // StripByteCounts
        {282, Rational, 1, kResolution},       // XResolution
        {283, Rational, 1, kResolution + 8},   // YResolution
        {296, Short, 1, 1},                    // ResolutionUnit: none
    };
    QByteArray out(pixels + kRawSize, '\0');
    uchar *b = reinterpret_cast<uchar *>(out.data());
    b[0] = b[1] = 'I';
    qToLittleEndian<uint16_t>(42, b + 2);
    qToLittleEndian<uint32_t>(kIfd, b + 4);
    qToLittleEndian<uint16_t>(kEntries, b + kIfd);
    for (int i = 0; i < kEntries; ++i) {
        uchar *e = b + kIfd + 2 + 12 * i;
        qToLittleEndian<uint16_t>(entries[i].tag, e);
        qToLittleEndian<uint16_t>(entries[i].type, e + 2);
        qToLittleEndian<uint32_t>(entries[i].count, e + 4);
        if (entries[i].type == Short)   // a short value sits left-justified in the field
            qToLittleEndian<uint16_t>(static_cast<uint16_t>(entries[i].value), e + 8);
        else
            qToLittleEndian<uint32_t>(entries[i].value, e + 8);
    }
    for (uint32_t r = kResolution; r < kDescription; r += 4)
        qToLittleEndian<uint32_t>(1, b + r);
    std::memcpy(b + kDescription, description.constData(), description.size());
    qToLittleEndian<uint16_t>(img.words.data(), kPixels, b + pixels);
    return out;
}

uint32_t crc32(const char *data, size_t n, uint32_t crc = 0)
{
    static const std::array<uint32_t, 256> table = [] {
        std::array<uint32_t, 256> t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < n; ++i)
        crc = table[(crc ^ static_cast<uint8_t>(data[i])) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

void appendChunk(QByteArray *png, const char *type, const QByteArray &data)
{
    char be[4];
    qToBigEndian<uint32_t>(uint32_t(data.size()), be);
    png->append(be, 4);
    const int start = int(png->size());
    png->append(type, 4);
    png->append(data);
    qToBigEndian<uint32_t>(crc32(png->constData() + start, png->size() - start), be);
    png->append(be, 4);
}

// A PNG of an RGB888 picture enlarged `scale` times. The first row of each
// enlarged run is filtered by its left neighbours ("Sub"), its repeats by the
// row above ("Up", nearly all zeros), deflated fast: a general encoder's
// filter search costs several times more on such pictures.
QByteArray pngBytes(const QImage &rgb, int scale)
{
    const int w = rgb.width(), h = rgb.height(), rowBytes = 3 * w;
    QByteArray filtered(qsizetype(h) * (rowBytes + 1), '\0');
    for (int y = 0; y < h; ++y) {
        const uchar *row = rgb.constScanLine(y);
        uchar *out = reinterpret_cast<uchar *>(filtered.data()) + qsizetype(y) * (rowBytes + 1);
        if (y % scale) {
            const uchar *above = rgb.constScanLine(y - 1);
            out[0] = 2;
            for (int i = 0; i < rowBytes; ++i)
                out[1 + i] = static_cast<uchar>(row[i] - above[i]);
        } else {
            out[0] = 1;
            std::memcpy(out + 1, row, 3);
            for (int i = 3; i < rowBytes; ++i)
                out[1 + i] = static_cast<uchar>(row[i] - row[i - 3]);
        }
    }
    QByteArray header(13, '\0');
    qToBigEndian<uint32_t>(uint32_t(w), header.data());
    qToBigEndian<uint32_t>(uint32_t(h), header.data() + 4);
    header[8] = 8;   // bits per sample
    header[9] = 2;   // truecolour
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    appendChunk(&png, "IHDR", header);
    appendChunk(&png, "IDAT", qCompress(filtered, 1).mid(4));   // a zlib stream after Qt's length prefix
    appendChunk(&png, "IEND", {});
    return png;
}

QString degrees(int16_t tenths, Unit unit)
{
    return QString::number(stored(tenths, unit), 'f', unit == Unit::Kelvin ? 2 : 1) + QString::fromUtf8(unitSign(unit));
}

// The picture the camera coloured, enlarged `scale` times, with the colour
// bar (maximum above, minimum below) and the three marks.
QByteArray pngOf(const Image &img, const Options &o)
{
    constexpr int kPanel = 64;   // colour-bar panel right of the picture, screen pixels
    const int s = o.scale;
    const ExifFields &f = img.contents.fields;
    QImage canvas((kScreenWidth + kPanel) * s, kScreenHeight * s, QImage::Format_RGB888);
    const framepath::Rgb888Table table = framepath::expand(img.contents.colourTable, false);
    const uint8_t *gray = reinterpret_cast<const uint8_t *>(img.gray.constData());
    for (int y = 0; y < kScreenHeight; ++y) {
        const uint8_t *g = gray + y * kScreenWidth;
        uchar *line = canvas.scanLine(y * s);
        for (int x = 0; x < kScreenWidth; ++x)
            for (int k = 0; k < s; ++k)
                std::memcpy(line + 3 * (x * s + k), table.rgb[g[x]], 3);
        for (int k = 1; k < s; ++k)
            std::memcpy(canvas.scanLine(y * s + k), line, 3 * kScreenWidth * s);
    }
    QPainter p(&canvas);
    p.scale(s, s);
    p.fillRect(kScreenWidth, 0, kPanel, kScreenHeight, QColor(32, 32, 32));
    const QRect bar(kScreenWidth + 25, 22, 14, kScreenHeight - 44);
    for (int i = 0; i < bar.height(); ++i) {
        const uint8_t *c = table.rgb[255 - i * 255 / (bar.height() - 1)];
        p.fillRect(QRectF(bar.x(), bar.y() + i, bar.width(), 1), QColor(c[0], c[1], c[2]));
    }
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(11);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(kScreenWidth, 2, kPanel, 18), Qt::AlignCenter, degrees(f.maxTemp, o.unit));
    p.drawText(QRect(kScreenWidth, kScreenHeight - 20, kPanel, 18), Qt::AlignCenter, degrees(f.minTemp, o.unit));

    p.setRenderHint(QPainter::Antialiasing);
    auto mark = [&](int x, int y, const QColor &colour, int16_t tenths) {
        const QPointF at(std::clamp(x, 0, kScreenWidth - 1) + 0.5, std::clamp(y, 0, kScreenHeight - 1) + 0.5);
        for (const auto &[pen, width] : {std::pair{QColor(Qt::black), 3.0}, std::pair{colour, 1.4}}) {
            p.setPen(QPen(pen, width, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(at + QPointF(-6, 0), at + QPointF(6, 0));
            p.drawLine(at + QPointF(0, -6), at + QPointF(0, 6));
        }
        const QString text = QString::number(stored(tenths, o.unit), 'f', 1);
        const int w = p.fontMetrics().horizontalAdvance(text);
        const QPointF pos = at + QPointF(at.x() + 8 + w < kScreenWidth ? 8 : -8 - w, at.y() < 14 ? 14 : -4);
        p.setPen(Qt::black);
        p.drawText(pos + QPointF(1, 1), text);
        p.setPen(colour);
        p.drawText(pos, text);
    };
    mark(f.centerX, f.centerY, Qt::white, f.centerTemp);
    mark(f.minX, f.minY, QColor(80, 170, 255), f.minTemp);
    mark(f.maxX, f.maxY, QColor(255, 48, 48), f.maxTemp);
    p.end();

    return pngBytes(canvas, s);
}

QByteArray jsonOf(const Image &img, const Options &o)
{
    const ExifFields &f = img.contents.fields;
    auto marker = [](int x, int y) {
        // Screen pixels of the 240 x 320 picture and the frame pixel under them.
        return QJsonObject{{"x", x},
                           {"y", y},
                           {"column", std::clamp(x * 4 / 5, 0, kFrameWidth - 1)},
                           {"row", std::clamp(y * 4 / 5, 0, kFrameHeight - 1)}};
    };
    QJsonObject doc{
        {"file", img.name},
        {"unit", unitCode(o.unit)},
        {"max", stored(f.maxTemp, o.unit)},
        {"min", stored(f.minTemp, o.unit)},
        {"center", stored(f.centerTemp, o.unit)},
        {"emissivity", f.emissivity / 100.0},
        {"display_unit", f.unitFlag == 0 ? "C" : "F"},
        {"palette", paletteName(img.contents.colourTable)},
        {"markers",
         QJsonObject{{"max", marker(f.maxX, f.maxY)},
                     {"min", marker(f.minX, f.minY)},
                     {"center", marker(f.centerX, f.centerY)}}},
        {"frame", statsJson(statsOf(img.words, Region{false, 0, 0, kFrameWidth, kFrameHeight}, o.unit))},
    };
    QJsonArray regions;
    for (const Region &r : o.regions) {
        QJsonObject s = statsJson(statsOf(img.words, r, o.unit));
        if (r.spot)
            s.insert("spot", QJsonArray{r.x, r.y});
        else
            s.insert("box", QJsonArray{r.x, r.y, r.w, r.h});
        regions.append(s);
    }
    if (!regions.isEmpty())
        doc.insert("regions", regions);
    return QJsonDocument(doc).toJson(QJsonDocument::Indented);
}

QString infoOf(const Image &img, Unit unit)
{
    const ExifFields &f = img.contents.fields;
    return QStringLiteral("max %1, min %2, center %3, emissivity %4, palette %5")
        .arg(degrees(f.maxTemp, unit), degrees(f.minTemp, unit), degrees(f.centerTemp, unit),
             QString::number(f.emissivity / 100.0, 'f', 2), paletteName(img.contents.colourTable));
}

bool writeWhole(const QString &path, const QByteArray &data, QString *error)
{
    QSaveFile f(path);   // a file beside, renamed over the name once complete
    if (f.open(QIODevice::WriteOnly) && f.write(data) == data.size() && f.commit())
        return true;
    *error = QStringLiteral("cannot write %1 (%2)").arg(path, f.errorString());
    return false;
}

}   // namespace

int hundredths(uint16_t word, Unit unit)
{
    // Quarter hundredths: degC x 100 = word x 6.25 - 27315, degF x 100 = word x 11.25 - 45967.
    int q = 25 * word;
    if (unit == Unit::Celsius)
        q -= 109260;
    else if (unit == Unit::Fahrenheit)
        q = 45 * word - 183868;
    return q >= 0 ? (q + 2) / 4 : -((2 - q) / 4);
}

const char *unitSign(Unit unit) { return namesOf(unit).sign; }
const char *unitCode(Unit unit) { return namesOf(unit).code; }

Result exportImage(const QString &path, const QString &outStem, const Options &o)
{
    Result result;
    Image img;
    result.error = load(path, o.png, o.csv || o.tiff || o.json, &img);
    if (!result.error.isEmpty())
        return result;
    if (!o.anyFormat()) {
        result.info = infoOf(img, o.unit);
        return result;
    }
    // Every output made in memory first: a file either is written whole or is not touched.
    std::vector<std::pair<QString, QByteArray>> outputs;
    if (o.csv)
        outputs.emplace_back(outStem + ".csv", csvOf(img, o.unit));
    if (o.tiff)
        outputs.emplace_back(outStem + ".tiff", tiffOf(img));
    if (o.png) {
        outputs.emplace_back(outStem + ".png", pngOf(img, o));
        if (outputs.back().second.isEmpty()) {
            result.error = QStringLiteral("the PNG could not be encoded");
            return result;
        }
    }
    if (o.json)
        outputs.emplace_back(outStem + ".json", jsonOf(img, o));
    const QString source = QFileInfo(path).absoluteFilePath();
    for (const auto &[name, data] : outputs)
        if (QFileInfo(name).absoluteFilePath() == source) {
            result.error = QStringLiteral("its own %1 would replace it").arg(QFileInfo(name).suffix().toUpper());
            return result;
        }
    for (const auto &[name, data] : outputs) {
        if (!writeWhole(name, data, &result.error))
            return result;
        result.written << name;
    }
    return result;
}

}   // namespace exporter
