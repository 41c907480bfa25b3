// Saved images come from the SD card, where any file may carry the name of
// one. Whatever a file holds, the reader reads nothing past its end, reads a
// buffer and the same bytes as a file alike, and finds the blocks only where
// they wholly fit.
#include "fuzztarget.h"
#include "media/savedimage.h"

#include <QFile>
#include <QImage>

namespace {
std::string header(uint32_t sizeField, int32_t w, int32_t h)
{
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    std::memcpy(&s[2], &sizeField, 4);
    std::memcpy(&s[18], &w, 4);
    std::memcpy(&s[22], &h, 4);
    return s;
}

}   // namespace

std::vector<std::string> fuzzSeeds()
{
    QImage screen(240, 320, QImage::Format_RGB888);
    screen.fill(Qt::darkCyan);
    std::vector<uint8_t> gray(240 * 320, 7);
    std::vector<uint16_t> raw(256 * 192, 4600);
    savedimage::ExifFields f;
    f.maxTemp = 365;
    const QByteArray exif = savedimage::exifBlock(gray.data(), savedimage::colourTableFor(0), f);
    const QByteArray whole = savedimage::buildFile(screen, exif, raw.data());
    std::string full(whole.constData(), static_cast<size_t>(whole.size()));
    return {full,
            full.substr(0, savedimage::kBmpSize),
            full.substr(0, savedimage::kBmpSize + savedimage::kExifSize - 1),
            header(54, 240, 320) + std::string(savedimage::kExifSize, 'x'),
            header(0xFFFFFFFFu, 240, 320),
            header(0x80000000u, -1, -320),
            "BM",
            "GIF89a not a bitmap"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static QTemporaryDir dir{fuzzScratchTemplate()};
    static const QString path = dir.path() + "/IMG_0001.bmp";
    const auto *bytes = reinterpret_cast<const char *>(data);
    const savedimage::Contents a = savedimage::parse(bytes, static_cast<qint64>(size));
    if (a.hasExif)
        check(quint64(a.blockOffset) + savedimage::kExifSize <= size, "block found past the end");
    if (a.hasRaw)
        check(quint64(a.blockOffset) + savedimage::kExifSize + savedimage::kRawSize <= size, "raw past the end");
    check(!a.hasExif || a.header, "block without a header");

    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 0;
    f.write(bytes, static_cast<qint64>(size));
    f.close();
    bool opened = false;
    const savedimage::Contents b = savedimage::readFile(path, &opened);
    check(opened, "file not opened");
    check(a.header == b.header && a.hasExif == b.hasExif && a.hasRaw == b.hasRaw, "file and buffer disagree");
    if (a.hasExif) {
        check(a.fields == b.fields && a.colourTable == b.colourTable, "fields differ");
        const QByteArray g = savedimage::readGray(path);
        check(g.size() == 240 * 320 && std::memcmp(g.constData(), bytes + a.blockOffset, 240 * 320) == 0,
              "gray differs");
    }
    check(savedimage::readRaw(path).size() == (a.hasRaw ? savedimage::kRawSize : 0), "raw size");
    return 0;
}
