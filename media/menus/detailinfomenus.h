#pragma once
// The "Information" pages of a saved image and of a video.
#include "app/menus/menuwindow.h"
#include "ui_imagedetailinfomenu.h"
#include "ui_videodetailinfomenu.h"

extern bool imageDetailInfoMenuEnabled;
extern bool videoDetailInfoMenuEnabled;

class ImageDetailInfoMenu : public Screen<Ui::ImageDetailInfoMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageDetailInfoMenu(QMainWindow *parent = nullptr);
public slots:
    void imageDetailInfoMenuEnable();
};

class VideoDetailInfoMenu : public Screen<Ui::VideoDetailInfoMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit VideoDetailInfoMenu(QMainWindow *parent = nullptr);
public slots:
    void videoDetailInfoMenuEnable();
};
