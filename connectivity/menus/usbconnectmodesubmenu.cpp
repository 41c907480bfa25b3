#include "connectivity/menus/usbconnectmodesubmenu.h"

#include "board/board.h"

static bool usbConnectModeSubMenuEnabled = true;
unsigned char usbMode = 1;

UsbConnectModeSubMenu::UsbConnectModeSubMenu(QMainWindow *parent)
    : Screen(&usbConnectModeSubMenuEnabled,
             Setting{config::Main,
                     {nullptr, {QStringLiteral("usbcamera"), QStringLiteral("usbdisk")}, 0, false},
                     0,
                     Start::Default},
             parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn2,
                 &UsbConnectModeSubMenu::usbConnectModeSubMenuUpdateRbtn1});
    // The board starts as a USB camera.
    usbMode = 1;
}

void UsbConnectModeSubMenu::settingChanged()
{
    const int chosen = checkedIndex();
    if (chosen == 0 && usbMode == 0) {
        board::run(QStringLiteral("/etc/rc.d/usbcamerasetting.sh"));
        usbMode = 1;
    } else if (chosen == 1 && usbMode == 1) {
        board::run(QStringLiteral("/etc/rc.d/usbdisksetting.sh"));
        usbMode = 0;
    }
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
