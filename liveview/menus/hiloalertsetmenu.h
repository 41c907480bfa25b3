#pragma once
// "HI/LO Alert": the high and low alert thresholds and their on/off switches.
// `pushButton` and `pushButton_2` are the HI and LO value rows; the radio
// pairs radioButton/radioButton_2 (high) and radioButton_3/radioButton_4
// (low) are "On"/"Off".
#include "app/menus/menuwindow.h"
#include "ui_hiloalertsetmenu.h"

extern bool hiloAlertSetMenuEnabled;

class HiLoAlertSetMenu : public Screen<Ui::HiLoAlertSetMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit HiLoAlertSetMenu(QMainWindow *parent = nullptr);

    // True while a threshold row is being edited.
    bool editing = false;

public slots:
    void hiloAlertSetMenuEnable();
    void hiloAlertSetMenuUpdateRbtn1();
    void hiloAlertSetMenuUpdateRbtn2();
    void hiloAlertSetMenuUpdateRbtn3();
    void hiloAlertSetMenuUpdateRbtn4();
    // Threshold editing and stepping; they act only while a row is edited.
    void upToUpdateHiLoAlertSetting();
    void downToUpdateHiLoAlertSetting();
    void hiloAlertSetMenuAutoUpdate();

private:
    // Ticks one button of an On/Off pair, unticks its partner and stores the pair.
    void setAlert(const char *key, QAbstractButton *on, QAbstractButton *off, bool switchOn);
};
