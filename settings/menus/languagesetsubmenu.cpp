#include "settings/menus/languagesetsubmenu.h"

#include "core/logging.h"

#include <QCoreApplication>
#include <QDebug>
#include <QTranslator>

static bool languageSetSubMenuEnabled = true;
QTranslator *translator = nullptr;

LanguageSetSubMenu::LanguageSetSubMenu(QMainWindow *parent)
    : Screen(&languageSetSubMenuEnabled, Setting{config::Main, *config::choice(QStringLiteral("language")), 1}, parent)
{
    bindChoices(
        this, {radioButton, radioButton_2},
        {&LanguageSetSubMenu::languageSetSubMenuUpdateRbtn1, &LanguageSetSubMenu::languageSetSubMenuUpdateRbtn2});
}

void LanguageSetSubMenu::startupChoice(int index)
{
    Q_UNUSED(index);
    // The stored language is in use before the main window shows.
    updateLanguageSetting();
}

void LanguageSetSubMenu::languageSetSubMenuEnable() { toggle(); }
void LanguageSetSubMenu::languageSetSubMenuUpdateRbtn1() { choose(0); }
void LanguageSetSubMenu::languageSetSubMenuUpdateRbtn2() { choose(1); }

void LanguageSetSubMenu::updateLanguageSetting()
{
    if (translator) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
        translator = nullptr;
    }
    if (radioButton_2->isChecked()) {
        auto *t = new QTranslator;
        if (t->load(QString::fromLatin1(kTranslation)) && QCoreApplication::installTranslator(t)) {
            translator = t;
            qCDebug(lcSettings) << "Install translator ...";
        } else {
            delete t;
            qCWarning(lcSettings) << "Install translator failed ...";
        }
    }
    storeChecked();
}

void LanguageSetSubMenu::autoUpdateLanguageSet() { focusFirstChecked(); }
void LanguageSetSubMenu::factoryResetForLanguageSet() { clickFactoryChoice(); }
