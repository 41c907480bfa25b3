#include "liveview/menus/measurementsetmenu.h"

bool measurementSetMenuEnabled = true;

MeasurementSetMenu::MeasurementSetMenu(QMainWindow *parent) : Screen(&measurementSetMenuEnabled, parent)
{
    setButtons({pushButton_emissivity, pushButton_temp, pushButton_distance});
}

void MeasurementSetMenu::measurementSetMenuEnable()
{
    openFocusing(pushButton_emissivity);
}

void MeasurementSetMenu::update_Measure_editable() {}
void MeasurementSetMenu::measurement_upkey_press() {}
void MeasurementSetMenu::measurement_downkey_press() {}
void MeasurementSetMenu::initMeasurementSetMenu() {}
