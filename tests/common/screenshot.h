#pragma once
// What a person sees on the 240 x 320 screen: the given windows drawn at
// their places, in order, over a black backdrop; saved as
// <build>/screenshots/<name>.png to be looked at.
#include <QList>
#include <QString>

class QWidget;

bool saveScreenshot(const QString &name, const QList<QWidget *> &windows);
