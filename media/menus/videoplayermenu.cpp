#include "media/menus/videoplayermenu.h"

static bool videoPlayerMenuEnabled = true;

VideoPlayerMenu::VideoPlayerMenu(QMainWindow *parent) : Screen(&videoPlayerMenuEnabled, parent)
{
    setButtons({pushButton, pushButton_2, pushButton_3});
}

void VideoPlayerMenu::videoPlayerMenuEnable()
{
    if (isHidden())
        pushButton->setFocus();
    toggleVisible();
}

void VideoPlayerMenu::changePlayIcon(bool playing)
{
    pushButton->setIcon(QIcon(playing ? QStringLiteral(":/images/pause.png") : QStringLiteral(":/key/play.png")));
    pushButton->setIconSize(QSize(44, 22));
}
