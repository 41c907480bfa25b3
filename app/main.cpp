// The entry point: the boot splash first, the main window hidden behind it
// until the live picture is ready.
#include "core/placement.h"
#include "app/bootprogressmenu.h"
#include "app/norvik7.h"
#include "app/startup.h"
#include "board/board.h"
#include "sim/simscreen.h"

#include <QApplication>
#include <QDateTime>
#include <QTimer>

#include <cstdio>

int main(int argc, char **argv)
{
    std::setbuf(stdout, nullptr);
    std::fflush(stdout);
    startup::prepareBoard();
    // Qt's own event loop rather than GLib's: it wakes the GUI thread once
    // for the acquisition thread's three posts of a frame, where GLib's
    // writes its wake-up descriptor for every post, the repaint request
    // included, and runs a heavier loop for each.
    qputenv("QT_NO_GLIB", "1");
    // Messages of every logging category read as the bare text, as the debug
    // output always had them (QT_MESSAGE_PATTERN still overrides it).
    qSetMessagePattern(QStringLiteral("%{message}"));
    QApplication app(argc, argv);
    startup::prepareApplication();

    // NORVIK7_STARTUP_TIMES=1 prints when the main window is built and the
    // splash is on screen (wall-clock ms), for the start-up measurement.
    const bool times = qEnvironmentVariableIsSet("NORVIK7_STARTUP_TIMES");
    Norvik7 w;
    if (times) {
        std::printf("startup: main window constructed at %lld ms\n", QDateTime::currentMSecsSinceEpoch());
        std::fflush(stdout);   // read while the program runs
    }
    w.setWindowFlags(w.windowFlags() | Qt::FramelessWindowHint);
    BootProgressMenu splash;
    splash.setWindowFlags(splash.windowFlags() | Qt::FramelessWindowHint);
    placement::placeOnScreen(&w, 0, 0);
    placement::placeOnScreen(&splash, 0, 0);

    QImage blank(240, 320, QImage::Format_RGB888);
    blank.fill(Qt::black);
    w.DisplayLabel->setPixmap(QPixmap::fromImage(blank));

    splash.show();
    w.hide();
    if (times)
        QTimer::singleShot(0, &splash, [] {
            std::printf("startup: splash shown at %lld ms\n", QDateTime::currentMSecsSinceEpoch());
            std::fflush(stdout);
        });
    QObject::connect(&w, &Norvik7::updateBootProgressValue, &splash, &BootProgressMenu::updateProgressValue,
                     Qt::DirectConnection);
    if (board::isSimulated())
        sim::startSimulatorExtras(&app);
    return app.exec();
}
