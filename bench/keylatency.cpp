// Measured, not asserted: on a fresh simulated board, the time from a key
// record written to the key device to the main menu shown (and painted), and
// the processor time the idle program uses with all its timers running.
// Usage: norvik7_keylatency [ROUNDS] [IDLE_SECONDS]
#include "core/keystate.h"
#include "app/menus/mainmenu.h"
#include "app/norvik7.h"
#include "bench/benchsupport.h"
#include "board/board.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/input.h>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

namespace {

class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Paint)
            painted = true;
        return QObject::eventFilter(o, e);
    }
};

double cpuSeconds()
{
    struct rusage ru;
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_utime.tv_sec + ru.ru_stime.tv_sec + (ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e6;
}

}   // namespace

int main(int argc, char **argv)
{
    QTemporaryDir dir;
    bench::enterSimulatedBoard(dir);
    QApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 200;
    const int idleSeconds = argc > 2 ? std::atoi(argv[2]) : 20;
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    Norvik7 w;
    w.setWindowFlags(w.windowFlags() | Qt::FramelessWindowHint);
    w.show();
    w.initializingLabel->hide();
    const int fd = ::open(QFile::encodeName(board::path(QStringLiteral("/dev/input/event_key"))).constData(),
                          O_WRONLY | O_NONBLOCK);
    PaintWatch watch;
    w.mainMenu->installEventFilter(&watch);

    std::vector<double> shown, painted;
    for (int i = 0; i < rounds; ++i) {
        watch.painted = false;
        QElapsedTimer t;
        t.start();
        bench::writeKey(fd, keycode::Ok, 1);
        while (!w.mainMenu->isVisible())
            app.processEvents(QEventLoop::AllEvents);
        shown.push_back(t.nsecsElapsed() / 1e6);
        while (!watch.painted && t.elapsed() < 1000)
            app.processEvents(QEventLoop::AllEvents);
        painted.push_back(t.nsecsElapsed() / 1e6);
        bench::writeKey(fd, keycode::Ok, 0);
        bench::writeKey(fd, keycode::Back, 1);
        bench::writeKey(fd, keycode::Back, 0);
        while (w.mainMenu->isVisible())
            app.processEvents(QEventLoop::AllEvents);
    }
    std::printf("key record to main menu shown:   median %.3f ms, 90th percentile %.3f ms (%d presses)\n",
                bench::percentile(shown, 0.5), bench::percentile(shown, 0.9), rounds);
    std::printf("key record to main menu painted: median %.3f ms, 90th percentile %.3f ms\n",
                bench::percentile(painted, 0.5), bench::percentile(painted, 0.9));

    // Idle: the live view with every timer running and no key pressed.
    const double cpu0 = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer::singleShot(idleSeconds * 1000, &app, &QCoreApplication::quit);
    app.exec();
    const double cpu = cpuSeconds() - cpu0;
    std::printf("idle with all timers running: %.2f %% of one core (%.3f s of processor time in %.1f s)\n",
                100.0 * cpu / (wall.elapsed() / 1000.0), cpu, wall.elapsed() / 1000.0);
    ::close(fd);
    return 0;
}
