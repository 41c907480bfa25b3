#pragma once
// "Language": English or Chinese, stored under `language`.
#include "app/menus/menuwindow.h"
#include "ui_languagesetsubmenu.h"

extern bool languageSetSubMenuEnabled;

class LanguageSetSubMenu : public Screen<Ui::LanguageSetSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit LanguageSetSubMenu(QMainWindow *parent = nullptr);

public slots:
    void languageSetSubMenuEnable();
    void languageSetSubMenuUpdateRbtn1();   // English
    void languageSetSubMenuUpdateRbtn2();   // Chinese
    void updateLanguageSetting();
    void autoUpdateLanguageSet();
    void factoryResetForLanguageSet();

protected:
    void settingChanged() override { updateLanguageSetting(); }
};
