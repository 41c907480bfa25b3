#include "settings/menus/upgradesubmenu.h"

bool upgradeSubMenuEnabled = true;

UpgradeSubMenu::UpgradeSubMenu(QMainWindow *parent) : Screen(&upgradeSubMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
}

void UpgradeSubMenu::upgradeSubMenuEnable() { openAtChecked(); }
