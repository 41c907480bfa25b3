#include "app/menus/displayintensitysetsubmenu.h"

#include "board/board.h"

static bool displayIntensitySetSubMenuEnabled = true;

QString displayIntensityCommand(int choiceIndex)
{
    if (choiceIndex < 0 || choiceIndex > 2)
        return QString();
    return QStringLiteral("echo %1 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness")
        .arg(5 + choiceIndex);
}

DisplayIntensitySetSubMenu::DisplayIntensitySetSubMenu(QMainWindow *parent)
    : Screen(&displayIntensitySetSubMenuEnabled,
             Setting{config::Main, *config::choice(QStringLiteral("display_intensity")), 1}, parent)
{
    bindChoices(this, {radioButton, radioButton_2, radioButton_3},
                {&DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn1,
                 &DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn2,
                 &DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn3});
}

namespace {
void applyLevel(int index)
{
    const QString command = displayIntensityCommand(index);
    if (!command.isEmpty())
        board::run(command);
}
}   // namespace

void DisplayIntensitySetSubMenu::startupChoice(int index) { applyLevel(index); }

void DisplayIntensitySetSubMenu::displayIntensitySetSubMenuEnable() { toggle(); }
void DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn1() { choose(0); }
void DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn2() { choose(1); }
void DisplayIntensitySetSubMenu::displayIntensitySetSubMenuUpdateRbtn3() { choose(2); }

void DisplayIntensitySetSubMenu::updateDisplayIntensitySetting()
{
    applyLevel(checkedIndex());
    storeChecked();
}

void DisplayIntensitySetSubMenu::displayIntensitySetSubMenuAutoUpdate() { refocusChecked(); }
void DisplayIntensitySetSubMenu::factoryResetForDisplayIntensitySetSubMenu() { clickFactoryChoice(); }
