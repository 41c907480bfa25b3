#include "app/radiusprogressbar.h"

#include "acquisition/acquisitionstate.h"

#include <QPainter>
#include <QPixmap>

RadiusProgressBar::RadiusProgressBar(QWidget *parent) : QProgressBar(parent)
{
    setRange(0, 100);
    setValue(0);
}

QString RadiusProgressBar::fillImage(int palette)
{
    if (palette < 1 || palette > 7)
        palette = 1;
    return QStringLiteral(":/images/color%1_progress.png").arg(palette);
}

void RadiusProgressBar::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect r = rect();
    p.drawPixmap(r, QPixmap(QStringLiteral(":/images/radius_back.png")));
    const int span = maximum() - minimum();
    if (span > 0 && value() > minimum()) {
        const int w = r.width() * (value() - minimum()) / span;
        const QPixmap fill(fillImage(acqState.paletteNumber.load(std::memory_order_relaxed)));
        // Scale the fill to the full bar and show the part up to the value, so
        // the rounded end of the image is only drawn once the bar is full.
        p.setClipRect(QRect(r.x(), r.y(), w, r.height()));
        p.drawPixmap(r, fill);
        p.setClipping(false);
    }
    QFont f(QStringLiteral("DejaVu Sans"), 12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(QStringLiteral("#696969")));
    p.drawText(r, Qt::AlignCenter, QStringLiteral("%1%").arg(value()));
}
