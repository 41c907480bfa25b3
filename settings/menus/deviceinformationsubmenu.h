#pragma once
// "Device information": firmware version, serial number, card capacity and
// free space; while open it reports the card's presence and a card too full
// for another capture, and takes a serial number delivered on the card.
#include "core/menuwindow.h"
#include "ui_deviceinformationsubmenu.h"

class QTimer;

class DeviceInformationSubMenu : public Screen<Ui::DeviceInformationSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit DeviceInformationSubMenu(QMainWindow *parent = nullptr);

signals:
    void updateSdcardStatus(bool present);
    void availableDiskIsSmall(bool small);

public slots:
    void deviceInformationSubMenuEnable();
    // Every second while the page is shown.
    void updateDeviceInformation();
    // Takes a serial number from a "<serial>.zarnsn" file at the card's root.
    void updateSN();

private:
    QTimer *m_timer = nullptr;
};
