#include "calibration/menus/calimagesubmenu.h"

bool calImageSubMenuEnabled = true;

CalImageSubMenu::CalImageSubMenu(QMainWindow *parent) : Screen(&calImageSubMenuEnabled, parent)
{
    setButtons({pushButton});
}

void CalImageSubMenu::calImageSubMenuEnable() { openAtFirst(); }

// The alignment steps come with the image calibration.
