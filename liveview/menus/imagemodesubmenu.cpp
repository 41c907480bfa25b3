#include "liveview/menus/imagemodesubmenu.h"

bool imageModeSubMenuEnabled = true;

ImageModeSubMenu::ImageModeSubMenu(QMainWindow *parent) : Screen(&imageModeSubMenuEnabled, parent)
{
    watchButtons({radioButton, radioButton_2, radioButton_3, radioButton_4, radioButton_5});
}

void ImageModeSubMenu::imageModeSubMenuEnable() { openIfHidden(); }

void ImageModeSubMenu::factoryResetForImageModeSubMenu() { radioButton->click(); }

void ImageModeSubMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit imageModeMenuUpdateMenuTips(text, x, y, flags);
}
