#include "media/menus/imageviewer.h"

bool imageViewerEnabled = true;

ImageViewer::ImageViewer(QMainWindow *parent) : Screen(&imageViewerEnabled, parent)
{
    // Previous and next, in this order: the left and right keys click them.
    setButtons({pushButton, pushButton_2});
}

void ImageViewer::imageViewerEnable() { toggleVisible(); }
