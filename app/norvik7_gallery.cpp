// The main window's side of the gallery, the viewer and the video player:
// their connections and the choice between showing an image and playing a video.
#include <QDebug>
#include "core/logging.h"
#include <QFile>
#include <QImageReader>
#include <QPushButton>

#include "app/norvik7.h"
#include "board/board.h"
#include "media/mediafolder.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/imageviewersubmenu.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/menus/videoplayermenu.h"
#include "media/menus/videowidget.h"
#include "settings/menus/deviceinformationsubmenu.h"

void Norvik7::makeMediaConnections()
{
    // Capture.
    connect(saveTriggerButton, &QPushButton::clicked, this, &Norvik7::isSaveImageVideo);
    // The panel's cancel first toggles the panel itself (its own connection), then this.
    connect(imageVideoSaveMenu->pushButton, &QPushButton::clicked, this, &Norvik7::isSaveImageVideo);
    connect(imageVideoSaveMenu->pushButton_2, &QPushButton::clicked, this, &Norvik7::saveImage);
    connect(deviceInformationSubMenu, &DeviceInformationSubMenu::availableDiskIsSmall, this,
            &Norvik7::availableDiskIsSmall);

    // Gallery and viewer.
    connect(imageListViewer, &ImageListViewer::updateText, imageViewer, &ImageViewer::getCurrentImageName);
    connect(imageListViewer, &ImageListViewer::updateItemText, this, &Norvik7::displayImageOrPlayVideo);
    connect(imageListViewer, &ImageListViewer::updateItemText, deleteImageMenu, &DeleteImageMenu::deleteImageName);
    connect(imageViewer, &ImageViewer::deleteImage, imageListViewer, &ImageListViewer::deleteImage);
    connect(imageViewer, &ImageViewer::currentImageNameUpdate, deleteImageMenu, &DeleteImageMenu::deleteImageName);
    connect(imageViewer, &ImageViewer::currentImageNameUpdate, imageViewerMenu, &ImageViewerMenu::currentImageName);
    connect(imageViewer, &ImageViewer::currentImageNameUpdate, imageListViewer, &ImageListViewer::currentItemUpdate);
    connect(imageViewer, &ImageViewer::currentImageNameUpdate, imageDetailInfoMenu,
            &ImageDetailInfoMenu::updateImageDetailInfoMenu);
    connect(this, &Norvik7::updateVideoName, videoDetailInfoMenu, &VideoDetailInfoMenu::updateVideoDetailInfoMenu);
    connect(deleteImageMenu->pushButton, &QPushButton::clicked, imageViewer, &ImageViewer::deleteCurrentImage);
    connect(deleteImageMenu->pushButton, &QPushButton::clicked, videoWidget, &myWidget::deleteCurrentVideo);
    connect(deleteImageMenu->pushButton, &QPushButton::clicked, deleteImageMenu, &QWidget::hide);
    // The last image deleted with none left: the viewer's bars go with it.
    connect(imageViewer, &ImageViewer::nothingLeft, this, [this] {
        for (QWidget *w : {static_cast<QWidget *>(imageViewerMenu), static_cast<QWidget *>(imageViewerSubMenu),
                           static_cast<QWidget *>(imageDetailInfoMenu)})
            w->hide();
    });
    // The gallery closing by itself (card taken out, nothing left): everything over it closes too.
    connect(imageListViewer, &ImageListViewer::closingByItself, this, [this] {
        while (imageListViewer->isVisible() &&
               (imageViewer->isVisible() || videoWidget->isVisible() || imageViewerSubMenu->isVisible() ||
                videoViewerSubMenu->isVisible()) &&
               closeOneLevel()) {}
    });

    // Video player.
    connect(videoPlayerMenu->pushButton, &QPushButton::clicked, videoWidget, &myWidget::videoPlayAndPause);
    connect(videoPlayerMenu->pushButton_2, &QPushButton::clicked, videoWidget, &myWidget::videoPlayBackForward);
    connect(videoPlayerMenu->pushButton_3, &QPushButton::clicked, videoWidget, &myWidget::videoPlayFastForward);
    connect(videoWidget, &myWidget::playStatusChanged, videoPlayerMenu, &VideoPlayerMenu::changePlayIcon);
    connect(videoWidget, &myWidget::videoPlayExit, videoPlayerMenu, &QWidget::close);
    connect(videoWidget, &myWidget::deleteVideo, videoPlayerMenu, &QWidget::close);
    connect(videoWidget, &myWidget::deleteVideo, imageListViewer, &ImageListViewer::deleteVideo);
}

void Norvik7::displayImageOrPlayVideo(QString name)
{
    if (name.contains(QLatin1String("Qel")))
        emit updateVideoName(name);
    const QString boardPath = mediafolder::boardPath(name);
    const QString path = board::path(boardPath);
    qCDebug(lcMedia) << "The file name is " << boardPath;
    if (!QFile::exists(path))
        return;
    if (name.contains(QLatin1String("IMG"))) {
        if (!imageViewer->showPicture(path))
            return;   // a file that does not load is not opened
        imageViewer->show();
        imageViewerMenu->show();
    } else if (name.contains(QLatin1String("Qel"))) {
        qCDebug(lcMedia) << "Play video test ...";
        videoWidget->openVideoFile(path);
        if (!videoWidget->hasCapture() && videoWidget->error().isEmpty())
            return;   // nothing that plays: the gallery stays
        videoWidget->move(0, 0);
        videoWidget->show();
        videoPlayerMenu->show();
    }
}
