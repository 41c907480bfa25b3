#pragma once
// The Wi-Fi switch pop-up (`radioButton`, unchecked at start) and the page
// that shows the access point's name and password while the radio is on.
#include "core/menuwindow.h"
#include "ui_wifiopenstatusmenu.h"
#include "ui_wifisubmenu.h"

class WifiSubMenu : public Screen<Ui::WifiSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit WifiSubMenu(QMainWindow *parent = nullptr);
public slots:
    void wifiSubMenuEnable();
};

class WifiOpenStatusMenu : public Screen<Ui::WifiOpenStatusMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit WifiOpenStatusMenu(QMainWindow *parent = nullptr);
public slots:
    void wifiOpenStatusMenuEnable();
};
