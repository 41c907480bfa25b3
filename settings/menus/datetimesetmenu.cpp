#include "settings/menus/datetimesetmenu.h"

bool dateTimeSetMenuEnabled = true;

DateTimeSetMenu::DateTimeSetMenu(QMainWindow *parent) : Screen(&dateTimeSetMenuEnabled, parent)
{
    m_twelveHour = config::readChoice(*config::choice(QStringLiteral("time_format"))) == 0;
    showTimeFormat();
}

void DateTimeSetMenu::setTwelveHour(bool twelveHour)
{
    m_twelveHour = twelveHour;
    showTimeFormat();
}

void DateTimeSetMenu::showTimeFormat()
{
    TimeFormatLabel->setText(m_twelveHour ? tr("12H") : tr("24H"));
    AmPmLabel->setVisible(m_twelveHour);
}

void DateTimeSetMenu::retranslate()
{
    Screen::retranslate();
    showTimeFormat();
}

void DateTimeSetMenu::dateTimeSetMenuEnable()
{
    openIfHidden();
}

void DateTimeSetMenu::changeCurrentDateTimeSetting() {}
void DateTimeSetMenu::nextToUpdateDateTimeSetting() {}
void DateTimeSetMenu::previousToUpdateDateTimeSetting() {}
void DateTimeSetMenu::upToChangeCurrentSetting() {}
void DateTimeSetMenu::downToChangeCurrentSetting() {}

void DateTimeSetMenu::factoryResetForDateTimeSetMenu() { setTwelveHour(false); }
