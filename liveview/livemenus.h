#pragma once
// The connections of the live view's menus made by the main window: the
// colour bar and the alert menu on the 500 ms timer, the palette preview to
// the acquisition thread, the measurement parameters at start-up and during
// the temperature calibration.
class Norvik7;
void connectLiveMenus(Norvik7 *w);
