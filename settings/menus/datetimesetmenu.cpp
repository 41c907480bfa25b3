#include "settings/menus/datetimesetmenu.h"

#include "core/keystate.h"
#include "board/board.h"

#include <QTimer>

#include <algorithm>

#include <ctime>

static bool dateTimeSetMenuEnabled = true;
int dateTimeLabel = datetime::TimeFormat;

const char *const DateTimeSetMenu::kSelectedStyle =
    "color: #0033FF;\nfont: bold 16pt;\nborder:none;\nborder-radius:none;";
const char *const DateTimeSetMenu::kEditingStyle =
    "color: #FF3300;\nfont: bold 16pt;\nborder:none;\nborder-radius:none;";
const char *const DateTimeSetMenu::kNormalStyle =
    "color: rgb(255, 255, 255);\nfont: bold 16pt;\nborder:none;\nborder-radius:none;";

namespace {

bool storedTwelveHour() { return config::readChoice(*config::choice(QStringLiteral("time_format"))) == 0; }

std::tm localTime(std::time_t t)
{
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}   // namespace

DateTimeSetMenu::DateTimeSetMenu(QMainWindow *parent) : Screen(&dateTimeSetMenuEnabled, parent)
{
    refreshFields(storedTwelveHour());
    dateTimeLabel = datetime::TimeFormat;
    showFields();
    styleFields();
    m_refresh = new QTimer(this);
    connect(m_refresh, &QTimer::timeout, this, &DateTimeSetMenu::updateDateTimeSetMenu);
    m_refresh->start(60000);
}

QLabel *DateTimeSetMenu::fieldLabel(int field) const
{
    switch (field) {
    case datetime::TimeFormat:
        return TimeFormatLabel;
    case datetime::AmPm:
        return AmPmLabel;
    case datetime::Year:
        return YearLabel;
    case datetime::Month:
        return MonthLabel;
    case datetime::Day:
        return DayLabel;
    case datetime::Hour:
        return HourLabel;
    case datetime::Minute:
        return MinuteLabel;
    default:
        return nullptr;
    }
}

void DateTimeSetMenu::setTwelveHour(bool twelveHour)
{
    datetime::setTwelveHour(m_fields, twelveHour);
    // The AM/PM field cannot stay selected once it is hidden.
    if (!twelveHour && dateTimeLabel == datetime::AmPm)
        dateTimeLabel = datetime::TimeFormat;
    showFields();
    styleFields();
}

void DateTimeSetMenu::showFields()
{
    auto two = [](int v) { return QString::asprintf("%02d", v); };
    TimeFormatLabel->setText(m_fields.twelveHour ? tr("12H") : tr("24H"));
    YearLabel->setText(QString::number(m_fields.year));
    MonthLabel->setText(two(m_fields.month));
    DayLabel->setText(two(m_fields.day));
    HourLabel->setText(two(m_fields.hour));
    MinuteLabel->setText(two(m_fields.minute));
    AmPmLabel->setText(m_fields.pm ? tr("PM") : tr("AM"));
    AmPmLabel->setVisible(m_fields.twelveHour);
}

void DateTimeSetMenu::styleFields()
{
    for (int field = datetime::TimeFormat; field <= datetime::Minute; ++field) {
        const char *style = field != dateTimeLabel ? kNormalStyle : editing ? kEditingStyle : kSelectedStyle;
        fieldLabel(field)->setStyleSheet(QString::fromLatin1(style));
    }
}

void DateTimeSetMenu::select(int field)
{
    dateTimeLabel = field;
    styleFields();
}

void DateTimeSetMenu::retranslate()
{
    Screen::retranslate();
    showFields();
}

void DateTimeSetMenu::dateTimeSetMenuEnable()
{
    if (!isHidden())
        return;
    updateDateTimeSetMenu();
    openIfHidden();
}

void DateTimeSetMenu::changeCurrentDateTimeSetting()
{
    if (!isVisible())
        return;
    if (!editing) {
        // The edit starts from the clock as it is now, not as last shown.
        updateDateTimeSetMenu();
        editing = true;
        styleFields();
        return;
    }
    endEdit();
}

void DateTimeSetMenu::endEdit()
{
    editing = false;
    styleFields();
    // The display format (and the AM/PM it shows) is no change of time.
    if (dateTimeLabel != datetime::TimeFormat)
        adjustDateTime();
    updateDateTimeSetMenu();
}

// A screen closed while a field is edited (a capture, a factory reset or any
// other way) ends the edit as OK would: no edit is left running on a screen
// nobody sees, where it would hold the back key.
void DateTimeSetMenu::hideEvent(QHideEvent *event)
{
    Screen::hideEvent(event);
    if (editing)
        endEdit();
}

void DateTimeSetMenu::nextToUpdateDateTimeSetting()
{
    if (isVisible() && !editing)
        select(datetime::nextField(dateTimeLabel, m_fields.twelveHour));
}

void DateTimeSetMenu::previousToUpdateDateTimeSetting()
{
    if (isVisible() && !editing)
        select(datetime::previousField(dateTimeLabel, m_fields.twelveHour));
}

void DateTimeSetMenu::upToChangeCurrentSetting() { stepCurrent(+1); }
void DateTimeSetMenu::downToChangeCurrentSetting() { stepCurrent(-1); }

void DateTimeSetMenu::stepCurrent(int direction)
{
    if (!isVisible() || !editing)
        return;
    switch (dateTimeLabel) {
    case datetime::TimeFormat: {
        const bool twelve = !m_fields.twelveHour;
        config::write(config::Main, QStringLiteral("time_format"),
                      twelve ? QStringLiteral("12H") : QStringLiteral("24H"));
        setTwelveHour(twelve);
        break;
    }
    case datetime::AmPm:
        m_fields.pm = !m_fields.pm;
        config::write(config::Main, QStringLiteral("ampm"), m_fields.pm ? QStringLiteral("PM") : QStringLiteral("AM"));
        break;
    default:
        datetime::step(m_fields, dateTimeLabel, direction * (keys::longPress() ? 10 : 1));
        break;
    }
    showFields();
}

void DateTimeSetMenu::updateDateTimeSetMenu()
{
    const bool twelve = storedTwelveHour();
    if (editing)
        return;
    refreshFields(twelve);
    if (!twelve && dateTimeLabel == datetime::AmPm)
        dateTimeLabel = datetime::TimeFormat;
    showFields();
    styleFields();
}

void DateTimeSetMenu::adjustDateTime()
{
    if (!isVisible() || editing)
        return;
    std::tm t = datetime::toTm(m_fields);
    const std::time_t when = std::mktime(&t);
    if (when == static_cast<std::time_t>(-1))
        return;
    // The fields name a minute; the seconds the clock had run past the
    // minute they were taken from (the edit included) are kept.
    const std::time_t carried = std::max<std::time_t>(0, board::nowSeconds() - m_fieldsMinute);
    board::setClock(when + carried);
    board::run(QStringLiteral("hwclock -w"));
}

void DateTimeSetMenu::refreshFields(bool twelveHour)
{
    const std::time_t now = board::nowSeconds();
    const std::tm t = localTime(now);
    m_fields = datetime::fromTime(t, twelveHour);
    m_fieldsMinute = now - t.tm_sec;
}

void DateTimeSetMenu::factoryResetForDateTimeSetMenu() { setTwelveHour(false); }
