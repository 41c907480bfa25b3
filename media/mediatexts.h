#pragma once
// Texts of the image and video information pages, worked out from what a
// file holds. No widget here.
#include <QString>

#include <optional>

#include "media/savedimage.h"

namespace mediatexts {

// The values of the image information page. A value left empty keeps the
// page's previous text.
struct ImageDetails {
    std::optional<QString> resolution;         // "240x320"
    std::optional<QString> emissivity;         // "0.95"
    std::optional<QString> unit;               // "℃ " or "℉ "
    std::optional<QString> centre, max, min;   // "36.5℃ "
};
// Nothing for a file without a BMP header or without its BmpExif block.
ImageDetails imageDetails(const savedimage::Contents &contents);

// Size of a video file: "512 Bytes", "1.50 K Bytes", "3.00 M Bytes"
// (`bytes` is the translated word); nothing from 1 GiB on.
std::optional<QString> sizeText(qint64 size, const QString &bytes);
// Length of a video: frame count / frames per second, both truncated, in
// whole seconds as "HH:mm:ss"; nothing without frames or rate.
std::optional<QString> lengthText(double frameCount, double fps);

// The date and time a file was made ("yyyy/MM/dd hh:mm:ss"; its creation
// time where the file system keeps one, else its last change).
QString fileTime(const QString &hostPath, const QString &format = QStringLiteral("yyyy/MM/dd hh:mm:ss"));

}   // namespace mediatexts
