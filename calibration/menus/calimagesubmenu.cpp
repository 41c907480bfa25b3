#include "calibration/menus/calimagesubmenu.h"

#include <QTimer>

static bool calImageSubMenuEnabled = true;

CalImageSubMenu::CalImageSubMenu(QMainWindow *parent) : Screen(&calImageSubMenuEnabled, parent)
{
    setButtons({pushButton});
    m_tipTimer = new QTimer(this);
    m_tipTimer->setSingleShot(true);
    connect(m_tipTimer, &QTimer::timeout, tipsLabel, &QLabel::hide);
    connect(pushButton, &QPushButton::clicked, this, &CalImageSubMenu::showCalImageTips);
}

void CalImageSubMenu::calImageSubMenuEnable() { openAtFirst(); }

void CalImageSubMenu::showCalImageTips()
{
    tipsLabel->setText(tr("Saved!"));
    tipsLabel->adjustSize();
    tipsLabel->move((240 - tipsLabel->width()) / 2, 40);
    tipsLabel->raise();
    tipsLabel->show();
    m_tipTimer->start(kTipMs);
}
