#include "media/menus/videowidget.h"

myWidget::myWidget(QWidget *parent) : QWidget(parent) {}

void myWidget::videoPause() { emit playStatusChanged(false); }

void myWidget::videoPlayStop()
{
    close();
    emit playStatusChanged(false);
    emit videoPlayExit();
}
