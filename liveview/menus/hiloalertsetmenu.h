#pragma once
// "HI/LO Alert": the high and low alert thresholds and their on/off switches.
// `pushButton` and `pushButton_2` are the HI and LO value rows (OK starts and
// ends editing, up and down step the edited value); the radio pairs
// radioButton/radioButton_2 (high) and radioButton_3/radioButton_4 (low) are
// "On"/"Off".
#include "core/menuwindow.h"
#include "liveview/alertrules.h"
#include "ui_hiloalertsetmenu.h"

class HiLoAlertSetMenu : public Screen<Ui::HiLoAlertSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit HiLoAlertSetMenu(QMainWindow *parent = nullptr);

    // True while a threshold row is being edited.
    bool editing = false;
    // State of the alert output line: 1 while it is driven high.
    static int led_on;

    // The six threshold keys written when missing (factory values).
    static void writeMissingThresholds();

public slots:
    void hiloAlertSetMenuEnable();
    // Loads the thresholds, then starts or ends editing of the focused row.
    void updateHiLoAlertSetting();
    void hiloAlertSetMenuUpdateRbtn1();
    void hiloAlertSetMenuUpdateRbtn2();
    void hiloAlertSetMenuUpdateRbtn3();
    void hiloAlertSetMenuUpdateRbtn4();
    // Threshold stepping; they act only while a row is edited.
    void upToUpdateHiLoAlertSetting();
    void downToUpdateHiLoAlertSetting();
    // Focus upkeep, every 500 ms.
    void hiloAlertSetMenuAutoUpdate();
    void factoryResetForHiLoAlertSetMenu();

protected:
    void hideEvent(QHideEvent *event) override;

private:
    // Ticks one button of an On/Off pair, unticks its partner and stores the pair.
    void setAlert(const char *key, QAbstractButton *on, QAbstractButton *off, bool switchOn);
    void loadThresholds();
    void step(int direction, int keyState);
    // Back to no row edited, both values in their plain style.
    void endEdit();
    // Every entry but the edited row stops taking the focus while editing.
    void keepFocusOnRow(QWidget *row);
    alerts::Unit unit() const;
    QWidget *m_editedRow = nullptr;
};
