#pragma once
// One saved thermal image turned into desktop files: the temperatures as CSV,
// the raw words as a 16-bit TIFF, the false-colour picture as PNG, a JSON
// summary, or a one-line summary. The file is read through the camera's own
// saved-image module; every output is written whole or not at all.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace exporter {

enum class Unit { Celsius, Fahrenheit, Kelvin };   // this order indexes the tables of names

// A region of the temperature frame in frame pixels (column x, row y); a
// spot is a region of one pixel.
struct Region {
    bool spot = false;
    int x = 0, y = 0, w = 1, h = 1;
};

struct Options {
    bool csv = false, tiff = false, png = false, json = false;
    Unit unit = Unit::Celsius;
    int scale = 2;                 // PNG enlargement of the 240 x 320 picture
    std::vector<Region> regions;   // statistics asked for in the JSON
    bool anyFormat() const { return csv || tiff || png || json; }
};

struct Result {
    QStringList written;   // output paths, in the order csv, tiff, png, json
    QString info;          // the one-line summary, no format asked for ("max 36.5°C, ...")
    QString error;         // why the image was skipped; empty when it went well
};

// Reads `path` and writes the asked formats as `outStem` + ".csv", ".tiff",
// ".png", ".json" (or, with no format, fills the info line).
Result exportImage(const QString &path, const QString &outStem, const Options &options);

// ---- the pieces, for the command and the benchmark ------------------------------------

// A temperature word (1/16 K) in hundredths of the unit, rounded half away
// from zero; exact, as every word is a whole number of quarter hundredths.
int hundredths(uint16_t word, Unit unit);
const char *unitSign(Unit unit);   // "°C", "°F", "K"
const char *unitCode(Unit unit);   // "C", "F", "K"

}   // namespace exporter
