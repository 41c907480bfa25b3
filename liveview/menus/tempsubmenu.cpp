#include "liveview/menus/tempsubmenu.h"

bool tempSubMenuEnabled = true;

TempSubMenu::TempSubMenu(QMainWindow *parent) : Screen(&tempSubMenuEnabled, parent)
{
    watchButtons({checkBox, checkBox_2, checkBox_3});
}

void TempSubMenu::tempSubMenuEnable() { openAtChecked(); }

void TempSubMenu::menuTip(const QString &text, int x, int y, int flags) { emit tempMenuUpdateMenuTips(text, x, y, flags); }
