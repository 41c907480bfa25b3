// Capture, the gallery and video playback as a person uses them: the trigger
// key freezes and a second press (or auto save) writes the image and its
// JPEG, every refusal leaving the card as it was; the grid, the viewer and
// deleting; videos made here by OpenCV's writer played, sought, deleted,
// and files that are no video.
#include "common/imagediff.h"
#include "common/livedevice.h"
#include "core/config.h"
#include "liveview/livesurface.h"
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

#include <opencv2/videoio.hpp>

namespace {

// A capture-ready device: the live view with a frame's readouts and snapshots.
struct Camera : LiveDevice {
    Camera()
    {
        boot();
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
    QStringList files() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
};

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
    for (int i = 0; i < frames; ++i)
        out.write(cv::Mat(32, 24, CV_8UC3, cv::Scalar((i * 10) % 256, 128, 64)));
    return out.isOpened();
}

}   // namespace

class TestCapture : public QObject {
    Q_OBJECT
private slots:
    void freezeSaveAndWhatTheFileRecords()
    {
        Camera c;
        Norvik7 &w = *c.w;
        c.trigger();
        c.press(keycode::Up);   // cancel: nothing written
        c.trigger();
        QVERIFY(!c.frozen() && viewState.saveImageDone.load() && c.files().isEmpty());
        c.trigger();   // frozen: the readouts, marks and snapshots stay as they are now set
        QVERIFY(c.frozen() && w.imageVideoSaveMenu->focusWidget() == w.imageVideoSaveMenu->pushButton_2);
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
        c.trigger();             // the panel's focused button: save
        QVERIFY(!w.imageVideoSaveMenu->isVisible() && c.frozen());
        QVERIFY(c.files() == QStringList{"IMG_0001.bmp"} && c.counter() == 2);
        const QString kBacklight = "echo %1 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness";
        QCOMPARE(c.board.commands(),
                 (QStringList{kBacklight.arg(0), kBacklight.arg(6), kBacklight.arg(6), "sync", "sync"}));
        QCOMPARE(splashMessages().size(), 2);   // the picture flying in, the name, the message
        QVERIFY(splashMessages().contains("IMG_0001.bmp") && splashMessages().contains("Saved"));
        const QString path = c.folder() + "IMG_0001.bmp";
        QCOMPARE(QFileInfo(path).size(), 406096);
        const savedimage::Contents f = savedimage::readFile(path);
        QVERIFY(f.hasExif && f.hasRaw && f.colourTable == savedimage::colormap_Lava);
        const savedimage::ExifFields &e = f.fields;
        QCOMPARE(
            QList<int>({e.unitFlag, e.maxTemp, e.minTemp, e.centerTemp, e.emissivity, e.maxX, e.maxY, e.minX, e.minY}),
            QList<int>({1, 370, 0, 213, 95, 116, 66, 20, 306}));
        // Raw: 12210 gains 128 and is then held at hi = (37 + 273.15) x 16 = 4962;
        // 100 is raised to lo = 273.15 x 16 = 4370; the live snapshot itself is left as it was.
        QCOMPARE(savedimage::readRaw(path).left(4).toHex(), QByteArray("62131211"));
        QCOMPARE(viewState.irThermalRaw[0], uint16_t(12210));
        QCOMPARE(quint8(savedimage::readGray(path)[5 * 240 + 5]), viewState.irGrayRaw[4 * 192 + 4]);
        // The BMP is the screen.
        QVERIFY(largestChannelDifference(QImage(path, "BMP").copy(120, 160, 1, 1),
                                         w.grab().toImage().copy(120, 160, 1, 1)) <= 8);
        QTRY_VERIFY_WITH_TIMEOUT(viewState.saveImageDone.load() && !c.frozen() && splashMessages().isEmpty(), 5000);
        // With auto save one press saves, with the visible picture as the JPEG.
        QTRY_VERIFY(!w.vlcImage.isNull());
        w.autoSaveSetSubMenu->autoSaveSetSubMenuUpdateRbtn2();
        c.trigger();
        QCOMPARE(QImage(c.folder() + "IMG_0002.jpg").size(), QSize(240, 320));
        QTRY_VERIFY_WITH_TIMEOUT(!c.frozen(), 5000);
        // The back key in the live view takes a service screenshot, with no image number.
        QDir().mkpath(c.board.file("/media/mmcblk0p1/Images"));
        c.press(keycode::Back);
        const QStringList shots = QDir(c.board.file("/media/mmcblk0p1/Images")).entryList(QDir::Files);
        QVERIFY(shots.size() == 1 && QRegularExpression("^Velkar4SNAPSHOT\\d{14}\\.bmp$").match(shots[0]).hasMatch());
        QCOMPARE(c.counter(), 3);
    }

    void saves_data()
    {
        QTest::addColumn<QString>("card");      // the card's state
        QTest::addColumn<QString>("stored");    // image_count before ("" = no key)
        QTest::addColumn<QString>("written");   // "" = refused
        QTest::addColumn<QString>("tip");
        const char *const rows[][5] = {
            {"9999", "", "9999", "IMG_9999", ""},
            {"10000 reads as 1", "", "10000", "IMG_0001", ""},
            {"missing folder numbers from 1", "nofolder", "57", "IMG_0001", ""},
            // Saves cut short by a power cut or a pulled card: their part files are taken by the next save.
            {"part files left go", "parts", "", "IMG_0001", ""},
            {"no card", "nocard", "42", "", "No SD card!"},
            {"1 MB free, read by capture", "space", "42", "", "SD card is full!"},
            {"reported by the device information page", "report", "42", "", "SD card is full!"},
            {"every number taken", "numbers", "42", "", "SD card is full!"},
            {"folder name taken by a file", "folder", "42", "", ""},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2] << r[3] << r[4];
    }

    // Every refusal leaves the card and the counter as they were, and capture alive.
    void saves()
    {
        QFETCH(QString, card);
        QFETCH(QString, stored);
        QFETCH(QString, written);
        QFETCH(QString, tip);
        Camera c;
        if (!stored.isEmpty())
            config::write(config::Image, QStringLiteral("image_count"), stored);
        if (card == "nofolder" || card == "folder")
            QDir(c.folder()).removeRecursively();
        for (const char *part : {".bmp.part", ".jpg.part"})
            if (card == "parts")
                c.board.write(kFolder + part, "earlier");
        if (card == "nocard")
            c.board.remove(QStringLiteral("/dev/mmcblk0p1"));
        if (card == "space")
            c.board.write("/sim/sd_free_mb", "1");
        if (card == "report")
            emit c.w->deviceInformationSubMenu->availableDiskIsSmall(true);
        for (int i = 1; card == "numbers" && i <= 9999; ++i)
            QVERIFY(QFile(c.folder() + stems(i, i)[0] + ".bmp").open(QIODevice::WriteOnly));
        if (card == "folder")
            c.board.write(kFolder.chopped(1), "not a folder");
        const bool freezes = !written.isEmpty() || card == "numbers" || card == "folder";
        c.trigger();
        QCOMPARE(c.frozen(), freezes);
        if (freezes)
            c.trigger();
        if (!written.isEmpty()) {
            QCOMPARE(c.files().filter(written), (QStringList{written + ".bmp", written + ".jpg"}));
            QCOMPARE(QFileInfo(c.folder() + written + ".bmp").size(), 406096);
            QCOMPARE(c.counter(), written.mid(4).toInt() + 1);
            QVERIFY(c.board.read(kFolder + ".bmp.part").isEmpty() && c.board.read(kFolder + ".jpg.part").isEmpty());
            return;
        }
        QCOMPARE(splashMessages(), tip.isEmpty() ? QStringList() : QStringList{tip});
        QVERIFY(!c.frozen() && viewState.saveImageDone.load() && c.counter() == 42);
        QCOMPARE(c.files().size(), card == "numbers" ? 9999 : 0);
        QCOMPARE(c.board.read(kFolder.chopped(1)), card == "folder" ? "not a folder" : "");
        QVERIFY(!c.board.commands().contains("sync"));
        // Capture goes on; the no-card tip shows once a second, the full card's each time.
        c.trigger();
        QCOMPARE(c.frozen(), freezes);
        QCOMPARE(splashMessages().size(), card == "space" || card == "report" ? 2 : tip.isEmpty() ? 0 : 1);
    }

    void deleteFromTheViewer_data()
    {
        QTest::addColumn<int>("images");
        QTest::addColumn<int>("steps");   // left presses before deleting
        QTest::addColumn<int>("deleted");
        QTest::addColumn<int>("shownAfter");   // 0: the viewer closes on the empty grid
        QTest::newRow("the last: the one before") << 4 << 0 << 4 << 3;
        QTest::newRow("a middle one: the one after") << 4 << 2 << 2 << 3;
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
        d.board.write(kFolder + "IMG_0000.bmp", "garbage");   // no image: left out of the grid, and kept
        d.press(keycode::Gallery);
        Norvik7 &w = *d.w;
        QStringList grid;   // the last nine, the newest selected
        for (int i = 0; i < w.imageListViewer->ImageList->count(); ++i)
            grid << w.imageListViewer->ImageList->item(i)->text();
        QCOMPARE(grid, stems(std::max(1, images - 8), images));
        d.press(keycode::Ok);   // the newest in the viewer
        const QString name = stems(deleted, deleted)[0], after = stems(shownAfter, shownAfter)[0];
        d.press(keycode::Left, steps);
        const auto shownName = [&] {
            return w.imageListViewer->ImageList->currentItem()->text() + ' ' + w.imageViewer->currentImageName;
        };
        QCOMPARE(shownName(), name + ' ' + name + ".bmp");   // the grid follows the viewer
        d.press(keycode::Ok, 2);                             // the action bar on "Delete", then the question on "No"
        QCOMPARE(w.imageViewerSubMenu->tipsLabel->text(), QStringLiteral("Delete"));
        QCOMPARE(w.deleteImageMenu->label->text(), "Delete " + name + ".bmp?");
        d.press(keycode::Ok);   // "No": nothing goes
        QVERIFY(!w.deleteImageMenu->isVisible() && d.onCard(name + ".bmp"));
        d.press(keycode::Ok);   // the question again
        d.press(keycode::Up);   // to "Yes"
        d.board.clearCommands();
        d.press(keycode::Ok);
        QVERIFY(!d.onCard(name + ".bmp") && !d.onCard(name + ".jpg"));
        QCOMPARE(d.board.commands().filter(QStringLiteral("sync")).size(), 2);
        QCOMPARE(QDir(d.folder()).entryList(QDir::Files).size(), 2 * images - 1);   // every other file stays
        if (!shownAfter) {   // nothing left: the viewer goes, then the empty grid by itself
            QTRY_COMPARE_WITH_TIMEOUT(d.visibleMenus(), QStringList(), 3000);
            return;
        }
        QCOMPARE(shownName(), after + ' ' + after + ".bmp");
        const QImage shown = w.imageViewer->ShowImageLabel->pixmap().toImage();   // that file's picture
        QCOMPARE(QColor(shown.pixel(shown.width() / 2, shown.height() / 2)).red(), shownAfter * 20);
    }

    // A video played from the gallery, sought, to its end, and deleted while it plays.
    void playSeekAndDelete()
    {
        LiveDevice d;
        d.boot();
        d.putImages(1);
        QVERIFY(makeVideo(d.folder() + "Qel_0002.avi", 24));
        d.board.write(kFolder + "Qel_0002.bmp", imageFile(90));
        Norvik7 &w = *d.w;
        QSignalSpy exits(w.videoWidget, &myWidget::videoPlayExit);
        d.press(keycode::Gallery);
        QCOMPARE(w.imageListViewer->ImageList->currentItem()->text(), QStringLiteral("Qel_0002"));
        d.press(keycode::Ok);
        QVERIFY(w.videoPlayerMenu->isVisible() && !w.imageViewer->isVisible());
        QCOMPARE(w.videoWidget->frame().size(), QSize(24, 32));
        QCOMPARE(playerState.play_flags, 1);
        QCOMPARE(w.videoDetailInfoMenu->FileName->text(), QStringLiteral("Qel_0002.avi"));
        QTRY_VERIFY_WITH_TIMEOUT(playerState.cur_pos >= 3, 2000);
        d.press(keycode::Ok);   // pauses
        QCOMPARE(playerState.play_flags, 0);
        const int paused = playerState.cur_pos;
        QTest::qWait(400);
        QCOMPARE(playerState.cur_pos, paused);
        // Seeks go 8 frames, and only within the video's 24.
        const int seeks[][3] = {{1, 17, 17}, {1, 16, 24}, {1, 1, 9},   {1, -1, -1},
                                {0, 7, 7},   {0, 8, 0},   {0, 24, 16}, {0, 25, 25}};
        for (const auto &s : seeks) {
            playerState.cur_pos = s[1];
            s[0] ? w.videoWidget->videoPlayFastForward() : w.videoWidget->videoPlayBackForward();
            QCOMPARE(playerState.cur_pos, s[2]);
        }
        d.press(keycode::Ok);   // plays
        QCOMPARE(playerState.play_flags, 1);
        // To the end: the player closes and lets the video go.
        QTRY_VERIFY_WITH_TIMEOUT(!w.videoWidget->isVisible(), 5000);
        QVERIFY(exits.count() == 1 && !w.videoWidget->hasCapture() && playerState.play_flags == 0);
        QCOMPARE(d.visibleMenus(), QStringList{QStringLiteral("ImageListViewer")});
        w.videoDetailInfoMenu->updateVideoDetailInfoMenu("Qel_0002.avi");
        QCOMPARE(w.videoDetailInfoMenu->Length->text(), QStringLiteral("00:00:03"));
        // Deleted while it plays: it takes its cover and nothing else.
        d.press(keycode::Ok);
        d.press(keycode::Up);   // the video's action bar, paused
        QCOMPARE(playerState.play_flags, 0);
        d.press(keycode::Right);   // "Delete"
        d.press(keycode::Ok);
        QVERIFY(w.deleteImageMenu->isVisible());
        d.press(keycode::Up);   // "Yes"
        d.press(keycode::Ok);
        QVERIFY(!d.onCard("Qel_0002.avi") && !d.onCard("Qel_0002.bmp") && d.onCard("IMG_0001.bmp"));
        QVERIFY(!w.videoWidget->isVisible() && !w.videoPlayerMenu->isVisible() && !w.videoWidget->hasCapture());
        QCOMPARE(w.imageListViewer->ImageList->count(), 1);
        // A file that is no video: the player closes at once, and the file stays.
        d.board.write(kFolder + "Qel_0003.avi", QByteArray(5000, char(0x5A)));
        d.board.write(kFolder + "Qel_0003.bmp", imageFile(3));
        d.press(keycode::Gallery, 2);
        d.press(keycode::Ok);
        QTRY_VERIFY_WITH_TIMEOUT(!w.videoWidget->isVisible() && w.imageListViewer->isVisible(), 5000);
        w.videoWidget->nextFrame();   // a tick without a video does nothing
        // The card pulled while a video plays: the player lets it go and closes, and so does the gallery.
        QVERIFY(makeVideo(d.folder() + "Qel_0004.avi", 400));
        d.board.write(kFolder + "Qel_0004.bmp", imageFile(4));
        d.press(keycode::Gallery, 2);
        d.press(keycode::Ok);
        QVERIFY(w.videoWidget->isVisible());
        d.board.remove(QStringLiteral("/dev/mmcblk0p1"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.videoWidget->isVisible() && !w.videoPlayerMenu->isVisible(), 5000);
        QVERIFY(!w.videoWidget->hasCapture() && playerState.play_flags == 0 && !w.imageListViewer->isVisible());
        QVERIFY(d.onCard("Qel_0003.avi") && d.onCard("Qel_0004.avi"));
    }
};

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
