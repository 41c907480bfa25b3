#pragma once
class QWidget;

namespace startup {
// Before the application object: enter the (simulated) board, seed it when new.
void prepareBoard();
// After it: fonts, cursor, translator of the stored language.
void prepareApplication();
// Top-level windows sit at their device position from the screen's top-left.
void placeOnScreen(QWidget *w, int x, int y);
}  // namespace startup
