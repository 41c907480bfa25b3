#pragma once
// "Factory reset": "Yes" resets every setting; it always opens on "No".
#include "app/menus/menuwindow.h"
#include "ui_factoryresetsetmenu.h"

extern bool factoryResetSetMenuEnabled;

class FactoryResetSetMenu : public Screen<Ui::FactoryResetSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit FactoryResetSetMenu(QMainWindow *parent = nullptr);

    // Clear while a reset runs; the keys treat that as busy.
    bool factoryResetDone = true;

signals:
    // Every menu returns to its factory choice.
    void factoryResetForSystem();

public slots:
    void factoryResetSetMenuEnable();
    void factoryResetSetMenuUpdateRbtn1();   // Yes
    void factoryResetSetMenuUpdateRbtn2();   // No
    void setFactoryRestDoneStatus();
    void factoryResetSetMenuAutoUpdate();

protected:
    // The reset itself comes with the maintenance screens.
    void settingChanged() override {}
};
