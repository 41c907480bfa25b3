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

std::time_t localSeconds(int year, int month, int day, int hour, int minute, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = month - 1, t.tm_mday = day;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second, t.tm_isdst = -1;
    return std::mktime(&t);
}

// Puts the simulated board's clock at a local date and time.
void setBoardClock(const TestBoard &board, int year, int hour, int minute, int second = 0)
{
    const qint64 offset = qint64(localSeconds(year, 6, 15, hour, minute, second)) - qint64(std::time(nullptr));
    board.write(QStringLiteral("/sim/clock_offset"), QByteArray::number(offset) + '\n');
}

// year, month, day, hour, minute, twelve, pm
Fields fieldsOf(const QList<int> &l)
{
    Fields f;
    f.year = l[0], f.month = l[1], f.day = l[2], f.hour = l[3], f.minute = l[4], f.twelveHour = l[5], f.pm = l[6];
    return f;
}

QList<int> listOf(const Fields &f) { return {f.year, f.month, f.day, f.hour, f.minute, int(f.twelveHour), int(f.pm)}; }

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
    // No field selected: as if on the format field.
    QCOMPARE(nextField(0, twelve), rightward[1]);
    QCOMPARE(previousField(0, twelve), rightward[rightward.size() - 2]);
}

void TestDateTime::stepping_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("delta");
    QTest::addColumn<QList<int>>("before");   // year, month, day, hour, minute, twelve, pm
    QTest::addColumn<QList<int>>("after");
    const QList<int> base{2024, 6, 15, 10, 30, 0, 0};
    auto with = [&](std::initializer_list<std::pair<int, int>> changes) {
        QList<int> l = base;
        for (const auto &[i, v] : changes)
            l[i] = v;
        return l;
    };
    QTest::newRow("year 2195 + 10 -> 2020") << int(Year) << 10 << with({{0, 2195}}) << with({{0, 2020}});
    QTest::newRow("year 2020 - 1 -> 2200") << int(Year) << -1 << with({{0, 2020}}) << with({{0, 2200}});
    QTest::newRow("month 12 + 1 -> 1") << int(Month) << 1 << with({{1, 12}}) << with({{1, 1}});
    QTest::newRow("month 1 - 1 -> 12") << int(Month) << -1 << with({{1, 1}}) << with({{1, 12}});
    QTest::newRow("month 2 - 1 -> 1: onto the lowest value") << int(Month) << -1 << with({{1, 2}}) << with({{1, 1}});
    QTest::newRow("month change keeps day 31") << int(Month) << -2 << with({{2, 31}}) << with({{1, 4}, {2, 31}});
    QTest::newRow("day 31 in April wraps to 1") << int(Day) << 1 << with({{1, 4}, {2, 31}}) << with({{1, 4}, {2, 1}});
    QTest::newRow("day 1 - 1 in leap February -> 29")
        << int(Day) << -1 << with({{1, 2}, {2, 1}}) << with({{1, 2}, {2, 29}});
    QTest::newRow("day 1 - 1 in February 2100 -> 28")
        << int(Day) << -1 << with({{0, 2100}, {1, 2}, {2, 1}}) << with({{0, 2100}, {1, 2}, {2, 28}});
    QTest::newRow("day 1 - 1 in February 2000 -> 29")
        << int(Day) << -1 << with({{0, 2000}, {1, 2}, {2, 1}}) << with({{0, 2000}, {1, 2}, {2, 29}});
    QTest::newRow("hour 23 + 1 -> 0") << int(Hour) << 1 << with({{3, 23}}) << with({{3, 0}});
    QTest::newRow("hour 0 - 1 -> 23") << int(Hour) << -1 << with({{3, 0}}) << with({{3, 23}});
    QTest::newRow("12-hour: 12 + 1 -> 1") << int(Hour) << 1 << with({{3, 12}, {5, 1}}) << with({{3, 1}, {5, 1}});
    QTest::newRow("12-hour: 1 - 1 -> 12") << int(Hour) << -1 << with({{3, 1}, {5, 1}}) << with({{3, 12}, {5, 1}});
    QTest::newRow("minute 59 + 1 -> 0") << int(Minute) << 1 << with({{4, 59}}) << with({{4, 0}});
    QTest::newRow("minute 5 - 10 -> 59") << int(Minute) << -10 << with({{4, 5}}) << with({{4, 59}});
    QTest::newRow("the format field is no number") << int(TimeFormat) << 1 << base << base;
}

void TestDateTime::stepping()
{
    QFETCH(int, field);
    QFETCH(int, delta);
    QFETCH(QList<int>, before);
    QFETCH(QList<int>, after);
    Fields f = fieldsOf(before);
    step(f, field, delta);
    QCOMPARE(listOf(f), after);
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
    const Fields f = fieldsOf(fields);
    std::tm t = toTm(f);
    QCOMPARE((QList<int>{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min}), tm);
    QCOMPARE(t.tm_sec, 0);
    QCOMPARE(t.tm_isdst, -1);
    // Read back, the time gives the fields it was set from (in the same hour form).
    const Fields back = fromTime(t, f.twelveHour);
    QCOMPARE((QList<int>{back.year, back.month, back.day, hourOfDay(back), back.minute}), tm);
    // mktime takes it as given: nothing rolls into the next month.
    std::mktime(&t);
    QCOMPARE(t.tm_mon + 1, tm[1]);
    QCOMPARE(t.tm_mday, tm[2]);
}

// ---- the editor, by keys ------------------------------------------------------------------------

void TestDateTime::confirmKeepsTheRunningClock_data()
{
    QTest::addColumn<int>("startYear");
    QTest::addColumn<QString>("keys");   // Right Left Ok Up Down Back; H, J: UP, DOWN held (an auto-repeat steps by 10)
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("movedMinutes");
    QTest::addColumn<bool>("set");
    QTest::newRow("minute up") << 2024 << "RRRRROUO" << 2024 << 1 << true;
    QTest::newRow("hour confirmed unchanged") << 2024 << "RRRROO" << 2024 << 0 << true;
    QTest::newRow("12/24-hour format only") << 2024 << "OUO" << 2024 << 0 << false;
    QTest::newRow("holding UP from 2195 shows 2020, RIGHT while editing stays") << 2195 << "RORHO" << 2020 << 0 << true;
    QTest::newRow("minute held DOWN, BACK confirms") << 2024 << "RRRRROJB" << 2024 << -11 << true;
    QTest::newRow("12-hour, LEFT to AM/PM, PM sets the afternoon") << 2024 << "OUOLODO" << 2024 << 720 << true;
}

// The fields shown are minutes old when an edit starts (the refresh runs once
// a minute); the clock keeps its seconds and moves only by what was edited.
void TestDateTime::confirmKeepsTheRunningClock()
{
    QFETCH(int, startYear);
    QFETCH(QString, keys);
    QFETCH(int, year);
    QFETCH(int, movedMinutes);
    QFETCH(bool, set);
    if (sizeof(std::time_t) < 8 && startYear > 2037)
        QSKIP("this C library's time_t ends in January 2038");
    const qint64 hostBefore = qint64(std::time(nullptr));
    LiveDevice k(LiveDevice::Later);
    setBoardClock(k.board, startYear, 10, 30);
    k.start();
    k.openSetting(1);
    DateTimeSetMenu *m = k.w->dateTimeSetMenu;
    QVERIFY(m->isVisible());
    QCOMPARE(m->YearLabel->text(), QString::number(startYear));
    QVERIFY(m->AmPmLabel->isHidden());
    setBoardClock(k.board, startYear, 10, 35, 40);
    k.board.clearCommands();
    const std::time_t expected = localSeconds(year, 6, 15, 10, 35 + movedMinutes, 40);
    const QString codes = QStringLiteral("RLOUDB");
    const int keycodes[] = {keycode::Right, keycode::Left, keycode::Ok, keycode::Up, keycode::Down, keycode::Back};
    for (const QChar c : keys)
        c == QLatin1Char('H') || c == QLatin1Char('J') ? k.holdOnce(c == QLatin1Char('H') ? keycode::Up : keycode::Down)
                                                       : k.press(keycodes[codes.indexOf(c)]);
    QVERIFY(!m->editing);
    QVERIFY(m->isVisible());
    const std::time_t now = board::nowSeconds();
    QVERIFY2(now >= expected && now < expected + 5, qPrintable(QString::number(now - expected)));
    QCOMPARE(m->YearLabel->text(), QString::number(year));
    QCOMPARE(k.board.commands().contains(QStringLiteral("hwclock -w")), set);
    // The host's clock is not the board's.
    QVERIFY(qAbs(qint64(std::time(nullptr)) - hostBefore) < 60);
    // The status bar clock follows.
    const bool twelve = config::readString(config::Main, QStringLiteral("time_format")) == QLatin1String("12H");
    QCOMPARE(m->AmPmLabel->isHidden(), !twelve);
    k.w->timerUpdate();
    QCOMPARE(k.w->TimeLabel->text().endsWith(QLatin1String("PM")), twelve && movedMinutes > 0);
    if (movedMinutes == 720)
        saveScreenshot(QStringLiteral("DateTimeSetMenu_12h"), {m});
    // The factory reset returns to the 24-hour display and off the AM/PM field.
    const int field = dateTimeLabel;
    m->factoryResetForDateTimeSetMenu();
    QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("24H"));
    QVERIFY(m->AmPmLabel->isHidden());
    QCOMPARE(dateTimeLabel, field == 2 ? 1 : field);
    k.press(keycode::Back);
    QVERIFY(m->isHidden());
}

QTEST_MAIN(TestDateTime)
#include "tst_datetime.moc"
