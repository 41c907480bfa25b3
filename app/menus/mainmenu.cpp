#include "app/menus/mainmenu.h"

#include <QHideEvent>

static bool mainMenuEnabled = true;

MainMenu::MainMenu(QMainWindow *parent) : Screen(&mainMenuEnabled, parent)
{
    watchButtons({pushButton, pushButton_2, pushButton_3, pushButton_4, pushButton_5});
}

void MainMenu::mainMenuEnable() { openIfHidden(); }

void MainMenu::mainMenuDisable()
{
    if (isVisible()) {
        hide();
        mainMenuEnabled = true;
    }
}

void MainMenu::hideEvent(QHideEvent *event)
{
    Screen::hideEvent(event);
    if (!event->spontaneous())
        emit mainMenuHidden();
}

void MainMenu::menuTip(const QString &text, int x, int y, int flags) { emit mainMenuUpdateMenuTips(text, x, y, flags); }
