#pragma once
// What a person sees on the 240 x 320 screen: the given windows drawn at
// their places, in order, over a black backdrop, any visible splash (tips)
// on top; saved as <build>/screenshots/<name>.png to be looked at.
#include <QImage>
#include <QList>
#include <QString>

class QWidget;

QImage screenOf(const QList<QWidget *> &windows);
bool saveScreenshot(const QString &name, const QImage &shot);
inline bool saveScreenshot(const QString &name, const QList<QWidget *> &windows)
{
    return saveScreenshot(name, screenOf(windows));
}
