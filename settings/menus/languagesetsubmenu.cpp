#include "settings/menus/languagesetsubmenu.h"

bool languageSetSubMenuEnabled = true;

LanguageSetSubMenu::LanguageSetSubMenu(QMainWindow *parent)
    : Screen(&languageSetSubMenuEnabled, Setting{config::Main, *config::choice(QStringLiteral("language")), 1}, parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&LanguageSetSubMenu::languageSetSubMenuUpdateRbtn1, &LanguageSetSubMenu::languageSetSubMenuUpdateRbtn2});
}

void LanguageSetSubMenu::languageSetSubMenuEnable() { toggle(); }
void LanguageSetSubMenu::languageSetSubMenuUpdateRbtn1() { choose(0); }
void LanguageSetSubMenu::languageSetSubMenuUpdateRbtn2() { choose(1); }
void LanguageSetSubMenu::updateLanguageSetting() { storeChecked(); }
void LanguageSetSubMenu::autoUpdateLanguageSet() { focusFirstChecked(); }
void LanguageSetSubMenu::factoryResetForLanguageSet() { clickFactoryChoice(); }
