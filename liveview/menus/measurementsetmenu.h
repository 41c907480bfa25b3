#pragma once
// "Measurements": emissivity, ambient temperature and distance, one row each
// (pushButton_emissivity, pushButton_temp, pushButton_distance) with its value
// label on the right.
#include "app/menus/menuwindow.h"
#include "ui_measurementsetmenu.h"

extern bool measurementSetMenuEnabled;

class MeasurementSetMenu : public Screen<Ui::MeasurementSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit MeasurementSetMenu(QMainWindow *parent = nullptr);

    // True while the focused row is being edited.
    bool editing = false;

signals:
    void updateEmissivityForThermalCamera(float emissivity);
    void updateTempForThermalCamera(int celsius);
    void updateDistanceForThermalCamera(float metres);

public slots:
    // Opens with the focus on the emissivity row.
    void measurementSetMenuEnable();
    // Row editing and stepping; they act only while a row is edited.
    void update_Measure_editable();
    void measurement_upkey_press();
    void measurement_downkey_press();
    void initMeasurementSetMenu();
};
