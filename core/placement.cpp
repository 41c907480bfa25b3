#include "core/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace placement {

void placeOnScreen(QWidget *w, int x, int y)
{
    const QScreen *s = QGuiApplication::primaryScreen();
    const QPoint origin = s ? s->geometry().topLeft() : QPoint();
    w->move(origin + QPoint(x, y));
}

}   // namespace placement
