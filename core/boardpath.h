#pragma once
// Where a board path lives on this machine. On the device a board path is
// the path itself; with NORVIK7_ROOT=DIR in the environment the program runs
// on a simulated board rooted at DIR and every board path lives under DIR.
// The rest of the board layer (board/board.h) builds on this.

#include <QString>

namespace board {

bool isSimulated();
// Root folder of the simulated board (empty on the device).
QString simRoot();
// Re-reads NORVIK7_ROOT; tests call this after changing the environment.
void reloadEnvironment();

// The SD card's mount point.
constexpr const char *kCardMount = "/media/mmcblk0p1";

// Resolves an absolute board path to where it lives on this machine. Relative
// paths are taken from the working directory "/root". On the simulated board
// the result always stays under the root; names under the SD card folder are
// matched without regard to case, as on the card's FAT volume.
QString path(const QString &boardPath);

}   // namespace board
