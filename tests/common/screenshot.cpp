#include "screenshot.h"

#include <QDir>
#include <QPainter>
#include <QWidget>

bool saveScreenshot(const QString &name, const QList<QWidget *> &windows)
{
    QImage screen(240, 320, QImage::Format_RGB32);
    screen.fill(Qt::black);
    QPainter p(&screen);
    for (QWidget *w : windows)
        if (w && w->isVisible())   // a page inside another window is drawn where that window shows it
            p.drawImage(w->isWindow() ? w->geometry().topLeft() : w->mapTo(w->window(), QPoint(0, 0)),
                        w->grab().toImage());
    p.end();
    const QString dir = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + "/screenshots";
    return QDir().mkpath(dir) && screen.save(dir + '/' + name + ".png");
}
