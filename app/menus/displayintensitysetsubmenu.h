#pragma once
// "Display brightness": the backlight level, applied at start and on every choice.
#include "core/menuwindow.h"
#include "ui_displayintensitysetsubmenu.h"

// The backlight command for the choice in button order ("Low", "Medium",
// "High"); empty for anything else.
QString displayIntensityCommand(int choiceIndex);

class DisplayIntensitySetSubMenu : public Screen<Ui::DisplayIntensitySetSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit DisplayIntensitySetSubMenu(QMainWindow *parent = nullptr);

public slots:
    void displayIntensitySetSubMenuEnable();
    void displayIntensitySetSubMenuUpdateRbtn1();
    void displayIntensitySetSubMenuUpdateRbtn2();
    void displayIntensitySetSubMenuUpdateRbtn3();
    void updateDisplayIntensitySetting();
    void displayIntensitySetSubMenuAutoUpdate();
    void factoryResetForDisplayIntensitySetSubMenu();

protected:
    void settingChanged() override { updateDisplayIntensitySetting(); }
    void startupChoice(int index) override;
};
