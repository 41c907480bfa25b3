#include "liveview/overlaylayer.h"

#include <QLabel>
#include <QPainter>

OverlayLayer::OverlayLayer(QWidget *widget, qreal opacity)
    : QGraphicsOpacityEffect(widget), m_widget(widget), m_label(qobject_cast<QLabel *>(widget))
{
    setOpacity(opacity);
    widget->setGraphicsEffect(this);
}

OverlayLayer::Look OverlayLayer::lookNow() const
{
    Look l;
    if (m_label) {
        l.text = m_label->text();
        l.pixmapKey = m_label->pixmap().cacheKey();
    }
    l.styleSheet = m_widget->styleSheet();
    l.paletteKey = m_widget->palette().cacheKey();
    l.font = m_widget->font();
    l.size = m_widget->size();
    l.enabled = m_widget->isEnabled();
    return l;
}

void OverlayLayer::draw(QPainter *painter)
{
    Look now = lookNow();
    if (m_picture.isNull() || !(now == m_look)) {
        m_picture = sourcePixmap(Qt::LogicalCoordinates, &m_offset, QGraphicsEffect::NoPad);
        m_look = std::move(now);
        ++m_made;
    }
    const qreal o = opacity();
    if (o < 1.0) {
        const qreal before = painter->opacity();
        painter->setOpacity(before * o);
        painter->drawPixmap(m_offset, m_picture);
        painter->setOpacity(before);
    } else {
        painter->drawPixmap(m_offset, m_picture);
    }
}
