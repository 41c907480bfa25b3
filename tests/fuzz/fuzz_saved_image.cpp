// Saved images come from the SD card, where any file may carry the name of
// one. Whatever a file holds, the reader reads nothing past its end, reads a
// buffer and the same bytes as a file alike, and finds the blocks only where
// they wholly fit.
#include "fuzztarget.h"
#include "media/savedimage.h"

#include <QImage>

using namespace savedimage;

// A whole file, cut ones, headers with sizes that lie, and no bitmap.
std::vector<std::string> fuzzSeeds()
{
    const auto header = [](uint32_t sizeField, int32_t w, int32_t h) {
        std::string s = "BM" + std::string(52, '\0');
        std::memcpy(&s[2], &sizeField, 4);
        std::memcpy(&s[18], &w, 4);
        std::memcpy(&s[22], &h, 4);
        return s;
    };
    QImage screen(240, 320, QImage::Format_RGB888);
    screen.fill(Qt::darkCyan);
    const std::vector<uint8_t> gray(240 * 320, 7);
    const std::vector<uint16_t> raw(256 * 192, 4600);
    const std::string full =
        buildFile(screen, exifBlock(gray.data(), colourTableFor(0), ExifFields{0, 365}), raw.data()).toStdString();
    return {full,
            full.substr(0, kBmpSize),
            full.substr(0, kBmpSize + kExifSize - 1),
            header(54, 240, 320) + std::string(kExifSize, 'x'),
            header(0xFFFFFFFFu, 240, 320),
            header(0x80000000u, -1, -320),
            "BM",
            "GIF89a not a bitmap"};
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzBoard scratch;
    static const QString path = scratch.root + "/IMG_0001.bmp";
    const auto *bytes = reinterpret_cast<const char *>(data);
    const Contents a = parse(bytes, static_cast<qint64>(size));
    check(!a.hasExif || (a.header && quint64(a.blockOffset) + kExifSize <= size),
          "block past the end or without a header");
    check(!a.hasRaw || quint64(a.blockOffset) + kExifSize + kRawSize <= size, "raw past the end");
    writeFile(path, data, size);
    bool opened = false;
    const Contents b = readFile(path, &opened);
    check(opened && a.header == b.header && a.hasExif == b.hasExif && a.hasRaw == b.hasRaw, "file and buffer disagree");
    const QByteArray g = readGray(path);
    check(!a.hasExif ||
              (a.fields == b.fields && a.colourTable == b.colourTable && g.size() == 240 * 320 &&
               std::memcmp(g.constData(), bytes + a.blockOffset, 240 * 320) == 0),
          "fields or gray differ");
    check(readRaw(path).size() == (a.hasRaw ? kRawSize : 0), "raw size");
    return 0;
}
