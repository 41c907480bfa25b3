// The date and time editor starts from the board clock, which may read any
// date (a board whose clock battery ran down starts in 1970), and is then
// stepped by any sequence of keys. Whatever the clock and the keys, the shown
// fields stay valid once stepped, the 12/24-hour switch keeps the time of
// day, and the time set from the fields is a real one.
#include "fuzztarget.h"
#include "settings/datetimefields.h"

using namespace datetime;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 6)
        return 0;
    // Any clock from 1970 to about 2318, as the board's clock reads it.
    uint64_t seconds = 0;
    std::memcpy(&seconds, data, 5);   // little-endian
    const time_t clock = static_cast<time_t>(seconds % (static_cast<uint64_t>(348) * 365 * 86400));
    const std::tm now = *std::gmtime(&clock);
    Fields f = fromTime(now, data[5] & 1);
    check(f.minute == now.tm_min && hourOfDay(f) == now.tm_hour, "the clock's time of day is not what is shown");

    // Then two bytes a key: which (right, left, the 12/24-hour switch, AM/PM, or a step) and the step.
    int field = TimeFormat, stepped = 0;
    for (size_t at = 6; at + 1 < size; at += 2) {
        const int key = data[at] % 5, before = field, hour = hourOfDay(f);
        if (key == 0) {
            field = nextField(field, f.twelveHour);
        } else if (key == 1) {
            field = previousField(field, f.twelveHour);
            check(nextField(field, f.twelveHour) == before, "left then right does not return to the field");
        } else if (key == 2 && field == TimeFormat) {
            setTwelveHour(f, !f.twelveHour);
            check(hourOfDay(f) == hour, "the 12/24-hour switch changed the time of day");
        } else if (key == 3 && field == AmPm) {
            f.pm = !f.pm;
        } else {
            step(f, field, static_cast<int8_t>(data[at + 1]));
            stepped |= field >= Year && field <= Minute ? 1 << field : 0;
        }
        check(field >= TimeFormat && field <= Minute && (field != AmPm || f.twelveHour), "a field that is not shown");
        // Once every number field was stepped, each is within its stepping range.
        const int all = 1 << Year | 1 << Month | 1 << Day | 1 << Hour | 1 << Minute;
        check((stepped & all) != all ||
                  (f.year >= kFirstYear && f.year <= kLastYear && f.month >= 1 && f.month <= 12 && f.day >= 1 &&
                   f.day <= 31 && f.hour >= (f.twelveHour ? 1 : 0) && f.hour <= (f.twelveHour ? 12 : 23) &&
                   f.minute >= 0 && f.minute <= 59),
              "a stepped field outside its range");
    }

    const std::tm t = toTm(f);
    check(t.tm_year + 1900 >= kFirstYear && t.tm_mon >= 0 && t.tm_mon <= 11 && t.tm_mday >= 1 &&
              t.tm_mday <= daysInMonth(t.tm_year + 1900, t.tm_mon + 1) && t.tm_hour >= 0 && t.tm_hour <= 23 &&
              t.tm_min >= 0 && t.tm_min <= 59 && t.tm_sec == 0 && t.tm_isdst == -1,
          "the time to set is not a real one");
    return 0;
}
