#include "settings/menus/factoryresetsetmenu.h"

bool factoryResetSetMenuEnabled = true;

FactoryResetSetMenu::FactoryResetSetMenu(QMainWindow *parent)
    : Screen(&factoryResetSetMenuEnabled,
             Setting{config::Main, {"factory_reset", {QStringLiteral("Yes"), QStringLiteral("No")}, 1, true}, 1,
                     Start::Default},
             parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn1, &FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn2});
}

void FactoryResetSetMenu::factoryResetSetMenuEnable() { toggle(); }
void FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn1() { choose(0); }
void FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn2() { choose(1); }
void FactoryResetSetMenu::setFactoryRestDoneStatus() { factoryResetDone = true; }
void FactoryResetSetMenu::factoryResetSetMenuAutoUpdate() { refocusChecked(); }
