#pragma once
// The two navigation lists of the settings tree. Opening one always puts the
// focus on its first entry; each entry is wired by the main window to the
// screen it opens.
#include "core/menuwindow.h"
#include "ui_settingsubmenu.h"
#include "ui_systemsettingsubmenu.h"

class SettingSubMenu : public Screen<Ui::SettingSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit SettingSubMenu(QMainWindow *parent = nullptr);
public slots:
    void settingSubMenuEnable();
};

class SystemSettingSubMenu : public Screen<Ui::SystemSettingSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit SystemSettingSubMenu(QMainWindow *parent = nullptr);
public slots:
    void systemSettingSubMenuEnable();
};
