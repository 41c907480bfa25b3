#pragma once
// "Auto save": whether the trigger key saves at once, stored under `auto_save`.
// `radioButton` is "No", `radioButton_2` is "Yes".
#include "core/menuwindow.h"
#include "ui_autosavesetsubmenu.h"

class AutoSaveSetSubMenu : public Screen<Ui::AutoSaveSetSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit AutoSaveSetSubMenu(QMainWindow *parent = nullptr);

    bool autoSave() const { return radioButton_2->isChecked(); }

public slots:
    void autoSaveSetSubMenuEnable();
    void autoSaveSetSubMenuUpdateRbtn1();   // No
    void autoSaveSetSubMenuUpdateRbtn2();   // Yes
    void autoSaveSetSubMenuAutoUpdate();
    void factoryResetForAutoSaveSetSubMenu();
};
