#pragma once
// Saves what a person sees on the 240 x 320 screen: the given windows drawn
// at their places, in order, over a dark backdrop, as
// <build>/screenshots/<name>.png.
#include <QImage>
#include <QList>
#include <QString>

class QWidget;

QImage screenOf(const QList<QWidget *> &windows);
bool saveScreenshot(const QString &name, const QList<QWidget *> &windows);
