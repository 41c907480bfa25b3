#include "acquisition/palettenumber.h"

std::atomic<int> paletteNumber{0};
