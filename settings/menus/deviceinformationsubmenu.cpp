#include "settings/menus/deviceinformationsubmenu.h"

bool deviceInformationSubMenuEnabled = true;

DeviceInformationSubMenu::DeviceInformationSubMenu(QMainWindow *parent)
    : Screen(&deviceInformationSubMenuEnabled, parent)
{
    snLabel->setText(config::readString(config::Sn, QStringLiteral("sn")));
}

void DeviceInformationSubMenu::deviceInformationSubMenuEnable() { toggleVisible(); }
