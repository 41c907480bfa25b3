#pragma once
// "Language": English or Chinese, stored under `language`. Choosing installs
// or removes the Chinese translation at once; every open screen re-translates.
#include "core/menuwindow.h"
#include "ui_languagesetsubmenu.h"

class QTranslator;

// The installed translation; null while English is in use.
extern QTranslator *translator;

class LanguageSetSubMenu : public Screen<Ui::LanguageSetSubMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit LanguageSetSubMenu(QMainWindow *parent = nullptr);

    static constexpr const char *kTranslation = ":/qm/qm/ChineseSimplified.qm";

public slots:
    void languageSetSubMenuEnable();
    void languageSetSubMenuUpdateRbtn1();   // English
    void languageSetSubMenuUpdateRbtn2();   // Chinese
    void updateLanguageSetting();
    void autoUpdateLanguageSet();
    void factoryResetForLanguageSet();

protected:
    void settingChanged() override { updateLanguageSetting(); }
    void startupChoice(int index) override;
};
