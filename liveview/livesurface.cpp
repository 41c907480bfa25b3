#include "liveview/livesurface.h"

#include "liveview/overlaylayer.h"

#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

LiveSurface::LiveSurface(QLabel *picture, int idleMs) : QObject(picture), m_picture(picture)
{
    m_idle.setSingleShot(true);
    m_idle.setInterval(idleMs);
    connect(&m_idle, &QTimer::timeout, this, [this] { setLive(false); });
    picture->installEventFilter(this);
}

void LiveSurface::frameShown()
{
    if (!m_live)
        setLive(true);
    m_idle.start();
}

QList<QWidget *> LiveSurface::overlays() const
{
    QList<QWidget *> out;
    QWidget *parent = m_picture->parentWidget();
    if (!parent)
        return out;
    const QObjectList &children = parent->children();
    const qsizetype from = children.indexOf(m_picture);
    for (qsizetype i = from + 1; from >= 0 && i < children.size(); ++i) {
        auto *w = qobject_cast<QWidget *>(children.at(i));
        if (w && !w->isWindow() && qobject_cast<OverlayLayer *>(w->graphicsEffect()))
            out.append(w);
    }
    return out;
}

void LiveSurface::setLive(bool live)
{
    m_live = live;
    // Turned back on, each overlay asks to be painted again where it is.
    for (QWidget *w : overlays())
        w->setUpdatesEnabled(!live);
    m_picture->update();
}

bool LiveSurface::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_picture || event->type() != QEvent::Paint || !m_live)
        return QObject::eventFilter(watched, event);
    // The picture first (a picture the label's size is drawn as it is; any
    // other the label draws its own way), then the overlays on top in their
    // stacking order, each where it stands over the label.
    const QPixmap picture = m_picture->pixmap();
    const bool plain = picture.size() == m_picture->size() && picture.devicePixelRatio() == 1.0;
    if (!plain)
        static_cast<QObject *>(m_picture)->event(event);
    const QRect area = static_cast<QPaintEvent *>(event)->rect();
    QPainter painter(m_picture);
    if (plain)
        painter.drawPixmap(0, 0, picture);
    for (QWidget *w : overlays()) {
        if (w->isHidden())
            continue;
        const QPoint at = w->pos() - m_picture->pos();
        if (QRect(at, w->size()).intersects(area))
            static_cast<OverlayLayer *>(w->graphicsEffect())->paintAt(&painter, at);
    }
    return true;
}
