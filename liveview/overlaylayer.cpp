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
    if (m_passThrough) {
        drawSource(painter);
        return;
    }
    Look now = lookNow();
    if (m_picture.isNull() || !(now == m_look)) {
        m_picture = sourcePixmap(Qt::LogicalCoordinates, &m_offset, QGraphicsEffect::NoPad);
        m_look = std::move(now);
        ++m_made;
    }
    drawPicture(painter, m_offset);
}

void OverlayLayer::paintAt(QPainter *painter, QPoint at)
{
    Look now = lookNow();
    if (m_picture.isNull() || !(now == m_look)) {
        // The widget drawn through this effect, which passes it through as it is.
        const qreal dpr = m_widget->devicePixelRatioF();
        QPixmap picture(m_widget->size() * dpr);
        picture.setDevicePixelRatio(dpr);
        picture.fill(Qt::transparent);
        m_passThrough = true;
        m_widget->render(&picture, QPoint(), QRegion(), QWidget::DrawChildren);
        m_passThrough = false;
        m_picture = picture;
        m_offset = QPoint();
        m_look = std::move(now);
        ++m_made;
    }
    drawPicture(painter, at + m_offset);
}

void OverlayLayer::drawPicture(QPainter *painter, QPoint at) const
{
    const qreal o = opacity();
    if (o < 1.0) {
        const qreal before = painter->opacity();
        painter->setOpacity(before * o);
        painter->drawPixmap(at, m_picture);
        painter->setOpacity(before);
    } else {
        painter->drawPixmap(at, m_picture);
    }
}
