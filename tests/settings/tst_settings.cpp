// Settings: the date fields' rules as plain functions, then the date editor,
// device information, factory reset, card format and upgrade driven by keys
// on a simulated board (never the host's clock): what the screens show, what
// is stored, and the board commands in their order.
#include "board/board.h"
#include "common/livedevice.h"
#include "core/config.h"
#include "core/keystate.h"
#include "settings/datetimefields.h"
#include "settings/maintenance.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/formatsdcardsetmenu.h"
#include "settings/menus/progresssplash.h"
#include "settings/menus/upgradesubmenu.h"
#include "settings/serialnumber.h"
#include "settings/sizetext.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QtTest>

#include <ctime>

using namespace datetime;
using Ints = QList<int>;

namespace {
const QString kCardNode = QStringLiteral("/dev/mmcblk0p1");
const QString kCard = QStringLiteral("/media/mmcblk0p1");

std::time_t localSeconds(int year, int hour, int minute, int second)
{
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = 5, t.tm_mday = 15;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second, t.tm_isdst = -1;
    return std::mktime(&t);
}

// Puts the simulated board's clock at 15 June of `year`, local time.
void setBoardClock(const TestBoard &board, int year, int hour, int minute, int second = 0)
{
    const qint64 offset = qint64(localSeconds(year, hour, minute, second)) - qint64(std::time(nullptr));
    board.write(QStringLiteral("/sim/clock_offset"), QByteArray::number(offset) + '\n');
}

// year, month, day, hour, minute, twelve, pm
Fields fieldsOf(const Ints &l)
{
    Fields f;
    f.year = l[0], f.month = l[1], f.day = l[2], f.hour = l[3], f.minute = l[4], f.twelveHour = l[5], f.pm = l[6];
    return f;
}

Ints listOf(const Fields &f) { return {f.year, f.month, f.day, f.hour, f.minute, int(f.twelveHour), int(f.pm)}; }

QStringList withoutBacklight(QStringList commands)
{
    commands.removeIf([](const QString &c) { return c.contains(QLatin1String("brightness")); });
    return commands;
}
}   // namespace

class TestSettings : public QObject {
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
    void sizes_data();
    void sizes();
    void serialNames_data();
    void serialNames();
    void backupCopies_data();
    void backupCopies();

    void dateEditKeepsTheRunningClock_data();
    void dateEditKeepsTheRunningClock();
    void deviceInformation_data();
    void deviceInformation();
    void serialFromTheCard_data();
    void serialFromTheCard();
    void factoryReset();
    void format_data();
    void format();
    void upgrade_data();
    void upgrade();
};

void TestSettings::fieldOrder_data()
{
    QTest::addColumn<bool>("twelve");
    QTest::addColumn<Ints>("rightward");
    QTest::newRow("24-hour") << false << Ints{1, 3, 4, 5, 6, 7, 1};
    QTest::newRow("12-hour") << true << Ints{1, 3, 4, 5, 6, 7, 2, 1};
}

void TestSettings::fieldOrder()
{
    QFETCH(bool, twelve);
    QFETCH(Ints, rightward);
    for (int i = 0; i + 1 < rightward.size(); ++i) {
        QCOMPARE(nextField(rightward[i], twelve), rightward[i + 1]);
        QCOMPARE(previousField(rightward[i + 1], twelve), rightward[i]);
    }
    // No field selected: as if on the format field.
    QCOMPARE(nextField(0, twelve), rightward[1]);
    QCOMPARE(previousField(0, twelve), rightward[rightward.size() - 2]);
}

void TestSettings::stepping_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("delta");
    QTest::addColumn<Ints>("before");   // year, month, day, hour, minute, twelve, pm
    QTest::addColumn<Ints>("after");
    const Ints base{2024, 6, 15, 10, 30, 0, 0};
    auto with = [&](std::initializer_list<std::pair<int, int>> changes) {
        Ints l = base;
        for (const auto &[i, v] : changes)
            l[i] = v;
        return l;
    };
    QTest::newRow("year 2195 + 10 -> 2020") << int(Year) << 10 << with({{0, 2195}}) << with({{0, 2020}});
    QTest::newRow("year 2020 - 1 -> 2200") << int(Year) << -1 << with({{0, 2020}}) << with({{0, 2200}});
    QTest::newRow("month 12 + 1 -> 1") << int(Month) << 1 << with({{1, 12}}) << with({{1, 1}});
    QTest::newRow("month 1 - 1 -> 12") << int(Month) << -1 << with({{1, 1}}) << with({{1, 12}});
    QTest::newRow("month 2 - 1 -> 1") << int(Month) << -1 << with({{1, 2}}) << with({{1, 1}});
    QTest::newRow("month change keeps day 31") << int(Month) << -2 << with({{2, 31}}) << with({{1, 4}, {2, 31}});
    QTest::newRow("day 31 in April wraps to 1") << int(Day) << 1 << with({{1, 4}, {2, 31}}) << with({{1, 4}, {2, 1}});
    QTest::newRow("leap February") << int(Day) << -1 << with({{1, 2}, {2, 1}}) << with({{1, 2}, {2, 29}});
    QTest::newRow("February 2100") << int(Day) << -1 << with({{0, 2100}, {1, 2}, {2, 1}})
                                   << with({{0, 2100}, {1, 2}, {2, 28}});
    QTest::newRow("February 2000") << int(Day) << -1 << with({{0, 2000}, {1, 2}, {2, 1}})
                                   << with({{0, 2000}, {1, 2}, {2, 29}});
    QTest::newRow("hour 23 + 1 -> 0") << int(Hour) << 1 << with({{3, 23}}) << with({{3, 0}});
    QTest::newRow("hour 0 - 1 -> 23") << int(Hour) << -1 << with({{3, 0}}) << with({{3, 23}});
    QTest::newRow("12-hour: 12 + 1 -> 1") << int(Hour) << 1 << with({{3, 12}, {5, 1}}) << with({{3, 1}, {5, 1}});
    QTest::newRow("12-hour: 1 - 1 -> 12") << int(Hour) << -1 << with({{3, 1}, {5, 1}}) << with({{3, 12}, {5, 1}});
    QTest::newRow("minute 59 + 1 -> 0") << int(Minute) << 1 << with({{4, 59}}) << with({{4, 0}});
    QTest::newRow("minute 5 - 10 -> 59") << int(Minute) << -10 << with({{4, 5}}) << with({{4, 59}});
    QTest::newRow("the format field is no number") << int(TimeFormat) << 1 << base << base;
}

void TestSettings::stepping()
{
    QFETCH(int, field);
    QFETCH(int, delta);
    QFETCH(Ints, before);
    Fields f = fieldsOf(before);
    step(f, field, delta);
    QTEST(listOf(f), "after");
}

void TestSettings::twelveHourForms_data()
{
    QTest::addColumn<int>("hour24");
    QTest::addColumn<int>("hour12");
    QTest::addColumn<bool>("pm");
    QTest::newRow("midnight is 12 AM") << 0 << 12 << false;
    QTest::newRow("noon is 12 PM") << 12 << 12 << true;
    QTest::newRow("13 is 1 PM") << 13 << 1 << true;
    QTest::newRow("23 is 11 PM") << 23 << 11 << true;
}

void TestSettings::twelveHourForms()
{
    QFETCH(int, hour24);
    Fields f;
    f.hour = hour24;
    setTwelveHour(f, true);
    QTEST(f.hour, "hour12");
    QTEST(f.pm, "pm");
    QCOMPARE(hourOfDay(f), hour24);
    setTwelveHour(f, false);
    QCOMPARE(f.hour, hour24);
}

void TestSettings::timeToSet_data()
{
    QTest::addColumn<Ints>("fields");   // year, month, day, hour, minute, twelve, pm
    QTest::addColumn<Ints>("tm");       // year, month 1..12, day, hour, minute
    QTest::newRow("plain") << Ints{2024, 6, 15, 10, 30, 0, 0} << Ints{2024, 6, 15, 10, 30};
    QTest::newRow("12 AM sets hour 0") << Ints{2024, 6, 15, 12, 5, 1, 0} << Ints{2024, 6, 15, 0, 5};
    QTest::newRow("12 PM sets hour 12") << Ints{2024, 6, 15, 12, 5, 1, 1} << Ints{2024, 6, 15, 12, 5};
    QTest::newRow("7 PM sets hour 19") << Ints{2024, 6, 15, 7, 5, 1, 1} << Ints{2024, 6, 15, 19, 5};
    QTest::newRow("a year below 2020 is 2020") << Ints{2015, 3, 2, 8, 0, 0, 0} << Ints{2020, 3, 2, 8, 0};
    QTest::newRow("New Year's midnight") << Ints{2025, 1, 1, 0, 0, 0, 0} << Ints{2025, 1, 1, 0, 0};
    QTest::newRow("31 September is the 30th") << Ints{2024, 9, 31, 9, 0, 0, 0} << Ints{2024, 9, 30, 9, 0};
    QTest::newRow("29 February 2023 is the 28th") << Ints{2023, 2, 29, 9, 0, 0, 0} << Ints{2023, 2, 28, 9, 0};
    QTest::newRow("29 February 2024 stays") << Ints{2024, 2, 29, 9, 0, 0, 0} << Ints{2024, 2, 29, 9, 0};
}

void TestSettings::timeToSet()
{
    QFETCH(Ints, fields);
    QFETCH(Ints, tm);
    const Fields f = fieldsOf(fields);
    std::tm t = toTm(f);
    const Ints got{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst};
    QCOMPARE(got, (tm + Ints{0, -1}));
    // Read back, the time gives the fields it was set from (in the same hour form).
    const Fields back = fromTime(t, f.twelveHour);
    QCOMPARE((Ints{back.year, back.month, back.day, hourOfDay(back), back.minute}), tm);
    // mktime takes it as given: nothing rolls into the next month.
    std::mktime(&t);
    QCOMPARE((Ints{t.tm_mon + 1, t.tm_mday}), tm.mid(1, 2));
}

void TestSettings::sizes_data()
{
    QTest::addColumn<qulonglong>("mb");
    QTest::addColumn<QString>("text");
    QTest::newRow("no card") << 0ull << "0MB";
    QTest::newRow("1023 MB") << 1023ull << "1023MB";
    QTest::newRow("exactly 1024 MB") << 1024ull << "1.00GB";
    QTest::newRow("a 16 GB card") << 15197ull << "14.84GB";
}

void TestSettings::sizes()
{
    QFETCH(qulonglong, mb);
    QTEST(deviceinfo::sizeText(mb), "text");
}

void TestSettings::serialNames_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("plausible");
    const QString n32(32, QLatin1Char('7')), n33(33, QLatin1Char('7'));
    QTest::newRow("letters digits dash underscore") << "NV7-2026_0001.zarnsn" << QString("NV7-2026_0001") << true;
    QTest::newRow("name up to the first dot") << "A1.B2.zarnsn" << QString("A1") << true;
    QTest::newRow("32 characters") << n32 + ".zarnsn" << n32 << true;
    QTest::newRow("33 characters") << n33 + ".zarnsn" << n33 << false;
    QTest::newRow("a blank") << "NV7 01.zarnsn" << QString("NV7 01") << false;
    QTest::newRow("nothing before the dot") << ".zarnsn" << QString("") << false;
    QTest::newRow("a line break") << "NV7\n01.zarnsn" << QString("NV7\n01") << false;
    QTest::newRow("not ASCII") << QString::fromUtf8("序列号.zarnsn") << QString::fromUtf8("序列号") << false;
}

void TestSettings::serialNames()
{
    QFETCH(QString, file);
    QFETCH(QString, serial);
    QCOMPARE(serialnumber::fromFileName(file), serial);
    QTEST(serialnumber::isPlausible(serial), "plausible");
}

// A backup copy counts only when its bytes are those of its source.
void TestSettings::backupCopies_data()
{
    QTest::addColumn<QByteArray>("copy");   // of sn_config.ini; empty: none
    QTest::addColumn<QStringList>("failed");
    QTest::newRow("whole") << QByteArray("sn=NV7-0001\n") << QStringList{};
    QTest::newRow("missing") << QByteArray() << QStringList{"sn_config.ini"};
    QTest::newRow("short") << QByteArray("sn=NV7-00") << QStringList{"sn_config.ini"};
    QTest::newRow("stale, same size") << QByteArray("sn=NV7-0000\n") << QStringList{"sn_config.ini"};
    QTest::newRow("longer") << QByteArray("sn=NV7-0001\nx") << QStringList{"sn_config.ini"};
}

void TestSettings::backupCopies()
{
    QFETCH(QByteArray, copy);
    TestBoard board;
    board.write(QStringLiteral("/root/sn_config.ini"), "sn=NV7-0001\n");
    for (const QString &f : maintenance::backupFiles()) {
        const QString target = kCard + QStringLiteral("/SystemBackup/") + f;
        if (f != QLatin1String("sn_config.ini"))
            board.write(target, board.read(QStringLiteral("/root/") + f));
        else if (!copy.isEmpty())
            board.write(target, copy);
    }
    QTEST(maintenance::failedBackups(), "failed");
}

// ---- by keys ------------------------------------------------------------------------------------------

void TestSettings::dateEditKeepsTheRunningClock_data()
{
    QTest::addColumn<int>("startYear");
    QTest::addColumn<QString>("keys");   // Right Left Ok Up Down Back; H, J: UP, DOWN held (an auto-repeat steps by 10)
    QTest::addColumn<int>("year");
    QTest::addColumn<int>("movedMinutes");
    QTest::addColumn<bool>("set");
    QTest::newRow("hour confirmed unchanged") << 2024 << "RRRROO" << 2024 << 0 << true;
    QTest::newRow("12/24-hour format only") << 2024 << "OUO" << 2024 << 0 << false;
    QTest::newRow("holding UP from 2195 shows 2020, RIGHT while editing stays") << 2195 << "RORHO" << 2020 << 0 << true;
    QTest::newRow("minute held DOWN, BACK confirms") << 2024 << "RRRRROJB" << 2024 << -11 << true;
    QTest::newRow("12-hour, LEFT to AM/PM, PM sets the afternoon") << 2024 << "OUOLODO" << 2024 << 720 << true;
}

// The fields shown are minutes old when an edit starts (the refresh runs once
// a minute); the clock keeps its seconds and moves only by what was edited.
void TestSettings::dateEditKeepsTheRunningClock()
{
    QFETCH(int, startYear);
    QFETCH(QString, keys);
    QFETCH(int, year);
    QFETCH(int, movedMinutes);
    QFETCH(bool, set);
    if (sizeof(std::time_t) < 8 && startYear > 2037)
        QSKIP("this C library's time_t ends in January 2038");
    LiveDevice k(LiveDevice::Later);
    setBoardClock(k.board, startYear, 10, 30);
    k.start();
    k.openSetting(1);
    DateTimeSetMenu *m = k.w->dateTimeSetMenu;
    QCOMPARE(m->YearLabel->text(), QString::number(startYear));
    setBoardClock(k.board, startYear, 10, 35, 40);
    k.board.clearCommands();
    const std::time_t expected = localSeconds(year, 10, 35 + movedMinutes, 40);
    const int keycodes[] = {keycode::Right, keycode::Left, keycode::Ok, keycode::Up, keycode::Down, keycode::Back};
    for (const QChar c : keys)
        c == QLatin1Char('H') || c == QLatin1Char('J') ? k.holdOnce(c == QLatin1Char('H') ? keycode::Up : keycode::Down)
                                                       : k.press(keycodes[QStringLiteral("RLOUDB").indexOf(c)]);
    QVERIFY(!m->editing && m->isVisible());
    const std::time_t now = board::nowSeconds();
    QVERIFY2(now >= expected && now < expected + 5, qPrintable(QString::number(now - expected)));
    QCOMPARE(m->YearLabel->text(), QString::number(year));
    QCOMPARE(k.board.commands().contains(QStringLiteral("hwclock -w")), set);
    // The status bar clock follows.
    const bool twelve = config::readString(config::Main, QStringLiteral("time_format")) == QLatin1String("12H");
    QCOMPARE(m->AmPmLabel->isHidden(), !twelve);
    k.w->timerUpdate();
    QCOMPARE(k.w->TimeLabel->text().endsWith(QLatin1String("PM")), twelve && movedMinutes > 0);
    // The factory reset returns to the 24-hour display and off the AM/PM field.
    const int field = dateTimeLabel;
    m->factoryResetForDateTimeSetMenu();
    QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("24H"));
    QVERIFY(m->AmPmLabel->isHidden());
    QCOMPARE(dateTimeLabel, field == 2 ? 1 : field);
}

void TestSettings::deviceInformation_data()
{
    QTest::addColumn<bool>("card");
    QTest::addColumn<int>("freeMb");
    QTest::addColumn<QStringList>("shown");   // version, capacity, free
    QTest::addColumn<int>("small");           // -1: not reported
    QTest::newRow("2 MB free: room for a capture") << true << 2 << QStringList{"V2.0.22", "14.84GB", "2MB"} << 0;
    QTest::newRow("1 MB free") << true << 1 << QStringList{"V2.0.22", "14.84GB", "1MB"} << 1;
    QTest::newRow("no card") << false << 15000 << QStringList{"V2.0.22", "0MB", "0MB"} << -1;
}

void TestSettings::deviceInformation()
{
    QFETCH(bool, card);
    QFETCH(int, freeMb);
    QFETCH(int, small);
    LiveDevice k(LiveDevice::English);
    k.board.write(QStringLiteral("/sim/sd_total_mb"), "15197");
    k.board.write(QStringLiteral("/sim/sd_free_mb"), QByteArray::number(freeMb));
    if (!card)
        k.board.remove(kCardNode);
    DeviceInformationSubMenu *m = k.w->deviceInformationSubMenu;
    QSignalSpy present(m, &DeviceInformationSubMenu::updateSdcardStatus);
    QSignalSpy full(m, &DeviceInformationSubMenu::availableDiskIsSmall);
    k.openSystemEntry(0);
    QTEST((QStringList{m->versionLabel->text(), m->capacityLabel->text(), m->freeLabel->text()}), "shown");
    QCOMPARE(present, (QList<QList<QVariant>>{{card}}));
    QCOMPARE(k.w->sdcardStatus, card);
    QCOMPARE(full, small < 0 ? QList<QList<QVariant>>{} : QList<QList<QVariant>>{{bool(small)}});
    // Hidden, the page reports nothing.
    k.press(keycode::Back);
    m->updateDeviceInformation();
    QCOMPARE(present.count(), 1);
}

void TestSettings::serialFromTheCard_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("stored");   // before
    QTest::addColumn<QString>("serial");   // after
    QTest::addColumn<bool>("taken");       // the file removed from the card
    QTest::newRow("replaces an older serial") << "NV7-0002.zarnsn"
                                              << "NV7-0001" << QString("NV7-0002") << true;
    QTest::newRow("an implausible name is left") << "not a serial!.zarnsn"
                                                 << "NV7-0001" << QString("NV7-0001") << false;
    QTest::newRow("upper-case suffix, as FAT gives it") << "NV7-0003.ZARNSN"
                                                        << "" << QString("NV7-0003") << true;
    QTest::newRow("other files untouched") << "NV7-0004.zarnsn.txt"
                                           << "" << QString("") << false;
}

void TestSettings::serialFromTheCard()
{
    QFETCH(QString, file);
    QFETCH(QString, stored);
    QFETCH(QString, serial);
    QFETCH(bool, taken);
    LiveDevice k(LiveDevice::Later);
    if (!stored.isEmpty())
        config::write(config::Sn, QStringLiteral("sn"), stored);
    k.start();
    DeviceInformationSubMenu *m = k.w->deviceInformationSubMenu;
    QCOMPARE(m->snLabel->text(), stored);
    k.board.write(kCard + QLatin1Char('/') + file, "x");
    k.openSystemEntry(0);
    QCOMPARE(m->snLabel->text(), serial);
    QCOMPARE(config::readString(config::Sn, QStringLiteral("sn")), serial);
    QCOMPARE(QFile::exists(k.board.file(kCard + QLatin1Char('/') + file)), !taken);
    // Taken once: later refreshes find nothing more to take.
    config::write(config::Sn, QStringLiteral("sn"), QStringLiteral("changed"));
    m->updateDeviceInformation();
    QCOMPARE(m->snLabel->text(), serial);
}

// ---- factory reset and card format: "No" on every opening, so a reopened screen and one OK do nothing ----

void TestSettings::factoryReset()
{
    LiveDevice k(LiveDevice::English);
    FactoryResetSetMenu *m = k.w->factoryResetSetMenu;
    QSignalSpy fanOut(m, &FactoryResetSetMenu::factoryResetForSystem);
    config::write(config::Main, QStringLiteral("temp_unit"), QStringLiteral("F"));
    config::write(config::System, QStringLiteral("language"), QStringLiteral("English"));
    k.openSystemEntry(1);
    QCOMPARE(m->focusWidget(), m->radioButton_2);   // "No"
    k.board.clearCommands();
    k.press(keycode::Up);
    k.press(keycode::Ok);
    QCOMPARE(fanOut.count(), 1);
    // Every factory value, written after the fan-out, and the first-boot flag.
    for (const config::Factory &f : config::factoryValues())
        QCOMPARE(config::readString(config::Main, QString::fromLatin1(f.key)), QString::fromLatin1(f.text));
    QCOMPARE(config::readString(config::System, QStringLiteral("language")), QStringLiteral("none"));
    QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")), QStringLiteral("No"));
    // The fan-out's own commands come first, "sync" after the writes.
    QCOMPARE(k.board.commands().last(), QStringLiteral("sync"));
    QCOMPARE(m->splash()->message(), FactoryResetSetMenu::tr("Resetting..."));
    // "Yes" again, or any key, while it runs does nothing.
    m->factoryResetSetMenuUpdateRbtn1();
    k.press(keycode::Ok);
    k.press(keycode::Back);
    QCOMPARE(fanOut.count(), 1);
    QVERIFY(m->isVisible());
    // High gain: the splash goes after 3 s, the keys come back 0.5 s later.
    QTRY_VERIFY_WITH_TIMEOUT(m->factoryResetDone, 5000);
    QCOMPARE(m->focusWidget(), m->radioButton_2);
    k.press(keycode::Back);
    m->radioButton->setChecked(true);
    k.press(keycode::Ok);
    QVERIFY(m->radioButton_2->isChecked());
    k.press(keycode::Ok);
    QCOMPARE(fanOut.count(), 1);
}

void TestSettings::format_data()
{
    QTest::addColumn<bool>("card");
    QTest::newRow("with a card") << true;
    QTest::newRow("without a card") << false;
}

void TestSettings::format()
{
    QFETCH(bool, card);
    LiveDevice k(LiveDevice::English);
    FormatSdcardSetMenu *m = k.w->formatSdcardSetMenu;
    config::write(config::Image, QStringLiteral("image_count"), 42);
    k.board.write(kCard + QStringLiteral("/DCIM_100/IMG_0042.bmp"), "picture");
    if (!card)
        k.board.remove(kCardNode);
    k.openSystemEntry(2);
    QCOMPARE(m->focusWidget(), m->radioButton_2);   // "No"
    k.board.clearCommands();
    k.press(keycode::Up);
    k.press(keycode::Ok);
    QVERIFY(m->splash()->isVisible());
    QCOMPARE(config::readInt(config::Image, QStringLiteral("image_count")), card ? 0 : 42);
    QCOMPARE(withoutBacklight(k.board.commands()), card ? maintenance::formatCommands() : QStringList());
    QCOMPARE(m->splash()->message(), card ? QStringLiteral("Formatting...") : QStringLiteral("No SD card!"));
    if (!card)
        return;
    QCOMPARE(k.board.commands().value(3), QStringLiteral("mkfs.vfat -F 32 /dev/mmcblk0p1"));
    QCOMPARE(QDir(k.board.file(kCard)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    // Busy: "Yes" again does nothing.
    k.board.clearCommands();
    m->formatSdcardSetMenuUpdateRbtn1();
    QCOMPARE(k.board.commands(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(m->formatSdcardDone, 9000);
    // Done, it stands on "No" again: one OK on the reopened screen wipes nothing.
    k.board.write(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"), "picture");
    k.press(keycode::Back);
    k.press(keycode::Ok, 2);
    QVERIFY(QFileInfo::exists(k.board.file(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"))));
}

void TestSettings::upgrade_data()
{
    QTest::addColumn<bool>("app");            // "App", else "System"
    QTest::addColumn<QStringList>("files");   // on the card; "*": executable, "/...": on the board
    QTest::addColumn<QString>("result");      // the page's first line
    QTest::addColumn<QStringList>("commands");
    const QStringList script{"/media/mmcblk0p1/Upgrade/upgrade.sh"}, syncs(4, "sync");
    QStringList backup;
    for (const char *f :
         {"CalTempConfig.ini", "ImageConfig.ini", "ImageCal_config.ini", "Norvik7_config.ini", "sn_config.ini"})
        backup << QStringLiteral("cp %1 /media/mmcblk0p1/SystemBackup/").arg(QLatin1String(f));
    backup << "sync" << QString("sync") << "sync";
    const QStringList unlock{"echo 0 > /sys/block/mmcblk1boot0/force_ro"};
    const QStringList erase = unlock + QStringList{"dd if=/dev/zero of=/dev/mmcblk1boot0 bs=512 seek=2"} + syncs +
        QStringList{"sync", "sync"};
    const QStringList logos{"system/logo-7.bmp", "bin/logo-7.bmp"};
    const QString notFound = "Found application failed!", failed = "Upgrade failed!", ok = "Upgrade ok.";
    const QString noSystem = "Found system files failed!", noBackup = "Backup failed!";
    QTest::newRow("norvik7") << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh*"} << ok << script + syncs;
    QTest::newRow("Velkar4_Thermal") << true << QStringList{"Upgrade/Velkar4_Thermal", "Upgrade/upgrade.sh*"} << ok
                                     << script + syncs;
    QTest::newRow("neither") << true << QStringList{"Upgrade/upgrade.sh*"} << notFound << QStringList{};
    QTest::newRow("no card") << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh*", "no card"} << notFound
                             << QStringList{};
    QTest::newRow("no script") << true << QStringList{"Upgrade/norvik7"} << failed << script;
    QTest::newRow("script not executable")
        << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh"} << failed << script;
    QTest::newRow("both logos") << false << logos << "Erase ok.Don't remove SD." << backup + erase;
    QTest::newRow("only system/") << false << QStringList{"system/logo-7.bmp"} << noSystem << QStringList{};
    QTest::newRow("only bin/") << false << QStringList{"bin/logo-7.bmp"} << noSystem << QStringList{};
    QTest::newRow("backup cannot be written") << false << logos + QStringList{"SystemBackup"} << noBackup << backup;
    QTest::newRow("a copy cannot replace what is there")
        << false << logos + QStringList{"SystemBackup/ImageConfig.ini/old"} << noBackup << backup;
    QTest::newRow("boot area stays read-only")
        << false << logos + QStringList{"/sys/block/mmcblk1boot0/force_ro/x"} << "Erase failed!" << backup + unlock;
}

void TestSettings::upgrade()
{
    QFETCH(bool, app);
    QFETCH(QStringList, files);
    QFETCH(QString, result);
    QFETCH(QStringList, commands);
    LiveDevice k(LiveDevice::English);
    config::write(config::System, QStringLiteral("nuc_set"), QStringLiteral("Yes"));
    config::write(config::Sn, QStringLiteral("sn"), QStringLiteral("NV7-0001"));
    config::write(config::CalTemp, QStringLiteral("cal1"), 1.5);
    config::write(config::Image, QStringLiteral("image_count"), 7);
    // The palette menu writes its key on its first tick after start: the copies
    // are compared with the files as they stand once that has happened.
    QTRY_VERIFY(k.board.read(QStringLiteral("/root/Norvik7_config.ini")).contains("color="));
    for (QString f : files) {   // "SystemBackup" alone: a file in the folder's place
        const bool executable = f.endsWith(QLatin1Char('*'));
        f.remove(QLatin1Char('*'));
        const QString path = f.startsWith(QLatin1Char('/')) ? f : kCard + QLatin1Char('/') + f;
        f == QLatin1String("no card") ? k.board.remove(kCardNode) : k.board.write(path, "x");
        if (executable)
            QFile::setPermissions(k.board.file(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    UpgradeSubMenu *m = k.w->upgradeSubMenu;
    k.w->upgradeButton->click();
    QVERIFY(m->isVisible());
    if (!app)
        m->pushButton_2->setFocus();
    k.board.clearCommands();
    k.press(keycode::Ok);
    QCOMPARE(withoutBacklight(k.board.commands()), commands);
    QCOMPARE(m->firstLineLabel->text(), result);
    if (app)
        QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")), result == "Upgrade ok." ? "No" : "Yes");
    if (result.endsWith(QLatin1String("failed!"))) {
        // The user may try again, or leave by BACK.
        QVERIFY(m->pushButton->isVisible() && m->pushButton_2->isVisible());
        QVERIFY(!result.startsWith(QLatin1String("Found")) || m->secondLineLabel->text() == "Please check again!");
        k.press(keycode::Back);
        QVERIFY(!m->isVisible());
        return;
    }
    QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please power off, reboot."));
    QVERIFY(m->pushButton->isHidden() && m->pushButton_2->isHidden());
    for (const QString &f : maintenance::backupFiles())
        if (!app)
            QCOMPARE(k.board.read(kCard + "/SystemBackup/" + f), k.board.read("/root/" + f));
    // Once done, nothing runs again; the result stays until power-off.
    k.board.clearCommands();
    k.press(keycode::Ok);
    m->upgradeApplication();
    m->upgradeSystem();
    k.press(keycode::Back);
    QCOMPARE(withoutBacklight(k.board.commands()), QStringList());
    QVERIFY(m->isVisible());
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
