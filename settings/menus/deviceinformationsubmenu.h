#pragma once
// "Device information": firmware version, serial number, card capacity and
// free space; while open it reports the card's presence and a full card.
#include "app/menus/menuwindow.h"
#include "ui_deviceinformationsubmenu.h"

extern bool deviceInformationSubMenuEnabled;

class DeviceInformationSubMenu : public Screen<Ui::DeviceInformationSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit DeviceInformationSubMenu(QMainWindow *parent = nullptr);

signals:
    void updateSdcardStatus(bool present);
    void availableDiskIsSmall(bool small);

public slots:
    void deviceInformationSubMenuEnable();
};
