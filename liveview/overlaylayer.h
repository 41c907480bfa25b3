#pragma once
// An overlay of the live view drawn from a picture of itself, made again only
// when its look changes: its text, picture, style sheet, font, palette, size or
// enabled state.
// The live picture under the overlays changes on every frame, so every overlay
// is painted again every frame; without this each label would lay its text out
// and draw its style sheet 25 times a second for nothing.
#include <QFont>
#include <QGraphicsOpacityEffect>
#include <QPixmap>
#include <QString>

class QLabel;

class OverlayLayer : public QGraphicsOpacityEffect {
    Q_OBJECT
public:
    // Draws `widget` at `opacity` (1 for an overlay drawn as it is).
    explicit OverlayLayer(QWidget *widget, qreal opacity = 1.0);

    // How many times the picture was made: once per change of look.
    int pictureCount() const { return m_made; }

    // Draws the overlay with `painter` at `at`, from its picture (made again
    // first if its look changed), outside Qt's own painting of the widget.
    void paintAt(QPainter *painter, QPoint at);

protected:
    void draw(QPainter *painter) override;

private:
    struct Look {
        QString text;
        QString styleSheet;
        qint64 pixmapKey = 0;
        qint64 paletteKey = 0;
        QFont font;
        QSize size;
        bool enabled = true;
        bool operator==(const Look &o) const
        {
            return text == o.text && styleSheet == o.styleSheet && pixmapKey == o.pixmapKey &&
                paletteKey == o.paletteKey && size == o.size && enabled == o.enabled && font == o.font;
        }
    };
    Look lookNow() const;
    void drawPicture(QPainter *painter, QPoint at) const;

    QWidget *m_widget;
    QLabel *m_label;
    Look m_look;
    QPixmap m_picture;
    QPoint m_offset;
    int m_made = 0;
    bool m_passThrough = false;   // drawing the widget as it is, for its picture
};
