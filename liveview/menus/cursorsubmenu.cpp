#include "liveview/menus/cursorsubmenu.h"

bool cursorSubMenuEnabled = true;

CursorSubMenu::CursorSubMenu(QMainWindow *parent) : Screen(&cursorSubMenuEnabled, parent)
{
    watchButtons({checkBox_3, checkBox_4, checkBox_5});
}

void CursorSubMenu::cursorSubMenuEnable() { openAtChecked(); }

void CursorSubMenu::factoryResetForCursorSubMenu()
{
    if (!isHidden())
        return;
    if (QAbstractButton *b = firstChecked())
        b->click();
}

void CursorSubMenu::menuTip(const QString &text, int x, int y, int flags) { emit cursorMenuUpdateMenuTips(text, x, y, flags); }
