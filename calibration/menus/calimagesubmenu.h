#pragma once
// The factory alignment page: arrows around the centre mark and "Save"
// (`pushButton`), over the half-and-half blend of both pictures.
#include "app/menus/menuwindow.h"
#include "ui_calimagesubmenu.h"

extern bool calImageSubMenuEnabled;

class CalImageSubMenu : public Screen<Ui::CalImageSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit CalImageSubMenu(QMainWindow *parent = nullptr);
public slots:
    void calImageSubMenuEnable();
};
