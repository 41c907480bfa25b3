#include "settings/menus/temperatureunitsetmenu.h"

static bool temperatureUnitSetMenuEnabled = true;

TemperatureUnitSetMenu::TemperatureUnitSetMenu(QMainWindow *parent)
    : Screen(&temperatureUnitSetMenuEnabled, Setting{config::Main, *config::choice(QStringLiteral("temp_unit")), 0},
             parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&TemperatureUnitSetMenu::temperatureUnitSetMenuUpdateRbtn1,
                 &TemperatureUnitSetMenu::temperatureUnitSetMenuUpdateRbtn2});
}

void TemperatureUnitSetMenu::temperatureUnitSetMenuEnable() { toggle(); }
void TemperatureUnitSetMenu::temperatureUnitSetMenuUpdateRbtn1() { choose(0); }
void TemperatureUnitSetMenu::temperatureUnitSetMenuUpdateRbtn2() { choose(1); }
void TemperatureUnitSetMenu::temperatureUnitSetMenuAutoUpdate() { refocusChecked(); }
void TemperatureUnitSetMenu::factoryResetForTemperatureUnitSetMenu() { clickFactoryChoice(); }
