#include "liveview/menus/colorsubmenu.h"

bool colorSubMenuEnabled = true;

ColorSubMenu::ColorSubMenu(QMainWindow *parent) : Screen(&colorSubMenuEnabled, parent)
{
    watchButtons({radioButton, radioButton_2, radioButton_3, radioButton_4, radioButton_5, radioButton_6, radioButton_7});
}

void ColorSubMenu::colorSubMenuEnable() { openIfHidden(); }

void ColorSubMenu::colorSubMenuAutoUpdate()
{
    if (isHidden())
        focusFirstChecked();
}

void ColorSubMenu::factoryResetForColorSubMenu()
{
    radioButton->click();
    colorSubMenuAutoUpdate();
}

void ColorSubMenu::menuTip(const QString &text, int x, int y, int flags) { emit colorMenuUpdateMenuTips(text, x, y, flags); }
