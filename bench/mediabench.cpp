// Measured, not asserted, on a fresh simulated board (the card is a folder
// on this machine):
//   - capture: the confirming trigger press written to the key device until
//     both files of the image are complete on the card;
//   - the gallery opened with 9,999 images on the card, and one step of the
//     image viewer (which lists the folder on every step);
//   - the saved gray picture's enlargement against OpenCV's bilinear resize.
// Usage: norvik7_mediabench [CAPTURES] [OPENINGS] [STEPS]
#include "core/keystate.h"
#include "app/norvik7.h"
#include "bench/benchsupport.h"
#include "board/board.h"
#include "liveview/viewstate.h"
#include "media/capture.h"
#include "media/menus/imagelistviewer.h"
#include "media/menus/imagevideosavemenu.h"
#include "media/menus/imageviewer.h"
#include "media/savedimage.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QSplashScreen>
#include <QTemporaryDir>

#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>
#include <vector>

namespace {

void closeSplashes()
{
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QSplashScreen *>(top))
            top->close();
}

}   // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    bench::enterSimulatedBoard(dir);
    QApplication app(argc, argv);
    const int captures = argc > 1 ? std::atoi(argv[1]) : 30;
    const int openings = argc > 2 ? std::atoi(argv[2]) : 10;
    const int steps = argc > 3 ? std::atoi(argv[3]) : 50;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Norvik7 w;
    w.show();
    w.initializingLabel->hide();
    for (int i = 0; i < 256 * 192; ++i) {
        viewState.irGrayRaw[i] = static_cast<uint8_t>(i % 251);
        viewState.irThermalRaw[i] = static_cast<uint16_t>(4500 + i % 1000);
    }
    w.vlcImage = QImage(264, 352, QImage::Format_RGB888);
    w.vlcImage.fill(Qt::darkGreen);
    const QString folder = board::path(QStringLiteral("/media/mmcblk0p1/DCIM_100/")) + '/';
    QDir().mkpath(folder);
    const int fd = ::open(QFile::encodeName(board::path(QStringLiteral("/dev/input/event_key"))).constData(),
                          O_WRONLY | O_NONBLOCK);

    // ---- capture --------------------------------------------------------------------------------
    std::vector<double> saved;
    for (int i = 0; i < captures; ++i) {
        bench::writeKey(fd, keycode::Trigger, 1);
        bench::writeKey(fd, keycode::Trigger, 0);
        while (!w.imageVideoSaveMenu->isVisible())
            app.processEvents(QEventLoop::AllEvents);
        const QString jpg = folder + QStringLiteral("IMG_%1.jpg").arg(i + 1, 4, 10, QLatin1Char('0'));
        const QString bmp = folder + QStringLiteral("IMG_%1.bmp").arg(i + 1, 4, 10, QLatin1Char('0'));
        QElapsedTimer t;
        t.start();
        bench::writeKey(fd, keycode::Trigger, 1);
        bench::writeKey(fd, keycode::Trigger, 0);
        while (!(QFile::exists(jpg) && QFileInfo(bmp).size() == savedimage::kFileSize) && t.elapsed() < 5000)
            app.processEvents(QEventLoop::AllEvents);
        saved.push_back(t.nsecsElapsed() / 1e6);
        w.finishSaveImage();   // the 3 s confirmation is not waited for
        closeSplashes();
        app.processEvents();
    }
    std::printf("capture, confirming key to both files on the card: median %.2f ms, 90th percentile %.2f ms "
                "(%d captures)\n",
                bench::percentile(saved, 0.5), bench::percentile(saved, 0.9), captures);

    // ---- gallery with 9,999 images ------------------------------------------------------------------
    // One saved image linked under every name: the listing and the nine
    // thumbnails are what opening costs.
    QDir(folder).removeRecursively();
    QDir().mkpath(folder);
    const QString original = folder + QStringLiteral("IMG_9999.bmp");
    {
        std::vector<uint8_t> gray(240 * 320, 90);
        QImage screen(240, 320, QImage::Format_RGB888);
        screen.fill(Qt::darkRed);
        QFile f(original);
        f.open(QIODevice::WriteOnly);
        f.write(savedimage::buildFile(
            screen, savedimage::exifBlock(gray.data(), savedimage::colourTableFor(0), savedimage::ExifFields{}),
            viewState.irThermalRaw));
    }
    for (int i = 1; i < 9999; ++i) {
        const QString name = folder + QStringLiteral("IMG_%1.bmp").arg(i, 4, 10, QLatin1Char('0'));
        if (::link(QFile::encodeName(original).constData(), QFile::encodeName(name).constData()) != 0)
            QFile::copy(original, name);
    }
    std::vector<double> opened;
    for (int i = 0; i < openings; ++i) {
        QElapsedTimer t;
        t.start();
        w.imageListViewer->imageListViewerEnable();
        app.processEvents();
        opened.push_back(t.nsecsElapsed() / 1e6);
        if (w.imageListViewer->ImageList->count() != 9)
            std::fprintf(stderr, "the grid shows %d items\n", w.imageListViewer->ImageList->count());
        if (i + 1 < openings)
            w.imageListViewer->imageListViewerEnable();
    }
    std::printf("gallery opened with 9,999 images: median %.2f ms, 90th percentile %.2f ms (%d openings)\n",
                bench::percentile(opened, 0.5), bench::percentile(opened, 0.9), openings);

    w.imageListViewer->showSelectedImage(w.imageListViewer->ImageList->currentItem());
    closeSplashes();
    std::vector<double> stepped;
    for (int i = 0; i < steps; ++i) {
        QElapsedTimer t;
        t.start();
        if (i % 2 == 0)
            w.imageViewer->showPreviousImage();
        else
            w.imageViewer->showNextImage();
        stepped.push_back(t.nsecsElapsed() / 1e6);
    }
    std::printf("viewer step with 9,999 images: median %.2f ms, 90th percentile %.2f ms (%d steps)\n",
                bench::percentile(stepped, 0.5), bench::percentile(stepped, 0.9), steps);

    // ---- the gray enlargement against OpenCV ----------------------------------------------------------
    std::vector<uint8_t> out(240 * 320);
    std::vector<double> ours, theirs;
    cv::setNumThreads(1);
    const cv::Mat src(256, 192, CV_8UC1, viewState.irGrayRaw);
    cv::Mat dst;
    for (int i = 0; i < 500; ++i) {
        QElapsedTimer t;
        t.start();
        savedimage::enlargeGray(viewState.irGrayRaw, out.data());
        ours.push_back(t.nsecsElapsed() / 1e3);
        t.restart();
        cv::resize(src, dst, cv::Size(240, 320), 0, 0, cv::INTER_LINEAR);
        theirs.push_back(t.nsecsElapsed() / 1e3);
    }
    const double a = bench::percentile(ours, 0.5), b = bench::percentile(theirs, 0.5);
    std::printf("ratio enlarge: %.2f (OpenCV resize %.1f us / ours %.1f us)\n", b / a, b, a);
    ::close(fd);
    return 0;
}
