#pragma once
// The viewer's bottom bar: previous (`pushButton`), the image name, next (`pushButton_2`).
#include "core/menuwindow.h"
#include "ui_imageviewermenu.h"

class ImageViewerMenu : public Screen<Ui::ImageViewerMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageViewerMenu(QMainWindow *parent = nullptr);
public slots:
    void imageViewerMenuEnable();
    // Shows `name` without its extension.
    void currentImageName(QString name);
};
