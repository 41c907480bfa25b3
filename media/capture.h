#pragma once
// Image capture: its process-wide state and the writing of one image's files,
// whole or not at all. The main window's slots (norvik7_capture.cpp) drive it.
#include <QImage>
#include <QPoint>
#include <QString>

#include <cstdint>

// File-scope state of capture (GUI thread).
extern bool availableDiskSmall;      // the card is nearly full (device information page)
extern bool sdcardTipStatusEnable;   // the "No SD card!" tip may be shown

namespace capture {

// Everything one saved image is made of.
struct Shot {
    QImage screen;                   // 240 x 320 grab of the screen
    const uint8_t *gray = nullptr;   // 256 x 192
    const uint16_t *raw = nullptr;   // 256 x 192, left as it is (clamped in a copy)
    QString centre, max, min;        // displayed texts, display unit
    bool celsius = true;
    QString emissivity;            // "0.95"
    QPoint minMarker, maxMarker;   // top-left corners of the 32 x 32 marker labels
    int colorMap = 0;
};

// The counter: the number the next image gets, 1..9999 (anything else reads 1).
int readCounter();
void writeCounter(int next);

// The number the next image takes: the stored counter (1 when the folder was
// missing, which is then created), moved on past numbers whose image or JPEG
// is already on the card; 0 when every number is taken or the folder cannot
// be made.
int chooseNumber();

// The thermal image file's bytes.
QByteArray thermalFile(const Shot &shot);
// Writes a file beside its final name (".<suffix>.part" in its folder) and
// renames it once it is complete; false (and nothing left behind where the
// folder can still be written) when that fails.
bool writeWhole(const QString &boardPath, const QByteArray &data);
// The visible picture as the image's JPEG (fitted to 240 x 320, quality 100).
bool writeJpeg(const QString &boardPath, const QImage &visible);

// Board paths of image N.
QString bmpPath(int number);
QString jpgPath(int number);

}   // namespace capture
