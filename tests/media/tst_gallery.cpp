// The gallery, the image viewer and the image details, used with the keys
// as a person uses them, on a card holding what each case needs.
#include "common/livedevice.h"

#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewermenu.h"
#include "media/menus/imageviewersubmenu.h"

#include <QListWidget>
#include <QScrollBar>
#include <QSplashScreen>

namespace {

QStringList itemTexts(const QListWidget *list)
{
    QStringList t;
    for (int i = 0; i < list->count(); ++i)
        t << list->item(i)->text();
    return t;
}

QStringList stems(int from, int to)
{
    QStringList s;
    for (int i = from; i <= to; ++i)
        s << QStringLiteral("IMG_%1").arg(i, 4, 10, QLatin1Char('0'));
    return s;
}

// The gallery opened and the newest image shown in the viewer.
void openNewest(LiveDevice &d)
{
    d.press(keycode::Gallery);
    d.press(keycode::Ok);
    QVERIFY(d.w->imageViewer->isVisible());
}

// A booted device with `images` images on the card.
struct Card : LiveDevice {
    explicit Card(int images)
    {
        boot();
        putImages(images);
    }
};

}   // namespace

class TestGallery : public QObject {
    Q_OBJECT
private slots:
    void grid_data();
    void grid();
    void tooManyFilesLeaveTheGrid();
    void viewerSteps();
    void deleteFromTheViewer_data();
    void deleteFromTheViewer();
    void scrollingBack();
    void details();
    void detailsOfFilesWithoutBlocks_data();
    void detailsOfFilesWithoutBlocks();
    void cardRemovedWhileOpen();
    void framedAndFullScreen();
};

void TestGallery::grid_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<QString>("spoilt");   // a file on the card that is no image
    QTest::addColumn<QStringList>("items");
    QTest::addColumn<bool>("scrollBar");
    QTest::newRow("12: the last nine, newest selected") << 12 << "" << stems(4, 12) << true;
    QTest::newRow("8: no scroll bar") << 8 << "" << stems(1, 8) << false;
    QTest::newRow("9: scroll bar") << 9 << "" << stems(1, 9) << true;
    QTest::newRow("0: the message") << 0 << "" << QStringList() << false;
    QTest::newRow("zero-length IMG_0005 left out") << 8 << "IMG_0005.bmp:" << (stems(1, 4) + stems(6, 8)) << false;
    QTest::newRow("garbage IMG_0003 left out")
        << 8 << "IMG_0003.bmp:garbage" << (QStringList{"IMG_0001", "IMG_0002"} + stems(4, 8)) << false;
}

void TestGallery::grid()
{
    QFETCH(int, images);
    QFETCH(QString, spoilt);
    QFETCH(QStringList, items);
    QFETCH(bool, scrollBar);
    Card d(images);
    if (!spoilt.isEmpty())
        d.board.write(kFolder + spoilt.section(':', 0, 0), spoilt.section(':', 1).toLatin1());
    d.press(keycode::Gallery);
    ImageListViewer *g = d.w->imageListViewer;
    QCOMPARE(itemTexts(g->ImageList), items);
    QCOMPARE(g->verticalScrollBar->isVisible(), scrollBar);
    QVERIFY(!splashMessages().contains(QStringLiteral("Loading images...")));   // a quick listing
    if (items.isEmpty()) {
        QVERIFY(g->messageLabel->isVisible());
        QCOMPARE(g->messageLabel->text(), QStringLiteral("No Image in SD card!"));
        // Nothing to show: the gallery closes by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!g->isVisible(), 3000);
        return;
    }
    QCOMPARE(g->ImageList->currentItem()->text(), items.last());
    QVERIFY(!g->messageLabel->isVisible());
    // A file that is no image stays on the card.
    if (!spoilt.isEmpty())
        QVERIFY(d.onCard(spoilt.section(':', 0, 0)));
    if (images == 12)
        QVERIFY(saveScreenshot("media_gallery_grid", {g}));
    // The gallery key closes it again and the grid is forgotten.
    d.press(keycode::Gallery);
    QVERIFY(!g->isVisible());
    QCOMPARE(g->ImageList->count(), 0);
}

void TestGallery::tooManyFilesLeaveTheGrid()
{
    Card d(2);
    d.press(keycode::Gallery);
    ImageListViewer *g = d.w->imageListViewer;
    QCOMPARE(g->ImageList->count(), 2);
    // 10,001 files: the listing is not taken, the grid stays as it was.
    for (int i = 3; i <= 10001; ++i) {
        QFile f(d.folder() + QStringLiteral("IMG_%1.bmp").arg(i, 5, 10, QLatin1Char('0')));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    g->showImageList();
    QCOMPARE(itemTexts(g->ImageList), stems(1, 2));
}

void TestGallery::viewerSteps()
{
    Card d(3);
    openNewest(d);
    Norvik7 &w = *d.w;
    QCOMPARE(w.imageViewer->currentImageName, QStringLiteral("IMG_0003.bmp"));
    QVERIFY(saveScreenshot("media_viewer", {w.imageViewer, w.imageViewerMenu}));
    // Past the last image: the tip for one second.
    d.press(keycode::Right);
    QCOMPARE(w.imageViewer->currentImageName, QStringLiteral("IMG_0003.bmp"));
    QSplashScreen *tip = w.imageViewer->endTip();
    QVERIFY(tip && tip->isVisible());
    QCOMPARE(tip->message(), QStringLiteral("No more images"));
    QTest::qWait(600);
    QVERIFY(tip->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(!tip->isVisible(), 1000);
    d.press(keycode::Left);
    QCOMPARE(w.imageViewer->currentImageName, QStringLiteral("IMG_0002.bmp"));
    QCOMPARE(w.imageViewerMenu->imageNameLabel->text(), QStringLiteral("IMG_0002"));
    // The grid's selection follows the viewer.
    QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), QStringLiteral("IMG_0002"));
    // The picture shown is that file's.
    const QImage shown = w.imageViewer->ShowImageLabel->pixmap().toImage();
    QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).red(), 40);
    d.press(keycode::Left, 2);   // to the first, then before it
    QCOMPARE(w.imageViewer->currentImageName, QStringLiteral("IMG_0001.bmp"));
    QVERIFY(splashMessages().contains(QStringLiteral("No more images")));
    // Back closes the viewer, then the gallery.
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("ImageListViewer")});
    d.press(keycode::Back);
    QCOMPARE(d.visibleMenus(), QStringList());
}

void TestGallery::deleteFromTheViewer_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<int>("steps");   // left presses before deleting
    QTest::addColumn<QString>("deleted");
    QTest::addColumn<QString>("shownAfter");   // empty: the viewer closes on the empty grid
    QTest::newRow("the last: the one before") << 4 << 0 << "IMG_0004"
                                              << "IMG_0003.bmp";
    QTest::newRow("a middle one: the one after") << 4 << 2 << "IMG_0002"
                                                 << "IMG_0003.bmp";
    QTest::newRow("the first: the one after") << 4 << 3 << "IMG_0001"
                                              << "IMG_0002.bmp";
    QTest::newRow("the only one") << 1 << 0 << "IMG_0001"
                                  << "";
}

void TestGallery::deleteFromTheViewer()
{
    QFETCH(int, images);
    QFETCH(int, steps);
    QFETCH(QString, deleted);
    QFETCH(QString, shownAfter);
    Card d(images);
    openNewest(d);
    Norvik7 &w = *d.w;
    d.press(keycode::Left, steps);
    QCOMPARE(w.imageViewer->currentImageName, deleted + ".bmp");
    d.press(keycode::Ok);   // the action bar, on "Delete"
    QCOMPARE(w.imageViewerSubMenu->tipsLabel->text(), QStringLiteral("Delete"));
    d.press(keycode::Ok);   // the question, on "No"
    QCOMPARE(w.deleteImageMenu->label->text(), "Delete " + deleted + ".bmp?");
    if (images == 4 && steps == 0)
        QVERIFY(saveScreenshot("media_delete_question", {w.imageViewer, w.imageViewerSubMenu, w.deleteImageMenu}));
    d.press(keycode::Ok);   // "No": nothing goes
    QVERIFY(!w.deleteImageMenu->isVisible());
    QVERIFY(d.onCard(deleted + ".bmp"));
    d.press(keycode::Ok);   // the question again
    d.press(keycode::Up);   // to "Yes"
    d.board.clearCommands();
    d.press(keycode::Ok);
    QVERIFY(!d.onCard(deleted + ".bmp"));
    QVERIFY(!d.onCard(deleted + ".jpg"));
    QCOMPARE(d.board.commands().filter(QStringLiteral("sync")).size(), 2);
    QVERIFY(!itemTexts(w.imageListViewer->ImageList).contains(deleted));
    QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 2 * images - 2);   // every other file stays
    if (shownAfter.isEmpty()) {
        // Nothing left: the viewer goes, then the grid by itself.
        QTRY_COMPARE_WITH_TIMEOUT(d.visibleMenus(), QStringList(), 3000);
        return;
    }
    QCOMPARE(w.imageViewer->currentImageName, shownAfter);
    QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), shownAfter.left(8));
}

void TestGallery::scrollingBack()
{
    Card d(20);
    d.press(keycode::Gallery);
    QListWidget *list = d.w->imageListViewer->ImageList;
    QCOMPARE(itemTexts(list), stems(12, 20));
    // The selection on the top row: the up key brings the row before.
    list->setCurrentRow(1);
    d.press(keycode::Up);
    QCOMPARE(itemTexts(list), stems(9, 20));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("IMG_0013"));
    list->setCurrentRow(0);
    d.press(keycode::Up);
    QCOMPARE(itemTexts(list), stems(6, 20));
    list->setCurrentRow(2);   // IMG_0008, listing index 7
    d.press(keycode::Up);
    QCOMPARE(itemTexts(list), stems(3, 20));
    list->setCurrentRow(0);   // IMG_0003, index 2: the rest from the first
    d.press(keycode::Up);
    list->setCurrentRow(0);   // nothing more
    d.press(keycode::Up);
    QCOMPARE(itemTexts(list), stems(1, 20));
    // The viewer walking back past the window scrolls the grid too.
    d.press(keycode::Gallery);
    d.press(keycode::Gallery);
    QCOMPARE(itemTexts(list), stems(12, 20));
    d.press(keycode::Ok);
    d.press(keycode::Left, 9);
    QCOMPARE(d.w->imageViewer->currentImageName, QStringLiteral("IMG_0011.bmp"));
    QCOMPARE(list->currentItem()->text(), QStringLiteral("IMG_0011"));
}

void TestGallery::details()
{
    LiveDevice d;
    d.boot();
    savedimage::ExifFields f;
    f.unitFlag = 1;
    f.maxTemp = 370;
    f.minTemp = -52;
    f.centerTemp = 215;
    f.emissivity = 95;
    QDir().mkpath(d.folder());
    d.board.write(kFolder + "IMG_0001.bmp", imageFile(10));
    d.board.write(kFolder + "IMG_0002.bmp", imageFile(20, f));
    openNewest(d);
    Norvik7 &w = *d.w;
    ImageDetailInfoMenu *page = w.imageDetailInfoMenu;
    d.press(keycode::Ok);     // the action bar
    d.press(keycode::Left);   // "Information"
    QCOMPARE(w.imageViewerSubMenu->tipsLabel->text(), QStringLiteral("Information"));
    d.press(keycode::Ok);
    QVERIFY(page->isVisible());
    QCOMPARE(page->FileName->text(), QStringLiteral("IMG_0002.bmp"));
    QCOMPARE(page->Emissivity->text(), QStringLiteral("0.95"));
    QCOMPARE(page->Max->text(), QStringLiteral("98.6\u2109 "));
    QCOMPARE(page->Min->text(), QStringLiteral("22.6\u2109 "));
    QCOMPARE(page->Center->text(), QStringLiteral("70.7\u2109 "));
    QVERIFY(QDateTime::fromString(page->DateAndTime->text(), "yyyy/MM/dd hh:mm:ss").isValid());
    QVERIFY(saveScreenshot("media_image_details", {w.imageViewer, page}));
    // The page follows the viewer.
    page->hide();
    w.imageViewerSubMenu->hide();
    d.press(keycode::Left);
    QCOMPARE(page->FileName->text(), QStringLiteral("IMG_0001.bmp"));
    QCOMPARE(page->Max->text(), QStringLiteral("0.0\u2103 "));
}

void TestGallery::detailsOfFilesWithoutBlocks_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QByteArray good = imageFile(5);
    QTest::newRow("abandoned save: no blocks") << good.left(230454);
    QTest::newRow("block cut short") << good.left(230454 + 1000);
    QTest::newRow("zero length") << QByteArray();
}

void TestGallery::detailsOfFilesWithoutBlocks()
{
    QFETCH(QByteArray, bytes);
    LiveDevice d;
    ImageDetailInfoMenu *page = d.w->imageDetailInfoMenu;
    savedimage::ExifFields f;
    f.maxTemp = 365;
    f.emissivity = 90;
    QDir().mkpath(d.folder());
    d.board.write(kFolder + "IMG_0001.bmp", imageFile(1, f));
    d.board.write(kFolder + "IMG_0002.bmp", bytes);
    page->updateImageDetailInfoMenu("IMG_0001.bmp");
    QCOMPARE(page->Max->text(), QStringLiteral("36.5\u2103 "));
    page->updateImageDetailInfoMenu("IMG_0002.bmp");
    QCOMPARE(page->Max->text(), QStringLiteral("36.5\u2103 "));
    QCOMPARE(page->Emissivity->text(), QStringLiteral("0.90"));
    // A missing file changes only the name.
    const QString date = page->DateAndTime->text();
    page->updateImageDetailInfoMenu("IMG_0099.bmp");
    QCOMPARE(page->FileName->text(), QStringLiteral("IMG_0099.bmp"));
    QCOMPARE(page->DateAndTime->text(), date);
}

void TestGallery::cardRemovedWhileOpen()
{
    Card d(3);
    openNewest(d);
    Norvik7 &w = *d.w;
    d.press(keycode::Ok);   // the action bar over the viewer
    d.board.remove(QStringLiteral("/dev/mmcblk0p1"));
    QDir(d.folder()).removeRecursively();
    // The viewer keeps its picture; stepping finds nothing and shows nothing new.
    w.imageViewer->showPreviousImage();
    QCOMPARE(w.imageViewer->currentImageName, QStringLiteral("IMG_0003.bmp"));
    // Within the gallery's next look at the card everything closes.
    QTRY_VERIFY_WITH_TIMEOUT(d.visibleMenus().isEmpty(), 3000);
    // The gallery key opens it again with the message, and it closes again.
    d.press(keycode::Gallery);
    QCOMPARE(w.imageListViewer->messageLabel->text(), QStringLiteral("Please insert a SD card!"));
    QVERIFY(w.imageListViewer->messageLabel->isVisible());
    QCOMPARE(w.imageListViewer->ImageList->count(), 0);
    QTRY_VERIFY_WITH_TIMEOUT(d.visibleMenus().isEmpty(), 2000);
}

void TestGallery::framedAndFullScreen()
{
    Card d(1);
    openNewest(d);
    ImageViewer *v = d.w->imageViewer;
    QCOMPARE(v->ShowImageLabel->pixmap().size(), QSize(240, 320));
    v->fullScreenShowImage();
    QCOMPARE(v->ShowImageLabel->geometry(), QRect(30, 24, 180, 240));
    QCOMPARE(v->ShowImageLabel->pixmap().size(), QSize(180, 240));
    v->exitImageViewer();   // framed again when it is next opened
    QCOMPARE(v->ShowImageLabel->geometry(), QRect(0, 0, 240, 320));
}

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
