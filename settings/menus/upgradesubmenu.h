#pragma once
// The upgrade panel, opened by a key combination: "App" (pushButton) and
// "System" (pushButton_2), with two lines of text under them.
#include "app/menus/menuwindow.h"
#include "ui_upgradesubmenu.h"

extern bool upgradeSubMenuEnabled;

class UpgradeSubMenu : public Screen<Ui::UpgradeSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit UpgradeSubMenu(QMainWindow *parent = nullptr);

public slots:
    void upgradeSubMenuEnable();
};
