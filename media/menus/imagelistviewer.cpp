#include "media/menus/imagelistviewer.h"

bool imageListViewerEnabled = true;

ImageListViewer::ImageListViewer(QMainWindow *parent) : Screen(&imageListViewerEnabled, parent) {}

void ImageListViewer::imageListViewerEnable()
{
    if (isHidden())
        ImageList->setFocus();
    toggleVisible();
}

void ImageListViewer::showPreviousImageList() {}
void ImageListViewer::showSelectedImage(QListWidgetItem *item) { Q_UNUSED(item); }
