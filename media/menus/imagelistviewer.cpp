#include "media/menus/imagelistviewer.h"

#include "core/logging.h"

#include <QDebug>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QListWidgetItem>
#include <QScrollBar>
#include <QSplashScreen>
#include <QTimer>

#include "board/board.h"
#include "media/mediafolder.h"

static bool imageListViewerEnabled = true;
// Whether the last listing found a card.
static bool sdcardAccessible = false;
// The grid's window has reached the first entry of the listing.
static bool finishDisplayList = false;

namespace {
const char *const kTipStyle = "background-color: rgba(46, 117, 182, 50%);\nborder-color: rgb(255, 255, 255);\n";

bool cardOpens()
{
    const int fd = board::cardOpen();
    if (fd < 0)
        return false;
    board::closeFd(fd);
    return true;
}
}   // namespace

ImageListViewer::ImageListViewer(QMainWindow *parent) : Screen(&imageListViewerEnabled, parent)
{
    ImageList->setIconSize(QSize(60, 80));
    ImageList->setSpacing(7);
    ImageList->setViewMode(QListView::IconMode);
    ImageList->setResizeMode(QListView::Fixed);
    ImageList->setMovement(QListView::Static);
    ImageList->setLayoutMode(QListView::Batched);
    ImageList->setBatchSize(9);
    // No frame: three columns of 70 + 7 fit the 240 pixels.
    ImageList->setFrameShape(QFrame::NoFrame);
    // The slim bar mirrors the list's own (hidden) scroll bar.
    QScrollBar *inner = ImageList->verticalScrollBar();
    connect(inner, &QScrollBar::rangeChanged, this, &ImageListViewer::slt_rangeChanged);
    connect(inner, &QScrollBar::valueChanged, verticalScrollBar, &QScrollBar::setValue);
    connect(ImageList, &QListWidget::itemClicked, this, &ImageListViewer::showSelectedImage);
    verticalScrollBar->hide();
    messageLabel->hide();

    m_timer = new QTimer(this);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &ImageListViewer::updateImageList);
    m_timer->start();
}

void ImageListViewer::slt_rangeChanged(int min, int max)
{
    verticalScrollBar->setRange(min, max);
    verticalScrollBar->setValue(ImageList->verticalScrollBar()->value());
}

void ImageListViewer::clearList()
{
    ImageList->clear();
    m_fileNames.clear();
}

void ImageListViewer::showMessage(const QString &text)
{
    messageLabel->setText(text);
    messageLabel->show();
    messageLabel->raise();
}

void ImageListViewer::retranslate()
{
    Screen::retranslate();
    if (m_message == Message::NoCard)
        messageLabel->setText(tr("Please insert a SD card!"));
    else if (m_message == Message::NoImage)
        messageLabel->setText(tr("No Image in SD card!"));
}

void ImageListViewer::closeTips()
{
    if (m_tips)
        m_tips->close();
}

void ImageListViewer::imageListViewerEnable()
{
    if (isVisible()) {
        ++m_listing;
        closeTips();
        clearList();
        hide();
        imageListViewerEnabled = true;
        return;
    }
    verticalScrollBar->setValue(verticalScrollBar->maximum());
    ImageList->setFocus();
    show();
    imageListViewerEnabled = false;
    m_timer->start();   // a whole second before the grid is looked at again
    m_opening.start();
    imageListUpdate();
    m_opening.invalidate();
    closeTips();   // the loading is over
}

void ImageListViewer::closeByItself()
{
    emit closingByItself();
    ++m_listing;
    closeTips();
    clearList();
    hide();
    imageListViewerEnabled = true;
}

bool ImageListViewer::keepListing(int listing)
{
    if (m_opening.isValid() && m_opening.elapsed() > 500) {
        m_opening.invalidate();
        showTips();
    }
    return listing == m_listing;
}

void ImageListViewer::imageListUpdate()
{
    if (!cardOpens()) {
        sdcardAccessible = false;
        clearList();
        m_message = Message::NoCard;
        showMessage(tr("Please insert a SD card!"));
        QTimer::singleShot(500, this, [this] {
            if (!sdcardAccessible && isVisible())
                closeByItself();
        });
        return;
    }
    sdcardAccessible = true;
    showImageList();
}

QListWidgetItem *ImageListViewer::makeItem(const QString &name) const
{
    const QString path = board::path(mediafolder::boardPath(name));
    const QFileInfo info(path);
    QImage picture;
    if (info.size() > 0) {
        QImageReader reader(path);
        reader.read(&picture);
    }
    if (picture.isNull()) {
        qCDebug(lcMedia, "Image: File name is %s, File size is %d", qPrintable(name), int(info.size()));
        return nullptr;
    }
    const QImage thumb = picture.scaled(60, 80, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    auto *item = new QListWidgetItem(QIcon(QPixmap::fromImage(thumb)), mediafolder::stem(name));
    item->setSizeHint(QSize(70, 98));
    return item;
}

void ImageListViewer::showImageList()
{
    const int thisListing = ++m_listing;
    const mediafolder::Listing listing = mediafolder::listImages();
    if (!keepListing(thisListing))
        return;
    if (listing.status != mediafolder::Status::Ok) {
        // The grid stays as it was; an empty one says why.
        if (ImageList->count() == 0 && listing.status != mediafolder::Status::TooMany) {
            m_message = Message::NoImage;
            showMessage(tr("No Image in SD card!"));
        }
        return;
    }
    clearList();
    finishDisplayList = false;
    m_fileNames = listing.names;
    const int n = m_fileNames.size();
    verticalScrollBar->setVisible(n > 8);
    const QStringList names = m_fileNames;
    for (int i = mediafolder::firstShown(n); i < n; ++i) {
        if (QListWidgetItem *item = makeItem(names.at(i)))
            ImageList->addItem(item);
        if (!keepListing(thisListing))
            return;
    }
    const QString cover = board::path(mediafolder::boardPath(QStringLiteral("cover.jpg")));
    if (QFile::exists(cover))
        QFile::remove(cover);
    if (ImageList->count() > 0) {
        ImageList->setCurrentRow(ImageList->count() - 1, QItemSelectionModel::SelectCurrent);
        m_message = Message::None;
        messageLabel->hide();
    } else {
        m_message = Message::NoImage;
        showMessage(tr("No Image in SD card!"));
    }
    ImageList->show();
    printf("Current row is %d\n", ImageList->currentRow());
}

void ImageListViewer::updateImageList()
{
    if (!isVisible())
        return;   // nothing to keep current while the gallery is closed
    const int row = ImageList->currentRow();
    if (row >= 0 && row <= 2) {
        printf("You reached the top of the vertical scroll bar!\n");
        emit reachedTop();
    }
    // An empty grid is listed again; a card taken out closes the gallery.
    if (row == -1 || !cardOpens())
        imageListUpdate();
    // Still nothing to show on a card that is there: the gallery closes.
    if (sdcardAccessible && ImageList->count() == 0 && isVisible())
        closeByItself();
}

void ImageListViewer::showPreviousImageList()
{
    QListWidgetItem *selected = ImageList->currentItem();
    if (!selected)
        return;
    const mediafolder::Listing listing = mediafolder::listImages();
    if (listing.status != mediafolder::Status::Ok)
        return;
    m_fileNames = listing.names;
    const QString text = selected->text();
    int i = m_fileNames.indexOf(text + QStringLiteral(".bmp"));
    if (i < 0)
        i = m_fileNames.indexOf(text + QStringLiteral(".avi"));
    if (i < 0 || i == m_fileNames.size() - 1)
        return;
    const int start = mediafolder::scrollBackStart(i, ImageList->row(selected), &finishDisplayList);
    if (start < 0)
        return;
    curStr = text;
    int row = 0;
    for (int k = start; k < m_fileNames.size(); ++k) {
        const QString name = m_fileNames.at(k);
        const QListWidgetItem *below = ImageList->item(row);
        if (below && below->text() == mediafolder::stem(name))
            break;
        if (QListWidgetItem *item = makeItem(name))
            ImageList->insertItem(row++, item);
    }
    const QList<QListWidgetItem *> again = ImageList->findItems(curStr, Qt::MatchExactly);
    if (!again.isEmpty())
        ImageList->setCurrentItem(again.first());
    verticalScrollBar->setVisible(ImageList->count() >= 9);
    printf("fileNames count is %d\n", int(m_fileNames.size()));
}

void ImageListViewer::showSelectedImage(QListWidgetItem *item)
{
    if (!item)
        return;
    closeTips();   // the loading is over; the tip would cover what opens
    const QString name = mediafolder::fileOfItem(item->text());
    if (name.contains(QLatin1String("bmp")) && QFile::exists(board::path(mediafolder::boardPath(name))))
        emit updateText(name);
    emit updateItemText(name);
}

void ImageListViewer::currentItemUpdate(QString name)
{
    if (updatingDisabled)
        return;
    const int dot = name.lastIndexOf('.');
    const QString text = dot < 0 ? name : name.left(dot);
    const QList<QListWidgetItem *> found = ImageList->findItems(text, Qt::MatchExactly);
    if (!found.isEmpty()) {
        ImageList->setCurrentItem(found.first());
        qCDebug(lcMedia) << "Row is " << ImageList->row(found.first());
    }
    const int row = ImageList->currentRow();
    qCDebug(lcMedia) << "Current row is " << row;
    if (row <= 2)
        showPreviousImageList();
}

void ImageListViewer::deleteImage(QString name)
{
    if (ImageList->currentRow() < 0)
        return;
    const QString text = mediafolder::stem(name);
    for (QListWidgetItem *item : ImageList->findItems(text, Qt::MatchExactly))
        delete ImageList->takeItem(ImageList->row(item));
    m_fileNames.removeAll(name);
    qCDebug(lcMedia) << "Delete image!......";
    QFile::remove(board::path(mediafolder::boardPath(text + QStringLiteral(".jpg"))));
    board::run(QStringLiteral("sync"));
    board::run(QStringLiteral("sync"));
}

void ImageListViewer::deleteVideo()
{
    QListWidgetItem *item = ImageList->currentItem();
    if (!item)
        return;
    const QString text = item->text();
    delete ImageList->takeItem(ImageList->row(item));
    m_fileNames.removeAll(text + QStringLiteral(".bmp"));
    // The video and its cover, which would otherwise stay in the grid.
    QFile::remove(board::path(mediafolder::boardPath(text + QStringLiteral(".avi"))));
    QFile::remove(board::path(mediafolder::boardPath(text + QStringLiteral(".bmp"))));
    board::run(QStringLiteral("sync"));
}

void ImageListViewer::showTips()
{
    if (!m_tips) {
        m_tips = new QSplashScreen(QPixmap(160, 32));
        m_tips->setWindowFlags(Qt::FramelessWindowHint | Qt::SplashScreen);
        m_tips->setGeometry(40, 100, 160, 32);
        m_tips->setStyleSheet(QString::fromLatin1(kTipStyle));
        connect(this, &QObject::destroyed, m_tips, &QObject::deleteLater);
    }
    QPixmap back(160, 32);
    back.fill(QColor(46, 117, 182, 128));
    m_tips->setPixmap(back);
    m_tips->setGeometry(40, 100, 160, 32);
    m_tips->show();
    m_tips->showMessage(tr("Loading images..."), Qt::AlignCenter, Qt::white);
}
