#pragma once
// "Measurements": emissivity, ambient temperature and distance, one row each
// (pushButton_emissivity, pushButton_temp, pushButton_distance) with its value
// label on the right. OK starts and ends editing of the focused row; up and
// down step the edited value; the camera gets a value when its edit ends.
#include "core/menuwindow.h"
#include "ui_measurementsetmenu.h"

class QTimer;

class MeasurementSetMenu : public Screen<Ui::MeasurementSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit MeasurementSetMenu(QMainWindow *parent = nullptr);

    // True while the focused row is being edited.
    bool editing = false;

    float emissivity = 0.95f;
    int temprature_c = 25;
    int temprature_f = 77;
    float distance = 0.25f;

    // The emissivity's next delayed announcement to the camera (after the
    // reveal, during and after a temperature calibration, after a factory
    // reset); a newer one replaces one still pending.
    QTimer *emissivityTimer = nullptr;

    enum class Item { Emissivity, Temperature, Distance };
    // Steps one parameter (0 steps redraws its label and rewrites its key).
    void updateParameter(Item item, int steps);

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
    // After the live view first shows: the emissivity reaches the camera 1 s later.
    void initMeasurementSetMenu();
    void initMeasurementsOfEmissivity();
    void initMeasurementsOfTemp();
    void initMeasurementsOfDistance();
    // The temperature calibration measures a black body: emissivity 1.0 while
    // it runs, 0.95 again afterwards.
    void calTempForMeasurementSetMenu();
    void calTempDefaultForMeasurementSetMenu();
    void factoryResetForMeasurementSetMenu();

protected:
    void retranslate() override;
    void hideEvent(QHideEvent *event) override;

private:
    void step(int direction, int keyState);
    void redrawLabels();
    QLabel *labelOf(QWidget *row) const;
    QWidget *m_editedRow = nullptr;
};
