#pragma once
// The gallery: a grid of thumbnails of the card's images (list `ImageList`),
// with its own slim scroll bar and a message label when there is nothing to show.
#include "app/menus/menuwindow.h"
#include "ui_imagelistviewer.h"

class QListWidgetItem;

extern bool imageListViewerEnabled;

class ImageListViewer : public Screen<Ui::ImageListViewer, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageListViewer(QMainWindow *parent = nullptr);

signals:
    void updateText(QString name);
    void updateItemText(QString name);
    void reachedTop();

public slots:
    // Opens or closes the gallery.
    void imageListViewerEnable();
    // Listing and choosing; they come with the gallery.
    void showPreviousImageList();
    void showSelectedImage(QListWidgetItem *item);
};
