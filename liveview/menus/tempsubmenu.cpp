#include "liveview/menus/tempsubmenu.h"

static bool tempSubMenuEnabled = true;

TempSubMenu::TempSubMenu(QMainWindow *parent) : Screen(&tempSubMenuEnabled, parent)
{
    watchButtons({checkBox, checkBox_2, checkBox_3});
}

void TempSubMenu::tempSubMenuEnable() { openAtChecked(); }

void TempSubMenu::enableCenterTemp(bool on)
{
    checkBox->setFocus(Qt::OtherFocusReason);
    checkBox->setChecked(on);
    emit changeCenterTemp();
}

void TempSubMenu::enableHiLoTemp(bool on)
{
    checkBox_2->setFocus(Qt::OtherFocusReason);
    checkBox_2->setChecked(on);
    emit changeHiLoTemp();
}

void TempSubMenu::factoryResetForTempSubMenu()
{
    checkBox->setChecked(false);
    checkBox_2->setChecked(true);
    checkBox_3->setChecked(false);
    emit changeCenterTemp();
    emit changeHiLoTemp();
    emit changeZoneTemp();
}

void TempSubMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit tempMenuUpdateMenuTips(text, x, y, flags);
}
