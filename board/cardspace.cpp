#include "board/cardspace.h"

namespace cardspace {

bool isLow(const board::DiskSpace &space) { return space.ok && space.freeMb <= kLowFreeMb; }

bool cardIsLow() { return isLow(board::diskSpace(QString::fromLatin1(board::kCardMount) + '/')); }

}   // namespace cardspace
