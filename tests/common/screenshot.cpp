#include "screenshot.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QSplashScreen>
#include <QWidget>

QImage screenOf(const QList<QWidget *> &windows)
{
    QImage screen(240, 320, QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter p(&screen);
    for (QWidget *w : windows) {
        if (!w || !w->isVisible())
            continue;
        p.setOpacity(w->windowOpacity());
        // A page inside another window is drawn where that window shows it.
        const QPoint at = w->isWindow() ? w->geometry().topLeft() : w->mapTo(w->window(), QPoint(0, 0));
        p.drawImage(at, w->grab().toImage());
    }
    p.setOpacity(1.0);
    for (QWidget *top : QApplication::topLevelWidgets())
        if (qobject_cast<QSplashScreen *>(top) && top->isVisible() && !windows.contains(top))
            p.drawImage(top->geometry().topLeft(), top->grab().toImage());
    return screen;
}

bool saveScreenshot(const QString &name, const QImage &shot)
{
    const QString dir =
        qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    return shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
