#pragma once
#include <atomic>

// Palette number 1..7 in menu order; 0 until a palette slot has run (the loop
// then keeps its initial Iron table). Written by the GUI thread, read by the
// acquisition thread once per frame.
extern std::atomic<int> paletteNumber;
