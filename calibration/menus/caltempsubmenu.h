#pragma once
// The factory temperature calibration page: three set points per gain range,
// reset, recalibration and the gain switch.
#include "app/menus/menuwindow.h"
#include "ui_caltempsubmenu.h"

extern bool calTempSubMenuEnabled;

class CalTempSubMenu : public Screen<Ui::CalTempSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit CalTempSubMenu(QMainWindow *parent = nullptr);

    // A manual shutter correction may be asked for (at most one per 3 s).
    bool shutterReady = true;
    // No gain switch is settling; the keys treat a clear flag as busy.
    bool gainSwitchIdle = true;

    static constexpr int kShutterPauseMs = 3000;

signals:
    void closeThermalCamera(int mode);
    void setEmissivityForCal();
    void setEmissivityDefault();

public slots:
    void calTempSubMenuEnable();
    // Clears the shutter-ready flag and sets it again 3 s later.
    void cmd_KBC_B_CAL();
    void cmd_KBC_B_CAL_Enable();
};
