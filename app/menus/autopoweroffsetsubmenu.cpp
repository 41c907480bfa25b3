#include "app/menus/autopoweroffsetsubmenu.h"

#include "app/boardcommands.h"

static bool autoPowerOffSetSubMenuEnabled = true;

AutoPowerOffSetSubMenu::AutoPowerOffSetSubMenu(QMainWindow *parent)
    : Screen(&autoPowerOffSetSubMenuEnabled,
             Setting{config::Main, *config::choice(QStringLiteral("auto_power_off")), 2}, parent)
{
    bindChoices(this, {radioButton, radioButton_2, radioButton_3, radioButton_4},
                {&AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn1,
                 &AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn2,
                 &AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn3,
                 &AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn4});
}

void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuEnable() { toggle(); }
void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn1() { choose(0); }
void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn2() { choose(1); }
void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn3() { choose(2); }
void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuUpdateRbtn4() { choose(3); }

void AutoPowerOffSetSubMenu::updateAutoPowerOffSetting()
{
    storeChecked();
    emit updateAutoPowerOffSet();
}

void AutoPowerOffSetSubMenu::autoPowerOffSetSubMenuAutoUpdate() { refocusChecked(); }
void AutoPowerOffSetSubMenu::factoryResetForAutoPowerOffSetSubMenu() { clickFactoryChoice(); }
void AutoPowerOffSetSubMenu::autoPowerOffCmd() { boardcommands::runShutdownSequence(); }
