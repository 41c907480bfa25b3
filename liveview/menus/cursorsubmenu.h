#pragma once
// The cursor pop-up of the main menu bar: the three movable cursors.
#include "core/menuwindow.h"
#include "ui_cursorsubmenu.h"

class CursorSubMenu : public Screen<Ui::CursorSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit CursorSubMenu(QMainWindow *parent = nullptr);

signals:
    void cursorMenuUpdateMenuTips(QString text, int x, int y, int flags);

public slots:
    void cursorSubMenuEnable();
    // While hidden, clicks every ticked cursor box, which switches it off.
    void factoryResetForCursorSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;
};
