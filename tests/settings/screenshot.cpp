#include "screenshot.h"

#include <QDir>
#include <QPainter>
#include <QWidget>

QImage screenOf(const QList<QWidget *> &windows)
{
    QImage screen(240, 320, QImage::Format_ARGB32_Premultiplied);
    screen.fill(QColor(0x30, 0x18, 0x40));
    QPainter p(&screen);
    for (QWidget *w : windows) {
        if (!w || !w->isVisible())
            continue;
        p.setOpacity(w->windowOpacity());
        p.drawImage(w->geometry().topLeft(), w->grab().toImage());
    }
    return screen;
}

bool saveScreenshot(const QString &name, const QList<QWidget *> &windows)
{
    const QString dir = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    return screenOf(windows).save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}
