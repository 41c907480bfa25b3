// Video playback and video details with videos made here by OpenCV's
// writer: playing through the gallery, seeking, the end of the file,
// deleting, and files that are no video.
#include "common/livedevice.h"

#include "media/menus/deleteimagemenu.h"
#include "media/menus/detailinfomenus.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imageviewer.h"
#include "media/menus/imageviewersubmenu.h"
#include "media/menus/videoplayermenu.h"
#include "media/menus/videowidget.h"

#include <QListWidget>

#include <opencv2/core.hpp>
#include <opencv2/videoio.hpp>

namespace {

// A video of `frames` frames at `fps`, 24 x 32 pixels, each frame a shade of its own.
bool makeVideo(const QString &path, int frames, double fps = 8.0)
{
    cv::VideoWriter out(QFile::encodeName(path).toStdString(), cv::VideoWriter::fourcc('M', 'J', 'P', 'G'), fps,
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

class TestVideo : public QObject {
    Q_OBJECT
private slots:
    void seekLimits_data();
    void seekLimits();
    void playThroughTheGallery();
    void badVideos_data();
    void badVideos();
    void deleteWhilePlaying();
};

void TestVideo::seekLimits_data()
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

void TestVideo::seekLimits()
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

void TestVideo::playThroughTheGallery()
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

void TestVideo::badVideos_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("garbage") << "garbage";
    QTest::newRow("zero length") << "empty";
    QTest::newRow("no frames") << "noframes";
    QTest::newRow("cut short") << "cut";
    QTest::newRow("card removed while playing") << "removed";
}

void TestVideo::badVideos()
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

void TestVideo::deleteWhilePlaying()
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

QTEST_MAIN(TestVideo)
#include "tst_video.moc"
