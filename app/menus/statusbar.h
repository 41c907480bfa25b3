#pragma once
// The rules of the status bar and of the gallery's bottom bars, free of widgets.
#include <QDateTime>
#include <QString>

#include <optional>

// "yyyy/MM/dd".
QString statusDateText(const QDate &date);
// "hh:mm AP" (01..12 and AM or PM) in the 12-hour format, else "hh:mm" (00..23).
QString statusTimeText(const QTime &time, bool twelveHour);

// Which windows of the gallery are visible at a refresh.
struct GalleryWindows {
    bool videoWidget = false;      // the video being played
    bool videoActionBar = false;   // the action bar of a video
    bool imageViewer = false;
    bool imageActionBar = false;   // the action bar of an image
    bool deleteQuestion = false;
    bool videoDetails = false;
    bool imageDetails = false;
};

// What the refresh does to the two bottom bars: show (true), hide (false) or
// leave alone (no value).
struct GalleryBars {
    std::optional<bool> videoPlayerBar;
    std::optional<bool> imageNameBar;
};

// A bottom bar steps aside while a question or a details page covers it, and
// comes back when nothing does; it is left alone while its action bar is open.
GalleryBars galleryBottomBars(const GalleryWindows &w);
