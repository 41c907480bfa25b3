#include "liveview/menus/cursorsubmenu.h"

static bool cursorSubMenuEnabled = true;

CursorSubMenu::CursorSubMenu(QMainWindow *parent) : Screen(&cursorSubMenuEnabled, parent)
{
    watchButtons({checkBox_3, checkBox_4, checkBox_5});
}

void CursorSubMenu::cursorSubMenuEnable() { openAtChecked(); }

void CursorSubMenu::factoryResetForCursorSubMenu()
{
    if (!isHidden())
        return;
    // Each ticked cursor is unticked by its own click: it hides and its key reads "No".
    for (QAbstractButton *b : {checkBox_3, checkBox_4, checkBox_5})
        if (b->isChecked())
            b->click();
}

void CursorSubMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit cursorMenuUpdateMenuTips(text, x, y, flags);
}
