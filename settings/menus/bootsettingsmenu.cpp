#include "settings/menus/bootsettingsmenu.h"

static bool bootSettingsMenuEnabled = true;

namespace {
// Nothing is checked until a language is picked.
const config::Choice kBootLanguage{"language", {QStringLiteral("English"), QStringLiteral("Chinese")}, -1, false};
}   // namespace

BootSettingsMenu::BootSettingsMenu(QMainWindow *parent)
    : Screen(&bootSettingsMenuEnabled, Setting{config::System, kBootLanguage, -1}, parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&BootSettingsMenu::bootSettingsMenuUpdateRbtn1, &BootSettingsMenu::bootSettingsMenuUpdateRbtn2});
    connect(pushButton, &QPushButton::clicked, this, &QWidget::close);
}

void BootSettingsMenu::bootSettingsMenuEnable() { openAtChecked(); }
void BootSettingsMenu::bootSettingsMenuUpdateRbtn1() { choose(0); }
void BootSettingsMenu::bootSettingsMenuUpdateRbtn2() { choose(1); }

void BootSettingsMenu::settingChanged()
{
    if (pushButton->isHidden()) {
        pushButton->setFocusPolicy(Qt::StrongFocus);
        pushButton->show();
    }
    storeChecked();
}
