#pragma once
// "Auto power off": the idle time after which the device powers itself off,
// and the shutdown sequence every power-off path ends in.
#include "core/menuwindow.h"
#include "app/powerrules.h"
#include "ui_autopoweroffsetsubmenu.h"

class AutoPowerOffSetSubMenu : public Screen<Ui::AutoPowerOffSetSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit AutoPowerOffSetSubMenu(QMainWindow *parent = nullptr);

    // Idle limit of the checked button in seconds, 0 for "Off".
    int limitSeconds() const { return power::autoPowerOffLimitSeconds(checkedIndex()); }

signals:
    void updateAutoPowerOffSet();

public slots:
    void autoPowerOffSetSubMenuEnable();
    void autoPowerOffSetSubMenuUpdateRbtn1();
    void autoPowerOffSetSubMenuUpdateRbtn2();
    void autoPowerOffSetSubMenuUpdateRbtn3();
    void autoPowerOffSetSubMenuUpdateRbtn4();
    void updateAutoPowerOffSetting();
    void autoPowerOffSetSubMenuAutoUpdate();
    void factoryResetForAutoPowerOffSetSubMenu();
    // Backlight off, configuration saved to /etc, sync, halt. Callers set
    // GPIO line 5 to 1 first.
    void autoPowerOffCmd();

protected:
    void settingChanged() override { updateAutoPowerOffSetting(); }
};
