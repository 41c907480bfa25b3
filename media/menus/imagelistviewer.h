#pragma once
// The gallery: a grid of thumbnails of the card's images (list `ImageList`),
// with its own slim scroll bar and a message label when there is nothing to show.
#include "core/menuwindow.h"
#include "ui_imagelistviewer.h"

#include <QElapsedTimer>
#include <QStringList>

class QListWidgetItem;
class QSplashScreen;
class QTimer;

class ImageListViewer : public Screen<Ui::ImageListViewer, MenuWindow> {
    Q_OBJECT
public:
    explicit ImageListViewer(QMainWindow *parent = nullptr);

    // The file names of the current listing.
    const QStringList &fileNames() const { return m_fileNames; }
    QTimer *updateTimer() const { return m_timer; }
    // While set, currentItemUpdate() leaves the selection alone.
    bool updatingDisabled = false;

signals:
    void updateText(QString name);
    void updateItemText(QString name);
    void reachedTop();
    // The gallery is about to close by itself (the card gone, no image
    // left): whatever is open over it closes first.
    void closingByItself();

public slots:
    // Opens or closes the gallery.
    void imageListViewerEnable();
    void updateImageList();
    void imageListUpdate();
    void showImageList();
    void showPreviousImageList();
    void showSelectedImage(QListWidgetItem *item);
    void showTips();
    void slt_rangeChanged(int min, int max);
    // The viewer moved to `name`: select its item (scrolling back when needed).
    void currentItemUpdate(QString name);
    // The image `name` was deleted: its item and its JPEG go too.
    void deleteImage(QString name);
    // The video being played was deleted: its item and file go.
    void deleteVideo();

protected:
    void retranslate() override;

private:
    // An item for a listed file, or nullptr for an empty or unreadable one.
    QListWidgetItem *makeItem(const QString &name) const;
    void clearList();
    void closeTips();
    void closeByItself();
    // While the gallery opens: the loading tip once listing has taken over
    // half a second. False when the listing was overtaken meanwhile (the tip
    // lets events run: the gallery may have closed or listed again).
    bool keepListing(int listing);
    void showMessage(const QString &text);

    QStringList m_fileNames;
    QString curStr;   // the name to select again after scrolling back
    QTimer *m_timer = nullptr;
    QSplashScreen *m_tips = nullptr;
    QElapsedTimer m_opening;   // running while an opening lists
    int m_listing = 0;         // counts listings and closings
    enum class Message { None, NoCard, NoImage } m_message = Message::None;
};
