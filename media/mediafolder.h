#pragma once
// The card's image folder "/media/mmcblk0p1/DCIM_100/": its listing, the
// names of its items and the gallery's window over the listing. No widget.
#include <QString>
#include <QStringList>

namespace mediafolder {

constexpr const char *kFolder = "/media/mmcblk0p1/DCIM_100/";
// More files than this and the listing is not taken.
constexpr int kMaxListed = 10000;
// The grid shows at most this many of the newest entries when it opens.
constexpr int kWindow = 9;

// Board path of a file of the folder.
QString boardPath(const QString &name);
// Host path of the folder (resolved through the board layer).
QString hostFolder();

enum class Status { Ok, Missing, Unreadable, TooMany };
struct Listing {
    Status status = Status::Missing;
    QStringList names;   // "*.bmp", by name
};
Listing listImages();

// The item text of a listed name: the name without ".bmp" (IMG_0001.bmp ->
// IMG_0001; IMG_0001_copy.bmp -> IMG_0001_copy, never a neighbour's name).
QString stem(const QString &name);
// The file an item stands for: a stem with "Qel" is a video (.avi), one with
// "IMG" an image (.bmp); any other stays as it is.
QString fileOfItem(const QString &text);
// First listing index the grid shows for N entries.
inline int firstShown(int count) { return count > kWindow ? count - kWindow : 0; }

// Scrolling back from listing index i with the selection on grid row 0..2:
// the first listing index to insert above, or -1 when nothing is added.
// `reachedFirst` is set when the window reaches the first entry.
int scrollBackStart(int i, int row, bool *reachedFirst);

// Image numbers: "IMG_0001.bmp" / "IMG_0001.jpg" for 1..9999.
QString imageName(int number, const char *extension);
// The first number from `wanted` on (wrapping from 9999 to 1) whose image and
// JPEG are both absent from `taken` (names in the folder, any case); 0 when
// all 9999 are taken.
int nextFreeNumber(int wanted, const QStringList &taken);

}   // namespace mediafolder
