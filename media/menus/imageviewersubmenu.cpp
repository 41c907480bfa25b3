#include "media/menus/imageviewersubmenu.h"

#include <QEvent>

static bool imageViewerSubMenuEnabled = true;

ImageViewerSubMenu::ImageViewerSubMenu(QMainWindow *parent) : Screen(&imageViewerSubMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2});
    pushButton->installEventFilter(this);
    pushButton_2->installEventFilter(this);
}

void ImageViewerSubMenu::imageViewerSubMenuEnable() { toggleVisible(); }

void ImageViewerSubMenu::imageViewerSubMenuTips()
{
    // The focused button of this bar, even while a window over it is active.
    if (focusWidget() == pushButton_2)
        tipsLabel->setText(tr("Information"));
    else if (focusWidget() == pushButton)
        tipsLabel->setText(tr("Delete"));
    else
        return;
    tipsLabel->adjustSize();
    tipsLabel->move(110 - tipsLabel->width() / 2, 8);
}

bool ImageViewerSubMenu::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusIn)
        imageViewerSubMenuTips();
    return Screen::eventFilter(watched, event);
}

void ImageViewerSubMenu::retranslate()
{
    Screen::retranslate();
    imageViewerSubMenuTips();
}
