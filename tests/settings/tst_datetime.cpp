// Date and time: the field rules as plain functions, then the editor driven
// by keys, setting the simulated board's clock (never the host's).
#include "core/config.h"
#include "core/keystate.h"
#include "board/board.h"
#include "settings/datetimefields.h"
#include "settings/menus/datetimesetmenu.h"
#include "common/livedevice.h"

#include <QLabel>
#include <QtTest>

#include <ctime>

using namespace datetime;

namespace {

// Puts the simulated board's clock at a local date and time.
std::time_t localSeconds(int year, int month, int day, int hour, int minute, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = hour;
    t.tm_min = minute;
    t.tm_sec = second;
    t.tm_isdst = -1;
    return std::mktime(&t);
}

void setBoardClock(const TestBoard &board, int year, int month, int day, int hour, int minute, int second = 0)
{
    const qint64 offset = qint64(localSeconds(year, month, day, hour, minute, second)) - qint64(std::time(nullptr));
    board.write(QStringLiteral("/sim/clock_offset"), QByteArray::number(offset) + '\n');
}

// The program started on a board whose clock reads the given local time, the
// date and time editor opened by keys.
DateTimeSetMenu *openEditorAt(LiveDevice &k, int year, int month, int day, int hour, int minute)
{
    setBoardClock(k.board, year, month, day, hour, minute);
    k.start();
    k.openSetting(1);
    return k.w->dateTimeSetMenu;
}

std::tm boardTime()
{
    const std::time_t t = board::nowSeconds();
    std::tm tm{};
    localtime_r(&t, &tm);
    return tm;
}

}   // namespace

class TestDateTime : public QObject {
    Q_OBJECT
private slots:
    void fieldOrder_data();
    void fieldOrder();
    void stepping_data();
    void stepping();
    void twelveHourForms_data();
    void twelveHourForms();
    void timeToSet_data();
    void timeToSet();

    void editYearByKeys_data();
    void editYearByKeys();
    void twelveHourFormatByKeys();
    void backEndsTheEditAndSetsTheClock();
    void refreshFollowsTheClockOnlyWhenNotEditing();
    void confirmKeepsTheRunningClock_data();
    void confirmKeepsTheRunningClock();
};

void TestDateTime::fieldOrder_data()
{
    QTest::addColumn<bool>("twelve");
    QTest::addColumn<QList<int>>("rightward");
    QTest::newRow("24-hour") << false << QList<int>{1, 3, 4, 5, 6, 7, 1};
    QTest::newRow("12-hour") << true << QList<int>{1, 3, 4, 5, 6, 7, 2, 1};
}

void TestDateTime::fieldOrder()
{
    QFETCH(bool, twelve);
    QFETCH(QList<int>, rightward);
    for (int i = 0; i + 1 < rightward.size(); ++i) {
        QCOMPARE(nextField(rightward[i], twelve), rightward[i + 1]);
        QCOMPARE(previousField(rightward[i + 1], twelve), rightward[i]);
    }
}

void TestDateTime::stepping_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QList<int>>("before");   // year, month, day, hour, minute, twelve, pm
    QTest::addColumn<QList<int>>("after");
    const QList<int> base{2024, 6, 15, 10, 30, 0, 0};
    auto with = [&](int i, int v, QList<int> l) {
        l[i] = v;
        return l;
    };
    QTest::newRow("year up") << int(Year) << 1 << base << with(0, 2025, base);
    QTest::newRow("year 2195 + 10 -> 2020") << int(Year) << 10 << with(0, 2195, base) << with(0, 2020, base);
    QTest::newRow("year 2020 - 1 -> 2200") << int(Year) << -1 << with(0, 2020, base) << with(0, 2200, base);
    QTest::newRow("month 12 + 1 -> 1") << int(Month) << 1 << with(1, 12, base) << with(1, 1, base);
    QTest::newRow("month 1 - 1 -> 12") << int(Month) << -1 << with(1, 1, base) << with(1, 12, base);
    QTest::newRow("month 2 - 1 -> 1") << int(Month) << -1 << with(1, 2, base) << with(1, 1, base);
    QTest::newRow("month 5 + 10 -> 1") << int(Month) << 10 << with(1, 5, base) << with(1, 1, base);
    QTest::newRow("month change keeps day 31")
        << int(Month) << -2 << with(2, 31, with(1, 6, base)) << with(2, 31, with(1, 4, base));
    QTest::newRow("day 31 in April wraps to 1")
        << int(Day) << 1 << with(2, 31, with(1, 4, base)) << with(2, 1, with(1, 4, base));
    QTest::newRow("day 1 - 1 in leap February -> 29")
        << int(Day) << -1 << with(2, 1, with(1, 2, base)) << with(2, 29, with(1, 2, base));
    QTest::newRow("day 1 - 1 in February 2100 -> 28") << int(Day) << -1 << with(0, 2100, with(2, 1, with(1, 2, base)))
                                                      << with(0, 2100, with(2, 28, with(1, 2, base)));
    QTest::newRow("day 1 - 1 in February 2000 (a clock before 2020) -> 29")
        << int(Day) << -1 << with(0, 2000, with(2, 1, with(1, 2, base)))
        << with(0, 2000, with(2, 29, with(1, 2, base)));
    QTest::newRow("hour 23 + 1 -> 0") << int(Hour) << 1 << with(3, 23, base) << with(3, 0, base);
    QTest::newRow("hour 0 - 1 -> 23") << int(Hour) << -1 << with(3, 0, base) << with(3, 23, base);
    QTest::newRow("12-hour: 12 + 1 -> 1")
        << int(Hour) << 1 << with(5, 1, with(3, 12, base)) << with(5, 1, with(3, 1, base));
    QTest::newRow("12-hour: 1 - 1 -> 12")
        << int(Hour) << -1 << with(5, 1, with(3, 1, base)) << with(5, 1, with(3, 12, base));
    QTest::newRow("minute 59 + 1 -> 0") << int(Minute) << 1 << with(4, 59, base) << with(4, 0, base);
    QTest::newRow("minute 5 - 10 -> 59") << int(Minute) << -10 << with(4, 5, base) << with(4, 59, base);
    QTest::newRow("the format field is no number") << int(TimeFormat) << 1 << base << base;
}

void TestDateTime::stepping()
{
    QFETCH(int, field);
    QFETCH(int, delta);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    Fields f;
    f.year = before[0], f.month = before[1], f.day = before[2], f.hour = before[3], f.minute = before[4];
    f.twelveHour = before[5], f.pm = before[6];
    step(f, field, delta);
    QCOMPARE((QList<int>{f.year, f.month, f.day, f.hour, f.minute, int(f.twelveHour), int(f.pm)}), after);
}

void TestDateTime::twelveHourForms_data()
{
    QTest::addColumn<int>("hour24");
    QTest::addColumn<int>("hour12");
    QTest::addColumn<bool>("pm");
    QTest::newRow("midnight is 12 AM") << 0 << 12 << false;
    QTest::newRow("noon is 12 PM") << 12 << 12 << true;
    QTest::newRow("13 is 1 PM") << 13 << 1 << true;
    QTest::newRow("23 is 11 PM") << 23 << 11 << true;
}

void TestDateTime::twelveHourForms()
{
    QFETCH(int, hour24);
    QFETCH(int, hour12);
    QFETCH(bool, pm);
    Fields f;
    f.hour = hour24;
    setTwelveHour(f, true);
    QCOMPARE(f.hour, hour12);
    QCOMPARE(f.pm, pm);
    QCOMPARE(hourOfDay(f), hour24);
    setTwelveHour(f, false);
    QCOMPARE(f.hour, hour24);
}

void TestDateTime::timeToSet_data()
{
    QTest::addColumn<QList<int>>("fields");   // year, month, day, hour, minute, twelve, pm
    QTest::addColumn<QList<int>>("tm");       // year, month 1..12, day, hour, minute
    QTest::newRow("plain") << QList<int>{2024, 6, 15, 10, 30, 0, 0} << QList<int>{2024, 6, 15, 10, 30};
    QTest::newRow("12 AM sets hour 0") << QList<int>{2024, 6, 15, 12, 5, 1, 0} << QList<int>{2024, 6, 15, 0, 5};
    QTest::newRow("12 PM sets hour 12") << QList<int>{2024, 6, 15, 12, 5, 1, 1} << QList<int>{2024, 6, 15, 12, 5};
    QTest::newRow("7 PM sets hour 19") << QList<int>{2024, 6, 15, 7, 5, 1, 1} << QList<int>{2024, 6, 15, 19, 5};
    QTest::newRow("a year below 2020 is set as 2020")
        << QList<int>{2015, 3, 2, 8, 0, 0, 0} << QList<int>{2020, 3, 2, 8, 0};
    QTest::newRow("New Year's midnight") << QList<int>{2025, 1, 1, 0, 0, 0, 0} << QList<int>{2025, 1, 1, 0, 0};
    QTest::newRow("31 September is 30 September")
        << QList<int>{2024, 9, 31, 9, 0, 0, 0} << QList<int>{2024, 9, 30, 9, 0};
    QTest::newRow("31 April is 30 April") << QList<int>{2024, 4, 31, 9, 0, 0, 0} << QList<int>{2024, 4, 30, 9, 0};
    QTest::newRow("29 February of a common year is the 28th")
        << QList<int>{2023, 2, 29, 9, 0, 0, 0} << QList<int>{2023, 2, 28, 9, 0};
    QTest::newRow("29 February of a leap year stays")
        << QList<int>{2024, 2, 29, 9, 0, 0, 0} << QList<int>{2024, 2, 29, 9, 0};
}

void TestDateTime::timeToSet()
{
    QFETCH(QList<int>, fields);
    QFETCH(QList<int>, tm);
    Fields f;
    f.year = fields[0], f.month = fields[1], f.day = fields[2], f.hour = fields[3], f.minute = fields[4];
    f.twelveHour = fields[5], f.pm = fields[6];
    std::tm t = toTm(f);
    QCOMPARE((QList<int>{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min}), tm);
    QCOMPARE(t.tm_sec, 0);
    QCOMPARE(t.tm_isdst, -1);
    // mktime takes it as given: nothing rolls into the next month.
    std::mktime(&t);
    QCOMPARE(t.tm_mon + 1, tm[1]);
    QCOMPARE(t.tm_mday, tm[2]);
}

// ---- the editor, by keys ------------------------------------------------------------------------

void TestDateTime::editYearByKeys_data()
{
    QTest::addColumn<int>("startYear");
    QTest::addColumn<bool>("held");   // an auto-repeat steps by 10
    QTest::addColumn<int>("upOrDown");
    QTest::addColumn<int>("shown");
    QTest::newRow("UP once") << 2024 << false << 1 << 2025;
    QTest::newRow("holding UP from 2195 shows 2020") << 2195 << true << 1 << 2020;
}

void TestDateTime::editYearByKeys()
{
    QFETCH(int, startYear);
    QFETCH(bool, held);
    QFETCH(int, upOrDown);
    QFETCH(int, shown);
    LiveDevice k(LiveDevice::Later);
    const QByteArray hostBefore = QByteArray::number(qint64(std::time(nullptr)));
    DateTimeSetMenu *m = openEditorAt(k, startYear, 6, 15, 10, 30);
    QVERIFY(m->isVisible());
    QCOMPARE(m->YearLabel->text(), QString::number(startYear));
    QCOMPARE(dateTimeLabel, 1);

    k.press(keycode::Right);   // the year
    QCOMPARE(dateTimeLabel, 3);
    QCOMPARE(m->YearLabel->styleSheet(), QString::fromLatin1(DateTimeSetMenu::kSelectedStyle));
    QCOMPARE(m->TimeFormatLabel->styleSheet(), QString::fromLatin1(DateTimeSetMenu::kNormalStyle));
    k.press(keycode::Ok);   // editing
    QVERIFY(m->editing);
    QCOMPARE(m->YearLabel->styleSheet(), QString::fromLatin1(DateTimeSetMenu::kEditingStyle));
    // While editing, RIGHT does not move the selection.
    k.press(keycode::Right);
    QCOMPARE(dateTimeLabel, 3);
    if (upOrDown && held)
        k.holdOnce(upOrDown > 0 ? keycode::Up : keycode::Down);
    else if (upOrDown)
        k.press(upOrDown > 0 ? keycode::Up : keycode::Down);
    QCOMPARE(m->YearLabel->text(), QString::number(upOrDown ? shown : startYear));
    if (startYear == 2195)
        saveScreenshot(QStringLiteral("DateTimeSetMenu_editing_year"), {m});

    k.board.clearCommands();
    k.press(keycode::Ok);   // set the clock
    QVERIFY(!m->editing);
    QCOMPARE(boardTime().tm_year + 1900, shown);
    QCOMPARE(boardTime().tm_mon + 1, 6);
    QCOMPARE(boardTime().tm_mday, 15);
    QCOMPARE(k.board.commands(), QStringList{QStringLiteral("hwclock -w")});
    QCOMPARE(m->YearLabel->text(), QString::number(shown));
    QCOMPARE(m->YearLabel->styleSheet(), QString::fromLatin1(DateTimeSetMenu::kSelectedStyle));
    // The host's clock is not the board's.
    QVERIFY(qAbs(qint64(std::time(nullptr)) - hostBefore.toLongLong()) < 60);
}

void TestDateTime::twelveHourFormatByKeys()
{
    LiveDevice k(LiveDevice::Later);
    DateTimeSetMenu *m = openEditorAt(k, 2024, 6, 15, 0, 45);
    QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("24H"));
    QVERIFY(m->AmPmLabel->isHidden());
    k.press(keycode::Ok);
    k.press(keycode::Up);   // to 12-hour: 00:45 shows as 12 AM
    QCOMPARE(config::readString(config::Main, QStringLiteral("time_format")), QStringLiteral("12H"));
    QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("12H"));
    QCOMPARE(m->HourLabel->text(), QStringLiteral("12"));
    QCOMPARE(m->AmPmLabel->text(), QStringLiteral("AM"));
    QVERIFY(!m->AmPmLabel->isHidden());
    k.press(keycode::Ok);
    // LEFT from the format field reaches AM/PM in 12-hour format; PM makes it 12:45.
    k.press(keycode::Left);
    QCOMPARE(dateTimeLabel, 2);
    k.press(keycode::Ok);
    k.press(keycode::Down);
    QCOMPARE(m->AmPmLabel->text(), QStringLiteral("PM"));
    QCOMPARE(config::readString(config::Main, QStringLiteral("ampm")), QStringLiteral("PM"));
    saveScreenshot(QStringLiteral("DateTimeSetMenu_12h"), {m});
    k.press(keycode::Ok);
    QCOMPARE(boardTime().tm_hour, 12);
    QCOMPARE(boardTime().tm_min, 45);
    // The status bar clock follows.
    k.w->timerUpdate();
    QVERIFY(k.w->TimeLabel->text().endsWith(QLatin1String("PM")));
    // The factory reset returns to the 24-hour display and off the AM/PM field.
    m->factoryResetForDateTimeSetMenu();
    QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("24H"));
    QVERIFY(m->AmPmLabel->isHidden());
    QCOMPARE(dateTimeLabel, 1);
}

void TestDateTime::backEndsTheEditAndSetsTheClock()
{
    LiveDevice k(LiveDevice::Later);
    DateTimeSetMenu *m = openEditorAt(k, 2024, 6, 15, 10, 30);
    k.press(keycode::Right, 5);   // the minute
    QCOMPARE(dateTimeLabel, 7);
    k.press(keycode::Ok);
    k.holdOnce(keycode::Down);   // held: 30 - 1 on the press, - 10 on the repeat
    QCOMPARE(m->MinuteLabel->text(), QStringLiteral("19"));
    k.press(keycode::Back);   // ends the edit, the editor stays
    QVERIFY(!m->editing);
    QVERIFY(m->isVisible());
    QCOMPARE(boardTime().tm_min, 19);
    k.press(keycode::Back);
    QVERIFY(m->isHidden());
}

void TestDateTime::refreshFollowsTheClockOnlyWhenNotEditing()
{
    LiveDevice k(LiveDevice::Later);
    DateTimeSetMenu *m = openEditorAt(k, 2030, 1, 2, 3, 4);
    k.press(keycode::Right);
    k.press(keycode::Ok);
    k.press(keycode::Up);
    setBoardClock(k.board, 2040, 1, 2, 3, 4);
    m->updateDateTimeSetMenu();
    QCOMPARE(m->YearLabel->text(), QStringLiteral("2031"));
    k.press(keycode::Back);   // sets 2031
    setBoardClock(k.board, 2040, 1, 2, 3, 4);
    m->updateDateTimeSetMenu();
    QCOMPARE(m->YearLabel->text(), QStringLiteral("2040"));
}

void TestDateTime::confirmKeepsTheRunningClock_data()
{
    QTest::addColumn<int>("rights");   // the field edited
    QTest::addColumn<int>("ups");
    QTest::addColumn<int>("movedMinutes");
    QTest::addColumn<bool>("set");
    QTest::newRow("minute up") << 5 << 1 << 1 << true;
    QTest::newRow("hour confirmed unchanged") << 4 << 0 << 0 << true;
    QTest::newRow("12/24-hour format only") << 0 << 1 << 0 << false;
}

// The fields shown are minutes old when an edit starts (the refresh runs once
// a minute); the clock keeps its seconds and moves only by what was edited.
void TestDateTime::confirmKeepsTheRunningClock()
{
    QFETCH(int, rights);
    QFETCH(int, ups);
    QFETCH(int, movedMinutes);
    QFETCH(bool, set);
    LiveDevice k(LiveDevice::Later);
    openEditorAt(k, 2024, 6, 15, 10, 30);
    setBoardClock(k.board, 2024, 6, 15, 10, 35, 40);
    k.press(keycode::Right, rights);
    k.press(keycode::Ok);
    k.press(keycode::Up, ups);
    k.board.clearCommands();
    const std::time_t expected = localSeconds(2024, 6, 15, 10, 35 + movedMinutes, 40);
    k.press(keycode::Ok);
    const std::time_t now = board::nowSeconds();
    QVERIFY2(now >= expected && now < expected + 5, qPrintable(QString::number(now - expected)));
    QCOMPARE(k.board.commands().contains(QStringLiteral("hwclock -w")), set);
}

QTEST_MAIN(TestDateTime)
#include "tst_datetime.moc"
