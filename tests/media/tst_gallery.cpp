// The gallery, the image viewer and the image details, used with the keys
// as a person uses them, on a card holding what each case needs.
#include "common/livedevice.h"

#include "media/menus/deleteimagemenu.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewersubmenu.h"

#include <QListWidget>

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
    void deleteFromTheViewer_data();
    void deleteFromTheViewer();
};

void TestGallery::grid_data()
{
    QTest::addColumn<int>("images");
    QTest::addColumn<QString>("spoilt");   // a file on the card that is no image
    QTest::addColumn<QStringList>("items");
    QTest::newRow("12: the last nine, newest selected") << 12 << "" << stems(4, 12);
    QTest::newRow("0: the message") << 0 << "" << QStringList();
    QTest::newRow("zero-length IMG_0005 left out") << 8 << "IMG_0005.bmp:" << (stems(1, 4) + stems(6, 8));
    QTest::newRow("garbage IMG_0003 left out")
        << 8 << "IMG_0003.bmp:garbage" << (QStringList{"IMG_0001", "IMG_0002"} + stems(4, 8));
}

void TestGallery::grid()
{
    QFETCH(int, images);
    QFETCH(QString, spoilt);
    QFETCH(QStringList, items);
    Card d(images);
    if (!spoilt.isEmpty())
        d.board.write(kFolder + spoilt.section(':', 0, 0), spoilt.section(':', 1).toLatin1());
    d.press(keycode::Gallery);
    ImageListViewer *g = d.w->imageListViewer;
    QCOMPARE(itemTexts(g->ImageList), items);
    QCOMPARE(g->messageLabel->isVisible(), items.isEmpty());
    if (items.isEmpty()) {
        QCOMPARE(g->messageLabel->text(), QStringLiteral("No Image in SD card!"));
        // Nothing to show: the gallery closes by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!g->isVisible(), 3000);
        return;
    }
    QCOMPARE(g->ImageList->currentItem()->text(), items.last());
    // A file that is no image stays on the card.
    QVERIFY(spoilt.isEmpty() || d.onCard(spoilt.section(':', 0, 0)));
    // The gallery key closes it again and the grid is forgotten.
    d.press(keycode::Gallery);
    QVERIFY(!g->isVisible());
    QCOMPARE(g->ImageList->count(), 0);
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
    QTest::newRow("before the grid's nine: the grid scrolls back") << 12 << 9 << "IMG_0003"
                                                                   << "IMG_0004.bmp";
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
    QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), deleted);   // the grid follows the viewer
    d.press(keycode::Ok);                                                     // the action bar, on "Delete"
    QCOMPARE(w.imageViewerSubMenu->tipsLabel->text(), QStringLiteral("Delete"));
    d.press(keycode::Ok);   // the question, on "No"
    QCOMPARE(w.deleteImageMenu->label->text(), "Delete " + deleted + ".bmp?");
    d.press(keycode::Ok);   // "No": nothing goes
    QVERIFY(!w.deleteImageMenu->isVisible());
    QVERIFY(d.onCard(deleted + ".bmp"));
    d.press(keycode::Ok);   // the question again
    d.press(keycode::Up);   // to "Yes"
    d.board.clearCommands();
    d.press(keycode::Ok);
    QVERIFY(!d.onCard(deleted + ".bmp") && !d.onCard(deleted + ".jpg"));
    QCOMPARE(d.board.commands().filter(QStringLiteral("sync")).size(), 2);
    QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 2 * images - 2);   // every other file stays
    if (shownAfter.isEmpty()) {
        // Nothing left: the viewer goes, then the grid by itself.
        QTRY_COMPARE_WITH_TIMEOUT(d.visibleMenus(), QStringList(), 3000);
        return;
    }
    QCOMPARE(w.imageViewer->currentImageName, shownAfter);
    QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), shownAfter.left(8));
    // The picture shown is that file's.
    const QImage shown = w.imageViewer->ShowImageLabel->pixmap().toImage();
    QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).red(), shownAfter.mid(4, 4).toInt() * 20);
}

QTEST_MAIN(TestGallery)
#include "tst_gallery.moc"
