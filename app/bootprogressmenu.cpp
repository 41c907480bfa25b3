#include "app/bootprogressmenu.h"

#include <QTimer>

BootProgressMenu::BootProgressMenu(QWidget *parent) : QMainWindow(parent)
{
    setupUi(this);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &BootProgressMenu::updateProgressbar);
    m_timer->start(50);
}

void BootProgressMenu::updateProgressValue(int value) { m_percent = value; }

void BootProgressMenu::updateProgressbar()
{
    if (m_percent > 100)
        m_timer->stop();
    if (m_percent > 99)
        m_percent = 100;
    else
        ++m_percent;
    bar1->setValue(m_percent);
}
