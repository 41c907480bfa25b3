#pragma once
// The first-boot language screen: shown with the first live picture while the
// system file's `language` reads "none"; "Next" appears once a language is picked.
#include "core/menuwindow.h"
#include "ui_bootsettingsmenu.h"

class BootSettingsMenu : public Screen<Ui::BootSettingsMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit BootSettingsMenu(QMainWindow *parent = nullptr);

public slots:
    void bootSettingsMenuEnable();
    void bootSettingsMenuUpdateRbtn1();   // English
    void bootSettingsMenuUpdateRbtn2();   // Chinese

protected:
    void settingChanged() override;
};
