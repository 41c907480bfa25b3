#include "app/bootprogressmenu.h"

#include <QTimer>

BootProgressMenu::BootProgressMenu(QWidget *parent) : QMainWindow(parent)
{
    setupUi(this);
    m_timer = new QTimer(this);
    connect(m_timer, &QTimer::timeout, this, &BootProgressMenu::updateProgressbar);
    m_timer->start(50);
}

bool BootProgressMenu::counting() const { return m_timer->isActive(); }

// A pushed value counts on from there, so the timer runs again if it had stopped.
void BootProgressMenu::updateProgressValue(int value)
{
    m_percent = value;
    if (value != 100)
        m_timer->start(50);
}

void BootProgressMenu::updateProgressbar()
{
    if (m_percent > 100)
        m_timer->stop();
    if (m_percent > 99)
        m_percent = 100;
    else
        ++m_percent;
    bar1->setValue(m_percent);
    // A full bar stays full until a new value is pushed: the timer has nothing
    // more to do and would otherwise wake the program 20 times a second for good.
    if (m_percent == 100)
        m_timer->stop();
}
