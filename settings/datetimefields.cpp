#include "settings/datetimefields.h"

#include <algorithm>
#include <cstring>

namespace datetime {

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month)
{
    switch (month) {
    case 2:
        return isLeapYear(year) ? 29 : 28;
    case 4:
    case 6:
    case 9:
    case 11:
        return 30;
    default:
        return 31;
    }
}

namespace {
const int kOrder[] = {TimeFormat, Year, Month, Day, Hour, Minute, AmPm};
constexpr int kOrderSize = 7;

int indexOf(int field)
{
    for (int i = 0; i < kOrderSize; ++i)
        if (kOrder[i] == field)
            return i;
    return 0;
}
}   // namespace

int nextField(int field, bool twelveHour)
{
    const int size = twelveHour ? kOrderSize : kOrderSize - 1;
    return kOrder[(indexOf(field) + 1) % size];
}

int previousField(int field, bool twelveHour)
{
    const int size = twelveHour ? kOrderSize : kOrderSize - 1;
    const int i = std::min(indexOf(field), size);
    return kOrder[(i + size - 1) % size];
}

int stepWrapped(int value, int delta, int low, int high)
{
    const long long v = static_cast<long long>(value) + delta;
    if (v > high)
        return low;
    if (v < low)
        return high;
    return static_cast<int>(v);
}

Fields fromTime(const std::tm &t, bool twelveHour)
{
    Fields f;
    f.year = t.tm_year + 1900;
    f.month = t.tm_mon + 1;
    f.day = t.tm_mday;
    f.minute = t.tm_min;
    f.hour = t.tm_hour;
    f.twelveHour = false;
    f.pm = t.tm_hour >= 12;
    setTwelveHour(f, twelveHour);
    return f;
}

void step(Fields &f, int field, int delta)
{
    switch (field) {
    case Year:
        f.year = stepWrapped(f.year, delta, kFirstYear, kLastYear);
        break;
    case Month:
        f.month = stepWrapped(f.month, delta, 1, 12);
        break;
    case Day:
        f.day = stepWrapped(f.day, delta, 1, daysInMonth(f.year, f.month));
        break;
    case Hour:
        f.hour = f.twelveHour ? stepWrapped(f.hour, delta, 1, 12) : stepWrapped(f.hour, delta, 0, 23);
        break;
    case Minute:
        f.minute = stepWrapped(f.minute, delta, 0, 59);
        break;
    default:
        break;
    }
}

void setTwelveHour(Fields &f, bool twelveHour)
{
    if (twelveHour == f.twelveHour)
        return;
    if (twelveHour) {
        f.pm = f.hour >= 12;
        f.hour = f.hour % 12 == 0 ? 12 : f.hour % 12;
    } else {
        f.hour = hourOfDay(f);
    }
    f.twelveHour = twelveHour;
}

int hourOfDay(const Fields &f)
{
    if (!f.twelveHour)
        return f.hour;
    int h = f.hour;
    if (f.pm) {
        h += 12;
        if (h >= 24)
            h = 12;
    } else if (h == 12) {
        h = 0;
    }
    return h;
}

std::tm toTm(const Fields &f)
{
    std::tm t;
    std::memset(&t, 0, sizeof t);
    const int year = std::max(f.year, kFirstYear);
    const int month = std::clamp(f.month, 1, 12);
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = std::clamp(f.day, 1, daysInMonth(year, month));
    t.tm_hour = hourOfDay(f);
    t.tm_min = f.minute;
    t.tm_sec = 0;
    t.tm_isdst = -1;
    return t;
}

}   // namespace datetime
