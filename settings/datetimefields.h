#pragma once
// The date and time editor's fields and their stepping, with no widget.
//
// Field numbers: 1 time format, 3 year, 4 month, 5 day, 6 hour, 7 minute,
// 2 AM/PM (only in 12-hour format). The selection moves 1 -> 3 -> 4 -> 5 ->
// 6 -> 7 -> (2) -> 1 to the right and the other way to the left.

#include <ctime>

namespace datetime {

enum Field { TimeFormat = 1, AmPm = 2, Year = 3, Month = 4, Day = 5, Hour = 6, Minute = 7 };

constexpr int kFirstYear = 2020;
constexpr int kLastYear = 2200;

bool isLeapYear(int year);
int daysInMonth(int year, int month);

// The field after / before `field` in selection order.
int nextField(int field, bool twelveHour);
int previousField(int field, bool twelveHour);

// A value stepped by delta within [low, high]; past either end it becomes the
// other end (not the remainder): 2195 + 10 in years gives 2020.
int stepWrapped(int value, int delta, int low, int high);

// What the editor shows. The hour is 0..23 in 24-hour format and 1..12 in
// 12-hour format, where `pm` tells the half of the day.
struct Fields {
    int year = kFirstYear;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    bool twelveHour = false;
    bool pm = false;
};

// The fields of a broken-down local time, in the given format.
Fields fromTime(const std::tm &t, bool twelveHour);
// Steps one number field (Year, Month, Day, Hour, Minute) by delta; the day
// wraps within the shown month. Other fields are left alone.
void step(Fields &f, int field, int delta);
// Switches between 12- and 24-hour display keeping the time of day:
// 0 shows as 12 AM, 13..23 as 1..11 PM; back by the AM/PM field.
void setTwelveHour(Fields &f, bool twelveHour);

// The hour of the day 0..23: in 12-hour format PM adds 12 (24 or more gives
// 12) and 12 AM is 0.
int hourOfDay(const Fields &f);
// The broken-down time to set: seconds 0, daylight saving unknown, a year
// below 2020 taken as 2020, and a day the month does not have taken as the
// month's last day (31 April is 30 April).
std::tm toTm(const Fields &f);

}   // namespace datetime
