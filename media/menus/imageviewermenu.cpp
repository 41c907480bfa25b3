#include "media/menus/imageviewermenu.h"

static bool imageViewerMenuEnabled = true;

ImageViewerMenu::ImageViewerMenu(QMainWindow *parent) : Screen(&imageViewerMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
}

void ImageViewerMenu::imageViewerMenuEnable() { toggleVisible(); }

void ImageViewerMenu::currentImageName(QString name)
{
    const int dot = name.lastIndexOf('.');
    imageNameLabel->setText(dot < 0 ? name : name.left(dot));
}
