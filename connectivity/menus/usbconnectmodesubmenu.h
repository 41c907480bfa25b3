#pragma once
// "USB mode": USB camera (first) or USB disk (second). Every start is in
// camera mode; nothing is stored.
#include "app/menus/menuwindow.h"
#include "ui_usbconnectmodesubmenu.h"

extern bool usbConnectModeSubMenuEnabled;

class UsbConnectModeSubMenu : public Screen<Ui::UsbConnectModeSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit UsbConnectModeSubMenu(QMainWindow *parent = nullptr);

public slots:
    void usbConnectModeSubMenuEnable();
    void usbConnectModeSubMenuUpdateRbtn2();   // USB camera
    void usbConnectModeSubMenuUpdateRbtn1();   // USB disk
    void usbConnectModeSubMenuAutoUpdate();
    void factotyResetForUsbConnectModeSubMenu();

protected:
    // Switching the board's USB role comes with the connectivity screens.
    void settingChanged() override {}
};
