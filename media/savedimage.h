#pragma once
// The saved thermal image: a 24-bit BMP of the 240 x 320 screen followed by
// the BmpExif block and the raw temperature block. Any image viewer shows the
// BMP; the image details page reads the appended blocks back.
//
//   offset 0          230454 bytes  BMP (file-size field = 230454 = P)
//   offset P           77338 bytes  BmpExif block
//   offset P + 77338   98304 bytes  raw temperatures, 256 rows x 192 words
//
// All multi-byte values are little-endian. Nothing here touches a widget.
#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

#include "acquisition/palettes.h"

class QImage;

namespace savedimage {

constexpr int kScreenWidth = 240;
constexpr int kScreenHeight = 320;
constexpr int kFrameWidth = 192;    // columns of the gray and raw frames
constexpr int kFrameHeight = 256;   // rows
constexpr int kBmpHeaderSize = 54;
constexpr int kBmpRowBytes = kScreenWidth * 3;
constexpr int kBmpSize = kBmpHeaderSize + kBmpRowBytes * kScreenHeight;   // 230454
constexpr int kExifSize = 77338;
constexpr int kRawSize = kFrameWidth * kFrameHeight * 2;     // 98304
constexpr int kFileSize = kBmpSize + kExifSize + kRawSize;   // 406096
constexpr uint32_t kMachineId = 6;

// Field offsets inside the BmpExif block.
namespace exif {
constexpr int Gray = 0;              // 240 x 320 bytes, top row first
constexpr int ColourTable = 76800;   // 256 RGB565 words
constexpr int Unit = 77312;          // 0 Celsius, 1 otherwise
constexpr int MaxTemp = 77313;       // i16, 0.1 degC
constexpr int MinTemp = 77315;
constexpr int Marker255 = 77317;
constexpr int Marker0 = 77318;
constexpr int CenterTemp = 77319;
constexpr int Emissivity = 77321;   // x 100
constexpr int MachineId = 77322;    // u32
constexpr int MinX = 77326;         // u16 each
constexpr int MinY = 77328;
constexpr int MaxX = 77330;
constexpr int MaxY = 77332;
constexpr int CenterX = 77334;
constexpr int CenterY = 77336;
}   // namespace exif

// The Lava table stored in saved files (the live Lava palette uses another).
extern const ColourTable colormap_Lava;
// Colour table stored for palette index 0..6 (menu order); Iron otherwise.
const ColourTable &colourTableFor(int colorMap);

// What the BmpExif block holds besides the gray picture and colour table.
struct ExifFields {
    uint8_t unitFlag = 0;
    int16_t maxTemp = 0;   // 0.1 degC
    int16_t minTemp = 0;
    int16_t centerTemp = 0;
    uint8_t emissivity = 0;   // x 100
    uint32_t machineId = kMachineId;
    uint16_t minX = 0, minY = 0, maxX = 0, maxY = 0;
    uint16_t centerX = 120, centerY = 160;
    bool operator==(const ExifFields &o) const;
};

// ---- numbers of a capture ------------------------------------------------------------

struct StoredTemperatures {
    int16_t centre = 0, max = 0, min = 0;   // 0.1 degC
    uint8_t unitFlag = 0;
};
// The displayed texts (one decimal, display unit) in 0.1 degC: parsed as
// float, x 10 in single precision, truncated. Fahrenheit texts are turned to
// Celsius and the unit flag is 1. Values beyond 16 bits are held at the ends.
StoredTemperatures storedTemperatures(const QString &centre, const QString &max, const QString &min, bool celsius);
// "0.95" -> 95 (single precision, truncated, held to 0..255).
uint8_t storedEmissivity(const QString &text);

// The gray frame (256 rows x 192 columns) enlarged by 1.25 into 320 rows x
// 240 columns by bilinear weights; the last row and column repeat past the end.
void enlargeGray(const uint8_t *gray, uint8_t *out);

// Clamps the raw frame in place for storage: words above 12209 gain 128,
// then they are held between the stored minimum and maximum (0.1 degC) in
// 1/16 K.
void clampRaw(uint16_t *raw, int count, int16_t minTemp, int16_t maxTemp);

// ---- writer -----------------------------------------------------------------------------

// The 24-bit BMP of a 240 x 320 picture (scaled first if it is another size).
QByteArray bmpOf(const QImage &screen);
// A zero-filled block with every field set.
QByteArray exifBlock(const uint8_t *enlargedGray, const ColourTable &table, const ExifFields &fields);
// The whole file: BMP, BmpExif block at the BMP's size field, raw block.
// `raw` is the clamped frame of 256 x 192 words.
QByteArray buildFile(const QImage &screen, const QByteArray &exif, const uint16_t *raw);

// ---- reader -----------------------------------------------------------------------------

struct Contents {
    bool header = false;   // a BMP header was read (at least 26 bytes, "BM")
    int32_t width = 0, height = 0;
    uint32_t blockOffset = 0;   // the file-size field
    bool hasExif = false;       // the BmpExif block lies wholly inside the file
    ExifFields fields;
    std::array<uint16_t, 256> colourTable{};
    bool hasRaw = false;   // the raw block follows it wholly
};
// Reads what a buffer holds; never reads past `size`.
Contents parse(const char *data, qint64 size);
// Reads a file (host path) the same way, reading only the header and the
// blocks; a file that cannot be opened gives an empty result and *opened false.
Contents readFile(const QString &hostPath, bool *opened = nullptr);
// The gray picture (76800 bytes) and raw block (98304 bytes) of a file,
// empty when absent.
QByteArray readGray(const QString &hostPath);
QByteArray readRaw(const QString &hostPath);

}   // namespace savedimage
