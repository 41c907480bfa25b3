#pragma once
class QWidget;

namespace placement {
// Top-level windows sit at their device position from the screen's top-left.
void placeOnScreen(QWidget *w, int x, int y);
}   // namespace placement
