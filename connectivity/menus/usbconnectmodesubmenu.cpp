#include "connectivity/menus/usbconnectmodesubmenu.h"

bool usbConnectModeSubMenuEnabled = true;

UsbConnectModeSubMenu::UsbConnectModeSubMenu(QMainWindow *parent)
    : Screen(&usbConnectModeSubMenuEnabled,
             Setting{config::Main, {nullptr, {QStringLiteral("usbcamera"), QStringLiteral("usbdisk")}, 0, false}, 0,
                     Start::Default},
             parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn2,
                 &UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn1});
}

void UsbConnectModeSubMenu::usbConnectModeSubMenuEnable() { openAtChecked(); }
void UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn2() { choose(0); }
void UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn1() { choose(1); }
void UsbConnectModeSubMenu::usbConnectModeSubMenuAutoUpdate() { refocusChecked(); }

void UsbConnectModeSubMenu::factotyResetForUsbConnectModeSubMenu()
{
    clickFactoryChoice();
    usbConnectModeSubMenuAutoUpdate();
}
