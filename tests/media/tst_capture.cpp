// Capture, the gallery and video playback as a person uses them: the trigger
// key freezes and a second press (or auto save) writes the image and its
// JPEG, exact, every refusal leaving the card as it was; the grid, the viewer
// and deleting; videos made here by OpenCV's writer played, sought, deleted,
// and files that are no video.
#include "common/livedevice.h"
#include "liveview/livesurface.h"
#include "core/config.h"
#include "liveview/menus/measurementsetmenu.h"
#include "media/capture.h"
#include "media/menus/autosavesetsubmenu.h"
#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewersubmenu.h"
#include "media/menus/videoplayermenu.h"
#include "media/menus/videowidget.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QDirIterator>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

namespace {

const QString kBacklight = QStringLiteral("/sys/devices/soc0/backlight.11/backlight/backlight.11/brightness");

// A capture-ready device: the live view with a frame's readouts and snapshots.
struct Camera : LiveDevice {
    Camera()
    {
        boot();
        for (int i = 0; i < 256 * 192; ++i) {
            viewState.irGrayRaw[i] = static_cast<uint8_t>(i % 251);
            viewState.irThermalRaw[i] = static_cast<uint16_t>(4500 + i % 1000);
        }
        viewState.center_temp = QStringLiteral("21.3");
        viewState.max_temp = QStringLiteral("36.5");
        viewState.min_temp = QStringLiteral("8.0");
        Norvik7::colorMap = 0;
        // The live picture shown, with a visible picture grabbed (frames before the
        // visible sensor starts bring none).
        QTRY_VERIFY_WITH_TIMEOUT(!w->vlcImage.isNull() && w->liveSurface->isLive(), 30000);
        availableDiskSmall = false;
        sdcardTipStatusEnable = true;
        QDir().mkpath(folder());
        board.clearCommands();
    }
    void trigger() const { press(keycode::Trigger); }
    int counter() const { return config::readInt(config::Image, QStringLiteral("image_count")); }
    bool frozen() const { return viewState.saveImageEnable.load(); }
    // Waits for the "Saved" confirmation to end.
    void waitSaved() const
    {
        QTRY_VERIFY_WITH_TIMEOUT(viewState.saveImageDone.load() && !viewState.saveImageEnable.load(), 5000);
    }
    QStringList files() const
    {
        return QDir(folder()).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
    }
};

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

// A video of `frames` frames at 8 a second, 24 x 32 pixels, each frame a shade of its own.
bool makeVideo(const QString &path, int frames)
{
    cv::VideoWriter out(QFile::encodeName(path).toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), 8.0,
                        cv::Size(24, 32));
    if (!out.isOpened())
        return false;
    for (int i = 0; i < frames; ++i)
        out.write(cv::Mat(32, 24, CV_8UC3, cv::Scalar((i * 10) % 256, 128, 64)));
    out.release();
    return true;
}

// A video on the card with its thumbnail in the gallery.
void putVideo(const TestBoard &board, const QString &stem, int frames)
{
    QDir().mkpath(board.file(kFolder));
    QVERIFY(makeVideo(board.file(kFolder + stem + ".avi"), frames));
    board.write(kFolder + stem + ".bmp", imageFile(90));
}

}   // namespace

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    void freezeThenSave()
    {
        Camera c;
        Norvik7 &w = *c.w;
        c.trigger();
        QVERIFY(c.frozen());
        QCOMPARE(w.imageVideoSaveMenu->focusWidget(), w.imageVideoSaveMenu->pushButton_2);
        QVERIFY(c.files().isEmpty());
        c.trigger();   // the panel's focused button: save
        QVERIFY(!w.imageVideoSaveMenu->isVisible());
        QCOMPARE(c.files(), (QStringList{"IMG_0001.bmp", "IMG_0001.jpg"}));
        QCOMPARE(QFileInfo(c.folder() + "IMG_0001.bmp").size(), 406096);
        QCOMPARE(QImage(c.folder() + "IMG_0001.jpg").size(), QSize(240, 320));
        QCOMPARE(c.counter(), 2);
        // Backlight off, restored twice, then the card synced twice.
        QCOMPARE(c.board.commands(),
                 (QStringList{"echo 0 > " + kBacklight, "echo 6 > " + kBacklight, "echo 6 > " + kBacklight, "sync",
                              "sync"}));
        // "Saved": the picture flying in, the name, the message; still frozen.
        QCOMPARE(splashMessages().size(), 2);
        QVERIFY(splashMessages().contains("IMG_0001.bmp") && splashMessages().contains("Saved"));
        QVERIFY(c.frozen());
        c.waitSaved();
        QVERIFY(splashMessages().isEmpty());
        // With auto save one press saves.
        c.w->autoSaveSetSubMenu->autoSaveSetSubMenuUpdateRbtn2();
        c.trigger();
        QVERIFY(c.onCard("IMG_0002.bmp"));
    }

    void numbering_data()
    {
        QTest::addColumn<QString>("stored");       // image_count before ("" = no key)
        QTest::addColumn<bool>("folder");          // DCIM_100 there
        QTest::addColumn<QStringList>("before");   // files already on the card
        QTest::addColumn<QString>("written");
        QTest::addColumn<int>("after");
        QTest::newRow("9999") << "9999" << true << QStringList() << "IMG_9999" << 10000;
        QTest::newRow("10000 reads as 1") << "10000" << true << QStringList() << "IMG_0001" << 2;
        QTest::newRow("garbage reads as 1") << "x" << true << QStringList() << "IMG_0001" << 2;
        QTest::newRow("missing folder numbers from 1") << "57" << false << QStringList() << "IMG_0001" << 2;
        // Saves cut short by a power cut or a pulled card: their part files are taken by the next save.
        QTest::newRow("part files left go") << "" << true << QStringList{".bmp.part", ".jpg.part"} << "IMG_0001" << 2;
    }

    void numbering()
    {
        QFETCH(QString, stored);
        QFETCH(bool, folder);
        QFETCH(QStringList, before);
        QFETCH(QString, written);
        QFETCH(int, after);
        Camera c;
        if (!stored.isEmpty())
            config::write(config::Image, QStringLiteral("image_count"), stored);
        if (!folder)
            QDir(c.folder()).removeRecursively();
        for (const QString &name : before)
            c.board.write(kFolder + name, "earlier " + name.toLatin1());
        c.trigger();
        c.trigger();
        QVERIFY2(QFileInfo(c.folder() + written + ".bmp").size() == 406096, qPrintable(c.files().join(' ')));
        QVERIFY(QFileInfo::exists(c.folder() + written + ".jpg"));
        QCOMPARE(c.counter(), after);
        // Earlier images are never overwritten.
        for (const QString &name : before)
            QCOMPARE(c.board.read(kFolder + name),
                     name.endsWith(".part") ? QByteArray() : "earlier " + name.toLatin1());
    }

    void refused_data()
    {
        QTest::addColumn<QStringList>("faultAndTip");
        QTest::newRow("no card") << QStringList{"card", "No SD card!"};
        QTest::newRow("1 MB free, read by capture") << QStringList{"space", "SD card is full!"};
        QTest::newRow("reported by the device information page") << QStringList{"report", "SD card is full!"};
        QTest::newRow("every number taken") << QStringList{"numbers", "SD card is full!"};
        QTest::newRow("folder name taken by a file") << QStringList{"folder", ""};
    }

    // Every refusal leaves the card and the counter as they were, and capture alive.
    void refused()
    {
        QFETCH(QStringList, faultAndTip);
        const QString fault = faultAndTip[0], tip = faultAndTip[1];
        Camera c;
        config::write(config::Image, QStringLiteral("image_count"), 42);
        if (fault == "card")
            c.board.remove(QStringLiteral("/dev/mmcblk0p1"));
        if (fault == "space")
            c.board.write("/sim/sd_free_mb", "1");
        if (fault == "report")
            emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
        for (int i = 1; fault == "numbers" && i <= 9999; ++i)
            QVERIFY(QFile(c.folder() + QStringLiteral("IMG_%1.bmp").arg(i, 4, 10, QLatin1Char('0')))
                        .open(QIODevice::WriteOnly));
        if (fault == "folder") {
            QDir(c.folder()).removeRecursively();
            c.board.write(kFolder.chopped(1), "not a folder");
        }
        const bool freezes = fault == "numbers" || fault == "folder";
        c.trigger();
        QCOMPARE(c.frozen(), freezes);
        if (freezes)
            c.trigger();
        QCOMPARE(splashMessages(), tip.isEmpty() ? QStringList() : QStringList{tip});
        QVERIFY(!c.frozen() && viewState.saveImageDone.load());
        QCOMPARE(c.counter(), 42);
        QStringList written;
        for (QDirIterator it(c.board.file("/media/mmcblk0p1"), QDir::Files | QDir::Hidden,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            if (it.next(), it.fileInfo().size() > 0)
                written << it.fileName();
        QCOMPARE(written, fault == "folder" ? QStringList{"DCIM_100"} : QStringList());
        QVERIFY(!c.board.commands().contains("sync"));
        // Capture goes on; the no-card tip shows once a second, the full card's each time.
        c.trigger();
        QCOMPARE(c.frozen(), freezes);
        QCOMPARE(splashMessages().size(), fault == "space" || fault == "report" ? 2 : tip.isEmpty() ? 0 : 1);
    }

    void cancelWritesNothing()
    {
        // UP to cancel, BACK, and a cancel while the card is full.
        Camera c;
        c.trigger();
        c.press(keycode::Up);
        c.trigger();
        QVERIFY(!c.frozen() && viewState.saveImageDone.load() && !c.w->imageVideoSaveMenu->isVisible());
        c.trigger();
        c.press(keycode::Back);
        QVERIFY(!c.frozen());
        c.trigger();
        emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
        c.press(keycode::Up);
        c.trigger();
        QVERIFY(!c.frozen() && c.files().isEmpty() && c.board.commands().isEmpty());
        QCOMPARE(c.counter(), 0);
    }

    void whatTheFileRecords()
    {
        Camera c;
        Norvik7 &w = *c.w;
        c.trigger();   // frozen: the readouts, marks and snapshots stay as they are now set
        QVERIFY(c.frozen());
        w.temperatureUnitSetMenu->radioButton_2->setChecked(true);   // Fahrenheit
        viewState.max_temp = QStringLiteral("98.6");
        viewState.min_temp = QStringLiteral("32.0");
        viewState.center_temp = QStringLiteral("70.4");
        w.measurementSetMenu->label_emissivity->setText(QStringLiteral("0.95"));
        w.HighTempLabel->move(100, 50);
        w.LowTempLabel->move(4, 290);
        Norvik7::colorMap = 5;
        viewState.irThermalRaw[0] = 12210;
        viewState.irThermalRaw[1] = 100;
        w.vlcImage = QImage();   // the visible sensor gave nothing: saved without the JPEG
        c.trigger();
        QCOMPARE(c.files(), QStringList{"IMG_0001.bmp"});
        QCOMPARE(c.counter(), 2);
        const QString path = c.folder() + "IMG_0001.bmp";
        const savedimage::Contents f = savedimage::readFile(path);
        QVERIFY(f.hasExif && f.hasRaw);
        const savedimage::ExifFields &e = f.fields;
        QCOMPARE(
            QList<int>({e.unitFlag, e.maxTemp, e.minTemp, e.centerTemp, e.emissivity, e.maxX, e.maxY, e.minX, e.minY}),
            QList<int>({1, 370, 0, 213, 95, 116, 66, 20, 306}));
        QVERIFY(f.colourTable == savedimage::colormap_Lava);
        // Raw: 12210 gains 128 and is then held at hi = (37 + 273.15) x 16 = 4962;
        // 100 is raised to lo = 273.15 x 16 = 4370.
        const QByteArray raw = savedimage::readRaw(path);
        QCOMPARE(quint16(quint8(raw[0]) | quint8(raw[1]) << 8), quint16(4962));
        QCOMPARE(quint16(quint8(raw[2]) | quint8(raw[3]) << 8), quint16(4370));
        QCOMPARE(viewState.irThermalRaw[0], uint16_t(12210));   // the live snapshot itself is left as it was
        // The gray picture is the frame enlarged.
        const QByteArray gray = savedimage::readGray(path);
        QCOMPARE(quint8(gray[5 * 240 + 5]), viewState.irGrayRaw[4 * 192 + 4]);
        // The BMP is the screen.
        const QRgb saved = QImage(path, "BMP").pixel(120, 160), shown = w.grab().toImage().pixel(120, 160);
        QVERIFY2(std::abs(qRed(saved) - qRed(shown)) + std::abs(qGreen(saved) - qGreen(shown)) +
                         std::abs(qBlue(saved) - qBlue(shown)) <=
                     12,
                 qPrintable(QString::number(saved, 16) + " " + QString::number(shown, 16)));
    }

    void serviceScreenshot()
    {
        Camera c;
        c.w->snapshotImage();
        QVERIFY(QDir(c.board.file("/media/mmcblk0p1")).entryList({"Velkar4*"}, QDir::Files).isEmpty());
        QDir().mkpath(c.board.file("/media/mmcblk0p1/Images"));
        c.press(keycode::Back);   // the back key in the live view takes one
        const QStringList shots = QDir(c.board.file("/media/mmcblk0p1/Images")).entryList(QDir::Files);
        QCOMPARE(shots.size(), 1);
        QVERIFY(QRegularExpression("^Velkar4SNAPSHOT\\d{14}\\.bmp$").match(shots.first()).hasMatch());
        QCOMPARE(QImage(c.board.file("/media/mmcblk0p1/Images/" + shots.first())).size(), QSize(240, 320));
        QVERIFY(c.files().isEmpty());   // no image number taken
    }

    void grid_data()
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

    void grid()
    {
        QFETCH(int, images);
        QFETCH(QString, spoilt);
        QFETCH(QStringList, items);
        LiveDevice d;
        d.boot();
        d.putImages(images);
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

    void deleteFromTheViewer_data()
    {
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("steps");   // left presses before deleting
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("shownAfter");   // 0: the viewer closes on the empty grid
        QTest::newRow("the last: the one before") << 4 << 0 << 4 << 3;
        QTest::newRow("a middle one: the one after") << 4 << 2 << 2 << 3;
        QTest::newRow("the first: the one after") << 4 << 3 << 1 << 2;
        QTest::newRow("the only one") << 1 << 0 << 1 << 0;
        QTest::newRow("before the grid's nine: the grid scrolls back") << 12 << 9 << 3 << 4;
    }

    void deleteFromTheViewer()
    {
        QFETCH(int, images);
        QFETCH(int, steps);
        QFETCH(int, deleted);
        QFETCH(int, shownAfter);
        LiveDevice d;
        d.boot();
        d.putImages(images);
        d.press(keycode::Gallery);
        d.press(keycode::Ok);   // the newest in the viewer
        Norvik7 &w = *d.w;
        const QString name = stems(deleted, deleted)[0], after = stems(shownAfter, shownAfter)[0];
        d.press(keycode::Left, steps);
        QCOMPARE(w.imageViewer->currentImageName, name + ".bmp");
        QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), name);   // the grid follows the viewer
        d.press(keycode::Ok);                                                  // the action bar, on "Delete"
        QCOMPARE(w.imageViewerSubMenu->tipsLabel->text(), QStringLiteral("Delete"));
        d.press(keycode::Ok);   // the question, on "No"
        QCOMPARE(w.deleteImageMenu->label->text(), "Delete " + name + ".bmp?");
        d.press(keycode::Ok);   // "No": nothing goes
        QVERIFY(!w.deleteImageMenu->isVisible());
        QVERIFY(d.onCard(name + ".bmp"));
        d.press(keycode::Ok);   // the question again
        d.press(keycode::Up);   // to "Yes"
        d.board.clearCommands();
        d.press(keycode::Ok);
        QVERIFY(!d.onCard(name + ".bmp") && !d.onCard(name + ".jpg"));
        QCOMPARE(d.board.commands().filter(QStringLiteral("sync")).size(), 2);
        QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 2 * images - 2);   // every other file stays
        if (!shownAfter) {
            // Nothing left: the viewer goes, then the grid by itself.
            QTRY_COMPARE_WITH_TIMEOUT(d.visibleMenus(), QStringList(), 3000);
            return;
        }
        QCOMPARE(w.imageViewer->currentImageName, after + ".bmp");
        QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), after);
        // The picture shown is that file's.
        const QImage shown = w.imageViewer->ShowImageLabel->pixmap().toImage();
        QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).red(), shownAfter * 20);
    }

    void seekLimits_data()
    {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<int>("from");   // in a video of 40 frames
        QTest::addColumn<int>("to");
        QTest::newRow("forward at framecount - 7 ignored") << true << 33 << 33;
        QTest::newRow("forward at framecount - 8 to the end") << true << 32 << 40;
        QTest::newRow("forward from the start") << true << 1 << 9;
        QTest::newRow("forward at -1 ignored") << true << -1 << -1;
        QTest::newRow("back at 7 ignored") << false << 7 << 7;
        QTest::newRow("back at 8 to 0") << false << 8 << 0;
        QTest::newRow("back at framecount") << false << 40 << 32;
        QTest::newRow("back past framecount ignored") << false << 41 << 41;
    }

    void seekLimits()
    {
        QFETCH(bool, forward);
        QFETCH(int, from);
        LiveDevice d;
        QTemporaryDir dir;
        QVERIFY(makeVideo(dir.filePath("Qel_0001.avi"), 40));
        myWidget *player = d.w->videoWidget;
        player->openVideoFile(dir.filePath("Qel_0001.avi"));
        QCOMPARE(playerState.framecount, 40);
        player->videoPause();
        playerState.cur_pos = from;
        if (forward)
            player->videoPlayFastForward();
        else
            player->videoPlayBackForward();
        QTEST(playerState.cur_pos, "to");
        player->videoPlayStop();
        QVERIFY(!player->hasCapture());
    }

    void playThroughTheGallery()
    {
        LiveDevice d;
        d.boot();
        putVideo(d.board, "Qel_0001", 24);
        Norvik7 &w = *d.w;
        QSignalSpy exits(w.videoWidget, &myWidget::videoPlayExit);
        d.press(keycode::Gallery);
        QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), QStringLiteral("Qel_0001"));
        d.press(keycode::Ok);
        QVERIFY(w.videoPlayerMenu->isVisible() && !w.imageViewer->isVisible());
        QCOMPARE(w.videoWidget->frame().size(), QSize(24, 32));
        QCOMPARE(playerState.play_flags, 1);
        // The details page has been told the name.
        QCOMPARE(w.videoDetailInfoMenu->FileName->text(), QStringLiteral("Qel_0001.avi"));
        QTRY_VERIFY_WITH_TIMEOUT(playerState.cur_pos >= 3, 2000);
        // OK pauses and plays.
        d.press(keycode::Ok);
        QCOMPARE(playerState.play_flags, 0);
        const int paused = playerState.cur_pos;
        QTest::qWait(400);
        QCOMPARE(playerState.cur_pos, paused);
        d.press(keycode::Ok);
        QCOMPARE(playerState.play_flags, 1);
        // To the end: the player closes and lets the video go.
        QTRY_VERIFY_WITH_TIMEOUT(!w.videoWidget->isVisible(), 5000);
        QCOMPARE(exits.count(), 1);
        QVERIFY(!w.videoWidget->hasCapture());
        QCOMPARE(playerState.play_flags, 0);
        QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("ImageListViewer")});
        // The details page reads the video's length.
        w.videoDetailInfoMenu->updateVideoDetailInfoMenu("Qel_0001.avi");
        QCOMPARE(w.videoDetailInfoMenu->Length->text(), QStringLiteral("00:00:03"));
    }

    void badVideos_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("garbage") << "garbage";
        QTest::newRow("zero length") << "empty";
        QTest::newRow("no frames") << "noframes";
        QTest::newRow("cut short") << "cut";
        QTest::newRow("card removed while playing") << "removed";
    }

    void badVideos()
    {
        QFETCH(QString, kind);
        LiveDevice d;
        d.boot();
        QDir().mkpath(d.folder());
        const QString path = d.folder() + "Qel_0001.avi";
        if (kind == "garbage" || kind == "empty")
            d.board.write(kFolder + "Qel_0001.avi", QByteArray(kind == "empty" ? 0 : 5000, char(0x5A)));
        else
            QVERIFY(makeVideo(path, kind == "noframes" ? 0 : kind == "cut" ? 30 : 400));
        if (kind == "cut")
            QVERIFY(QFile(path).resize(QFileInfo(path).size() / 3));
        d.board.write(kFolder + "Qel_0001.bmp", imageFile(3));
        d.press(keycode::Gallery);
        d.press(keycode::Ok);
        myWidget *player = d.w->videoWidget;
        if (kind == "removed") {
            QVERIFY(player->isVisible());
            d.board.remove(QStringLiteral("/dev/mmcblk0p1"));
        }
        // Whatever frames there are play, then the player closes.
        QTRY_VERIFY_WITH_TIMEOUT(!player->isVisible() && !d.w->videoPlayerMenu->isVisible(), 5000);
        QVERIFY(!player->hasCapture());
        QCOMPARE(playerState.play_flags, 0);
        player->nextFrame();   // a tick without a video does nothing
        QCOMPARE(d.w->imageListViewer->isVisible(), kind != "removed");
        QVERIFY(QFileInfo::exists(path));
    }

    void deleteWhilePlaying()
    {
        LiveDevice d;
        d.boot();
        d.putImages(1);
        putVideo(d.board, "Qel_0002", 400);
        Norvik7 &w = *d.w;
        d.press(keycode::Gallery);
        d.press(keycode::Ok);
        d.press(keycode::Up);   // the video's action bar, paused
        QCOMPARE(playerState.play_flags, 0);
        d.press(keycode::Right);   // "Delete"
        d.press(keycode::Ok);
        QVERIFY(w.deleteImageMenu->isVisible());
        d.press(keycode::Up);   // "Yes"
        d.press(keycode::Ok);
        QVERIFY(!d.onCard("Qel_0002.avi") && !d.onCard("Qel_0002.bmp"));   // its cover too
        QVERIFY(d.onCard("IMG_0001.bmp"));
        QVERIFY(!w.videoWidget->isVisible() && !w.videoPlayerMenu->isVisible());
        QVERIFY(!w.videoWidget->hasCapture());
        QCOMPARE(w.imageListViewer->ImageList->count(), 1);
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
