#pragma once
// The full-screen image viewer (`ShowImageLabel`); `pushButton` shows the
// previous image and `pushButton_2` the next one.
#include "core/menuwindow.h"
#include "ui_imageviewer.h"

class QSplashScreen;

class ImageViewer : public Screen<Ui::ImageViewer, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageViewer(QMainWindow *parent = nullptr);

    // The name of the image shown (IMG_0001.bmp) and its listing index.
    QString currentImageName;
    int iterator = -1;
    // The "No more images" window (for a look in tests).
    QSplashScreen *endTip() const { return m_endTip; }

    // Shows a picture file (host path) scaled to the label; false
    // when it does not load.
    bool showPicture(const QString &hostPath);

signals:
    void currentImageNameUpdate(QString name);
    void deleteImage(QString name);
    // The last image shown was deleted and none is left to show: the viewer closed.
    void nothingLeft();

public slots:
    void imageViewerEnable();
    void getCurrentImageName(QString name);
    void showNextImage();
    void showPreviousImage();
    void fullScreenShowImage();
    void exitImageViewer();
    void deleteCurrentImage();

protected:
    void retranslate() override;

private:
    void step(int direction);
    void showEndTip();
    QSplashScreen *m_endTip = nullptr;
};
