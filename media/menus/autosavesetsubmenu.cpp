#include "media/menus/autosavesetsubmenu.h"

static bool autoSaveSetSubMenuEnabled = true;

AutoSaveSetSubMenu::AutoSaveSetSubMenu(QMainWindow *parent)
    : Screen(&autoSaveSetSubMenuEnabled, Setting{config::Main, *config::choice(QStringLiteral("auto_save")), 0}, parent)
{
    bindChoices(
        this, {radioButton, radioButton_2},
        {&AutoSaveSetSubMenu::autoSaveSetSubMenuUpdateRbtn1, &AutoSaveSetSubMenu::autoSaveSetSubMenuUpdateRbtn2});
}

void AutoSaveSetSubMenu::autoSaveSetSubMenuEnable() { toggle(); }
void AutoSaveSetSubMenu::autoSaveSetSubMenuUpdateRbtn1() { choose(0); }
void AutoSaveSetSubMenu::autoSaveSetSubMenuUpdateRbtn2() { choose(1); }
void AutoSaveSetSubMenu::autoSaveSetSubMenuAutoUpdate() { refocusChecked(); }
void AutoSaveSetSubMenu::factoryResetForAutoSaveSetSubMenu() { clickFactoryChoice(); }
