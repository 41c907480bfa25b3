#include "media/menus/imageviewermenu.h"

bool imageViewerMenuEnabled = true;

ImageViewerMenu::ImageViewerMenu(QMainWindow *parent) : Screen(&imageViewerMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
}

void ImageViewerMenu::imageViewerMenuEnable() { toggleVisible(); }
