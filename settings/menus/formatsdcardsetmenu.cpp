#include "settings/menus/formatsdcardsetmenu.h"

bool formatSdcardSetMenuEnabled = true;

FormatSdcardSetMenu::FormatSdcardSetMenu(QMainWindow *parent)
    : Screen(&formatSdcardSetMenuEnabled,
             Setting{config::Main, {"format_sdcard", {QStringLiteral("Yes"), QStringLiteral("No")}, 1, true}, 1,
                     Start::Default},
             parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn1, &FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn2});
}

void FormatSdcardSetMenu::formatSdcardSetMenuEnable() { toggle(); }
void FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn1() { choose(0); }
void FormatSdcardSetMenu::formatSdcardSetMenuUpdateRbtn2() { choose(1); }
void FormatSdcardSetMenu::setFormatSdcardDoneStatus() { formatSdcardDone = true; }
void FormatSdcardSetMenu::formatSdcardSetMenuAutoUpdate() { refocusChecked(); }
