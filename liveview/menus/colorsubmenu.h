#pragma once
// The palette pop-up: seven palettes, the ticked radio button is the chosen one.
#include "app/menus/menuwindow.h"
#include "ui_colorsubmenu.h"

extern bool colorSubMenuEnabled;

class ColorSubMenu : public Screen<Ui::ColorSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit ColorSubMenu(QMainWindow *parent = nullptr);

signals:
    void colorMenuUpdateMenuTips(QString text, int x, int y, int flags);

public slots:
    // Shows the pop-up; the focus stays where it was last.
    void colorSubMenuEnable();
    // While hidden, gives the focus back to the ticked palette.
    void colorSubMenuAutoUpdate();
    void factoryResetForColorSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;
};
