#pragma once
// The action bar of an image or a video: "Delete" (`pushButton`, right) and
// "Information" (`pushButton_2`, left), so that left and right move the focus
// the way they point. One instance serves images, one videos. The tip over
// the bar names the focused button.
#include "core/menuwindow.h"
#include "ui_imageviewersubmenu.h"

class ImageViewerSubMenu : public Screen<Ui::ImageViewerSubMenu, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageViewerSubMenu(QMainWindow *parent = nullptr);
public slots:
    void imageViewerSubMenuEnable();
    void imageViewerSubMenuTips();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void retranslate() override;
};
