#pragma once
// "Temperature unit": Celsius or Fahrenheit, stored under `temp_unit`.
#include "core/menuwindow.h"
#include "ui_temperatureunitsetmenu.h"

class TemperatureUnitSetMenu : public Screen<Ui::TemperatureUnitSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit TemperatureUnitSetMenu(QMainWindow *parent = nullptr);

    bool celsius() const { return radioButton->isChecked(); }

public slots:
    void temperatureUnitSetMenuEnable();
    void temperatureUnitSetMenuUpdateRbtn1();   // Celsius
    void temperatureUnitSetMenuUpdateRbtn2();   // Fahrenheit
    void temperatureUnitSetMenuAutoUpdate();
    void factoryResetForTemperatureUnitSetMenu();
};
