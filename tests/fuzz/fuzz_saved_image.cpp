// Saved images come from the SD card, where any file may carry the name of
// one. Whatever a file holds, the reader reads nothing past its end, reads a
// buffer and the same bytes as a file alike, and finds the blocks only where
// they wholly fit.
#include "fuzztarget.h"
#include "common/livedevice.h"
#include "media/savedimage.h"

using namespace savedimage;

// A whole file and two cut ones (the headers that lie and the files that are no bitmap are corpus files).
std::vector<std::string> fuzzSeeds()
{
    const std::string full = imageFile(7, ExifFields{0, 365}).toStdString();
    return {full, full.substr(0, kBmpSize), full.substr(0, kBmpSize + kExifSize - 1)};
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
