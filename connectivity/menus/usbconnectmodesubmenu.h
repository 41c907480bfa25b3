#pragma once
// "USB mode": USB camera (first) or USB disk (second). Every start is in
// camera mode; nothing is stored. A board script switches the USB role, run
// only when the mode really changes.
#include "core/menuwindow.h"
#include "ui_usbconnectmodesubmenu.h"

// The USB role in use: 1 USB camera, 0 USB disk.
extern unsigned char usbMode;

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
    void settingChanged() override;
};
