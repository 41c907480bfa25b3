#include "media/menus/imageviewersubmenu.h"

bool imageViewerSubMenuEnabled = true;

ImageViewerSubMenu::ImageViewerSubMenu(QMainWindow *parent) : Screen(&imageViewerSubMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
}

void ImageViewerSubMenu::imageViewerSubMenuEnable() { toggleVisible(); }
