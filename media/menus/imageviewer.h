#pragma once
// The full-screen image viewer (`ShowImageLabel`); `pushButton` shows the
// previous image and `pushButton_2` the next one.
#include "app/menus/menuwindow.h"
#include "ui_imageviewer.h"

extern bool imageViewerEnabled;

class ImageViewer : public Screen<Ui::ImageViewer, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageViewer(QMainWindow *parent = nullptr);

signals:
    void currentImageNameUpdate(QString name);
    void deleteImage(QString name);

public slots:
    void imageViewerEnable();
};
