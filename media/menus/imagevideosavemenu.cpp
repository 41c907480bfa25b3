#include "media/menus/imagevideosavemenu.h"

static bool imageVideoSaveMenuEnabled = true;

ImageVideoSaveMenu::ImageVideoSaveMenu(QMainWindow *parent) : Screen(&imageVideoSaveMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
    connect(pushButton, &QPushButton::clicked, this, &ImageVideoSaveMenu::imageVideoSaveMenuEnable);
}

void ImageVideoSaveMenu::imageVideoSaveMenuEnable()
{
    pushButton_2->setFocus();
    toggleVisible();
}

void ImageVideoSaveMenu::openForCapture()
{
    pushButton_2->setFocus();
    show();
    imageVideoSaveMenuEnabled = false;
}

void ImageVideoSaveMenu::setImageVideoSaveFlag() { pending = true; }
