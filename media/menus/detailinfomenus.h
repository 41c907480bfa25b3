#pragma once
// The "Information" pages of a saved image and of a video.
#include "core/menuwindow.h"
#include "ui_imagedetailinfomenu.h"
#include "ui_videodetailinfomenu.h"

class ImageDetailInfoMenu : public Screen<Ui::ImageDetailInfoMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageDetailInfoMenu(QMainWindow *parent = nullptr);
public slots:
    void imageDetailInfoMenuEnable();
    // Fills the values for the image `name` (a bare name such as IMG_0001.bmp)
    // of the card's image folder.
    void updateImageDetailInfoMenu(QString name);
};

class VideoDetailInfoMenu : public Screen<Ui::VideoDetailInfoMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit VideoDetailInfoMenu(QMainWindow *parent = nullptr);
public slots:
    void videoDetailInfoMenuEnable();
    // Fills the values for the video `name` (such as Qel_0001.avi).
    // The video is opened only to read its length and let go at once.
    void updateVideoDetailInfoMenu(QString name);
};
