#include "app/menus/statusbar.h"

#include <QLocale>

QString statusDateText(const QDate &date) { return QLocale::c().toString(date, QStringLiteral("yyyy/MM/dd")); }

QString statusTimeText(const QTime &time, bool twelveHour)
{
    return QLocale::c().toString(time, twelveHour ? QStringLiteral("hh:mm AP") : QStringLiteral("hh:mm"));
}

GalleryBars galleryBottomBars(const GalleryWindows &w)
{
    GalleryBars bars;
    if (w.videoWidget) {
        if (!w.videoActionBar)
            bars.videoPlayerBar = !(w.deleteQuestion || w.videoDetails);
    } else if (w.imageViewer && !w.imageActionBar) {
        bars.imageNameBar = !(w.deleteQuestion || w.imageDetails);
    }
    return bars;
}
