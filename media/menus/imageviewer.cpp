#include "media/menus/imageviewer.h"

bool imageViewerEnabled = true;

ImageViewer::ImageViewer(QMainWindow *parent) : Screen(&imageViewerEnabled, parent) {}

void ImageViewer::imageViewerEnable() { toggleVisible(); }
