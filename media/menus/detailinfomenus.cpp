#include "media/menus/detailinfomenus.h"

bool imageDetailInfoMenuEnabled = true;
bool videoDetailInfoMenuEnabled = true;

ImageDetailInfoMenu::ImageDetailInfoMenu(QMainWindow *parent) : Screen(&imageDetailInfoMenuEnabled, parent) {}

void ImageDetailInfoMenu::imageDetailInfoMenuEnable() { toggleVisible(); }

VideoDetailInfoMenu::VideoDetailInfoMenu(QMainWindow *parent) : Screen(&videoDetailInfoMenuEnabled, parent) {}

void VideoDetailInfoMenu::videoDetailInfoMenuEnable() { toggleVisible(); }
