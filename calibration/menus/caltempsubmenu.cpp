#include "calibration/menus/caltempsubmenu.h"

#include <QTimer>

bool calTempSubMenuEnabled = true;

CalTempSubMenu::CalTempSubMenu(QMainWindow *parent) : Screen(&calTempSubMenuEnabled, parent)
{
    setButtons({pushButton_5, pushButton_3, pushButton_2, pushButton_8, pushButton_4, pushButton_6, pushButton_7,
                pushButton_9});
}

void CalTempSubMenu::calTempSubMenuEnable()
{
    if (isHidden())
        pushButton_5->setFocus();
    toggleVisible();
}

void CalTempSubMenu::cmd_KBC_B_CAL()
{
    shutterReady = false;
    QTimer::singleShot(kShutterPauseMs, this, &CalTempSubMenu::cmd_KBC_B_CAL_Enable);
}

void CalTempSubMenu::cmd_KBC_B_CAL_Enable() { shutterReady = true; }
