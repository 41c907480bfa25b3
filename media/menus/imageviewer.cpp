#include "media/menus/imageviewer.h"

#include "core/logging.h"

#include <QDebug>
#include <QFile>
#include <QImageReader>
#include <QSplashScreen>
#include <QTimer>

#include "board/board.h"
#include "media/mediafolder.h"

static bool imageViewerEnabled = true;
// The picture fills the screen (else it sits framed at 180 x 240); the label
// starts full screen.
static bool fullScreenShowImageEnabled = true;

namespace {
const char *const kTipStyle = "background-color: rgba(255, 255, 255, 50%);\nborder-color: rgb(255, 255, 255);\n";
}

ImageViewer::ImageViewer(QMainWindow *parent) : Screen(&imageViewerEnabled, parent)
{
    // Previous and next, in this order: the left and right keys click them.
    setButtons({pushButton, pushButton_2});
    connect(pushButton, &QPushButton::clicked, this, &ImageViewer::showPreviousImage);
    connect(pushButton_2, &QPushButton::clicked, this, &ImageViewer::showNextImage);
}

void ImageViewer::imageViewerEnable() { toggleVisible(); }

bool ImageViewer::showPicture(const QString &hostPath)
{
    QImage picture;
    QImageReader(hostPath).read(&picture);
    if (picture.isNull())
        return false;
    // Scaled to the label: 240 x 320 full screen, 180 x 240 framed.
    const QSize size = ShowImageLabel->size();
    ShowImageLabel->setPixmap(QPixmap::fromImage(picture.scaled(size, Qt::KeepAspectRatio, Qt::FastTransformation)));
    return true;
}

void ImageViewer::getCurrentImageName(QString name)
{
    emit currentImageNameUpdate(name);
    const mediafolder::Listing listing = mediafolder::listImages();
    iterator = listing.names.indexOf(name);
    currentImageName = name;
}

void ImageViewer::showNextImage() { step(+1); }
void ImageViewer::showPreviousImage() { step(-1); }

void ImageViewer::step(int direction)
{
    if (!isVisible())
        return;
    const mediafolder::Listing listing = mediafolder::listImages();
    if (listing.status != mediafolder::Status::Ok)
        return;   // no card or no folder: the picture stays
    const int at = listing.names.indexOf(currentImageName);
    int next = at + direction;
    if (at < 0)
        next = direction > 0 ? listing.names.size() : -1;   // the shown file is gone
    // Files that do not load are passed over, never shown as blank.
    while (next >= 0 && next < listing.names.size()) {
        const QString name = listing.names.at(next);
        if (showPicture(board::path(mediafolder::boardPath(name)))) {
            iterator = next;
            currentImageName = name;
            emit currentImageNameUpdate(name);
            return;
        }
        next += direction;
    }
    showEndTip();
}

void ImageViewer::showEndTip()
{
    if (!m_endTip) {
        QPixmap back(160, 32);
        back.fill(QColor(255, 255, 255, 128));
        m_endTip = new QSplashScreen(back);
        m_endTip->setWindowFlags(Qt::FramelessWindowHint | Qt::SplashScreen);
        m_endTip->setStyleSheet(QString::fromLatin1(kTipStyle));
        connect(this, &QObject::destroyed, m_endTip, &QObject::deleteLater);
    }
    m_endTip->setGeometry(40, 144, 160, 32);
    m_endTip->show();
    m_endTip->showMessage(tr("No more images"), Qt::AlignCenter, Qt::white);
    QTimer::singleShot(1000, m_endTip, &QWidget::close);
}

void ImageViewer::retranslate()
{
    Screen::retranslate();
    if (m_endTip && m_endTip->isVisible())
        m_endTip->showMessage(tr("No more images"), Qt::AlignCenter, Qt::white);
}

void ImageViewer::fullScreenShowImage()
{
    fullScreenShowImageEnabled = !fullScreenShowImageEnabled;
    if (fullScreenShowImageEnabled)
        ShowImageLabel->setGeometry(0, 0, 240, 320);
    else
        ShowImageLabel->setGeometry(30, 24, 180, 240);
    showPicture(board::path(mediafolder::boardPath(currentImageName)));
}

void ImageViewer::exitImageViewer() { ShowImageLabel->setGeometry(0, 0, 240, 320); }

void ImageViewer::deleteCurrentImage()
{
    if (!isVisible() || currentImageName.isEmpty())
        return;
    const QString name = currentImageName;
    const mediafolder::Listing before = mediafolder::listImages();
    const int at = before.names.indexOf(name);
    const bool wasLast = at >= 0 && at == before.names.size() - 1;
    QFile::remove(board::path(mediafolder::boardPath(name)));
    emit deleteImage(name);
    const mediafolder::Listing after = mediafolder::listImages();
    qCDebug(lcMedia) << "Dir count is " << after.names.size();
    currentImageName.clear();
    if (after.names.isEmpty() || at < 0) {
        hide();   // nothing left to show
        emit nothingLeft();
        return;
    }
    // The one before when the last was deleted, else the one that followed.
    int k = wasLast ? after.names.size() - 1 : qMin(at, int(after.names.size()) - 1);
    const int direction = wasLast ? -1 : +1;
    while (k >= 0 && k < after.names.size()) {
        if (showPicture(board::path(mediafolder::boardPath(after.names.at(k))))) {
            iterator = k;
            currentImageName = after.names.at(k);
            emit currentImageNameUpdate(currentImageName);
            return;
        }
        k += direction;
    }
    hide();
    emit nothingLeft();
}
