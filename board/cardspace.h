#pragma once
// Whether the SD card has room for one more capture. Capture asks before it
// freezes; the device information page reports the same rule.
#include <QtGlobal>

#include "board/board.h"

namespace cardspace {

// One capture writes the 406,096-byte thermal image and a JPEG of the visible
// picture (well under 300 KB at 240 x 320); with a margin that is about 1 MB.
// Free space is known in whole MB (rounded down), so "1 MB or less" is low.
constexpr quint64 kLowFreeMb = 1;

// The rule on a free-space reading. A card whose space cannot be read is not
// called low (the write itself then decides).
bool isLow(const board::DiskSpace &space);
// Reads the card's free space through the board layer and applies the rule.
bool cardIsLow();

}   // namespace cardspace
