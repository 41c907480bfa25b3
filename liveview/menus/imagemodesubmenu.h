#pragma once
// The image-mode pop-up: thermal, digital, fusion, PIP, alignment.
#include "app/menus/menuwindow.h"
#include "ui_imagemodesubmenu.h"

extern bool imageModeSubMenuEnabled;

class ImageModeSubMenu : public Screen<Ui::ImageModeSubMenu, PopupMenu> {
    Q_OBJECT
public:
    explicit ImageModeSubMenu(QMainWindow *parent = nullptr);

signals:
    void imageModeMenuUpdateMenuTips(QString text, int x, int y, int flags);

public slots:
    void imageModeSubMenuEnable();
    void factoryResetForImageModeSubMenu();

protected:
    void menuTip(const QString &text, int x, int y, int flags) override;
};
