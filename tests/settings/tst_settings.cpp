// Settings: the date fields' rules as plain functions, then the date editor,
// device information, factory reset, card format and upgrade driven by keys
// on a simulated board (never the host's clock): what the screens show, what
// is stored, and the board commands in their order.
#include "board/board.h"
#include "common/livedevice.h"
#include "settings/datetimefields.h"
#include "settings/maintenance.h"
#include "settings/menus/datetimesetmenu.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/formatsdcardsetmenu.h"
#include "settings/menus/progresssplash.h"
#include "settings/menus/upgradesubmenu.h"
#include "settings/serialnumber.h"

#include <QtTest>

using namespace datetime;
using Ints = QList<int>;

namespace {
const QString kCardNode = QStringLiteral("/dev/mmcblk0p1");
const QString kCard = QStringLiteral("/media/mmcblk0p1");

// 15 June of `year`, local time.
std::time_t localSeconds(int year, int hour, int minute, int second = 0)
{
    std::tm t{};
    t.tm_year = year - 1900, t.tm_mon = 5, t.tm_mday = 15;
    t.tm_hour = hour, t.tm_min = minute, t.tm_sec = second, t.tm_isdst = -1;
    return std::mktime(&t);
}

// year, month, day, hour, minute, twelve, pm
Fields fieldsOf(const Ints &l) { return {l[0], l[1], l[2], l[3], l[4], bool(l[5]), bool(l[6])}; }

QStringList withoutBacklight(QStringList commands)
{
    commands.removeIf([](const QString &c) { return c.contains(QLatin1String("brightness")); });
    return commands;
}
}   // namespace

class TestSettings : public QObject {
    Q_OBJECT
private slots:
    void fieldOrder_data()
    {
        QTest::addColumn<bool>("twelve");
        QTest::addColumn<Ints>("rightward");
        QTest::newRow("24-hour") << false << Ints{1, 3, 4, 5, 6, 7, 1};
        QTest::newRow("12-hour") << true << Ints{1, 3, 4, 5, 6, 7, 2, 1};
    }

    void fieldOrder()
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

    void stepping_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<int>("delta");
        QTest::addColumn<Ints>("before");   // year, month, day, hour, minute, twelve, pm
        QTest::addColumn<Ints>("after");
        auto with = [](std::initializer_list<std::pair<int, int>> changes) {
            Ints l{2024, 6, 15, 10, 30, 0, 0};
            for (const auto &[i, v] : changes)
                l[i] = v;
            return l;
        };
        QTest::newRow("year 2020 - 1") << int(Year) << -1 << with({{0, 2020}}) << with({{0, 2200}});
        QTest::newRow("month 12 + 1") << int(Month) << 1 << with({{1, 12}}) << with({{1, 1}});
        QTest::newRow("month 2 - 1") << int(Month) << -1 << with({{1, 2}}) << with({{1, 1}});
        QTest::newRow("31 April + 1") << int(Day) << 1 << with({{1, 4}, {2, 31}}) << with({{1, 4}, {2, 1}});
        QTest::newRow("leap February") << int(Day) << -1 << with({{1, 2}, {2, 1}}) << with({{1, 2}, {2, 29}});
        QTest::newRow("February 2100") << int(Day) << -1 << with({{0, 2100}, {1, 2}, {2, 1}})
                                       << with({{0, 2100}, {1, 2}, {2, 28}});
        QTest::newRow("February 2000") << int(Day) << -1 << with({{0, 2000}, {1, 2}, {2, 1}})
                                       << with({{0, 2000}, {1, 2}, {2, 29}});
        QTest::newRow("hour 23 + 1") << int(Hour) << 1 << with({{3, 23}}) << with({{3, 0}});
        QTest::newRow("12-hour: 12 + 1") << int(Hour) << 1 << with({{3, 12}, {5, 1}}) << with({{3, 1}, {5, 1}});
        QTest::newRow("minute 59 + 1") << int(Minute) << 1 << with({{4, 59}}) << with({{4, 0}});
    }

    void stepping()
    {
        QFETCH(int, field);
        QFETCH(int, delta);
        QFETCH(Ints, before);
        Fields f = fieldsOf(before);
        step(f, field, delta);
        QTEST((Ints{f.year, f.month, f.day, f.hour, f.minute, int(f.twelveHour), int(f.pm)}), "after");
    }

    void timeToSet_data()
    {
        QTest::addColumn<Ints>("fields");   // year, month, day, hour, minute, twelve, pm
        QTest::addColumn<Ints>("tm");       // year, month 1..12, day, hour, minute
        QTest::newRow("12 AM") << Ints{2024, 6, 15, 12, 5, 1, 0} << Ints{2024, 6, 15, 0, 5};
        QTest::newRow("12 PM") << Ints{2024, 6, 15, 12, 5, 1, 1} << Ints{2024, 6, 15, 12, 5};
        QTest::newRow("7 PM") << Ints{2024, 6, 15, 7, 5, 1, 1} << Ints{2024, 6, 15, 19, 5};
        QTest::newRow("year below 2020") << Ints{2015, 3, 2, 8, 0, 0, 0} << Ints{2020, 3, 2, 8, 0};
        QTest::newRow("New Year's midnight") << Ints{2025, 1, 1, 0, 0, 0, 0} << Ints{2025, 1, 1, 0, 0};
        QTest::newRow("31 September") << Ints{2024, 9, 31, 9, 0, 0, 0} << Ints{2024, 9, 30, 9, 0};
        QTest::newRow("29 February 2023") << Ints{2023, 2, 29, 9, 0, 0, 0} << Ints{2023, 2, 28, 9, 0};
        QTest::newRow("29 February 2024") << Ints{2024, 2, 29, 9, 0, 0, 0} << Ints{2024, 2, 29, 9, 0};
    }

    void timeToSet()
    {
        QFETCH(Ints, fields);
        QFETCH(Ints, tm);
        std::tm t = toTm(fieldsOf(fields));
        const Ints got{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday, t.tm_hour, t.tm_min, t.tm_sec, t.tm_isdst};
        QCOMPARE(got, (tm + Ints{0, -1}));
        // Read back in the same hour form, the time gives the fields it was set from.
        const Fields back = fromTime(t, fields[5]);
        QCOMPARE((Ints{back.year, back.month, back.day, back.hour, back.minute, back.pm}),
                 (tm.mid(0, 3) + Ints{fields[3], fields[4], tm[3] >= 12}));
    }

    void serialNames()
    {
        QList<bool> plausible;
        for (const QString &f : QStringList{"NV7-2026_0001.zarnsn", "A1.B2.zarnsn", QString(32, '7') + ".zarnsn",
                                            QString(33, '7') + ".zarnsn", "NV7 01.zarnsn", ".zarnsn", "NV7\n01.zarnsn",
                                            QString::fromUtf8("序列号.zarnsn")})
            plausible << serialnumber::isPlausible(serialnumber::fromFileName(f));
        // letters, digits, - and _; up to the first dot; 32 characters; 33; a blank; nothing; a line break; not ASCII
        QCOMPARE(plausible, (QList<bool>{true, true, true, false, false, false, false, false}));
    }

    // A backup copy counts only when its bytes are those of its source.
    void backupCopies()
    {
        TestBoard board;
        board.write(QStringLiteral("/root/sn_config.ini"), "sn=NV7-0001\n");
        QStringList failed;
        for (const char *copy : {"sn=NV7-0001\n", "", "sn=NV7-00", "sn=NV7-0000\n", "sn=NV7-0001\nx"}) {
            for (const QString &f : maintenance::backupFiles())
                board.write(kCard + "/SystemBackup/" + f,
                            f == "sn_config.ini" ? QByteArray(copy) : board.read("/root/" + f));
            if (!*copy)
                board.remove(kCard + "/SystemBackup/sn_config.ini");
            failed << maintenance::failedBackups().join('+');
        }
        // whole, missing, short, stale of the same size, longer
        QCOMPARE(failed, (QStringList{""} + QStringList(4, "sn_config.ini")));
    }

    // ---- by keys --------------------------------------------------------------------------------------

    void dateEditKeepsTheRunningClock_data()
    {
        QTest::addColumn<int>("startYear");
        QTest::addColumn<QString>("keys");   // Right Left Ok Up Down Back; H, J: UP, DOWN held (steps by 10)
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("movedMinutes");
        QTest::addColumn<bool>("set");
        QTest::newRow("hour confirmed unchanged") << 2024 << "RRRROO" << 2024 << 0 << true;
        QTest::newRow("12/24-hour format only") << 2024 << "OUO" << 2024 << 0 << false;
        QTest::newRow("held UP from 2195, RIGHT in edit") << 2195 << "RORHO" << 2020 << 0 << true;
        QTest::newRow("minute held DOWN, BACK confirms") << 2024 << "RRRRROJB" << 2024 << -11 << true;
        QTest::newRow("12-hour, LEFT to AM/PM, PM") << 2024 << "OUOLODO" << 2024 << 720 << true;
    }

    // The fields shown are minutes old when an edit starts (the refresh runs
    // once a minute); the clock keeps its seconds and moves only by what was
    // edited.
    void dateEditKeepsTheRunningClock()
    {
        QFETCH(int, startYear);
        QFETCH(QString, keys);
        QFETCH(int, year);
        QFETCH(int, movedMinutes);
        if (sizeof(std::time_t) < 8 && startYear > 2037)
            QSKIP("this C library's time_t ends in January 2038");
        auto setClock = [](const TestBoard &b, std::time_t t) {
            b.write("/sim/clock_offset", QByteArray::number(qint64(t) - qint64(std::time(nullptr))));
        };
        LiveDevice k([&](TestBoard &b) { setClock(b, localSeconds(startYear, 10, 30)); }, true);
        k.openSetting(1);
        DateTimeSetMenu *m = k.w->dateTimeSetMenu;
        setClock(k.board, localSeconds(startYear, 10, 35, 40));
        k.board.clearCommands();
        const std::time_t expected = localSeconds(year, 10, 35 + movedMinutes, 40);
        const int codes[] = {keycode::Right, keycode::Left, keycode::Ok, keycode::Up, keycode::Down, keycode::Back};
        for (const QChar c : keys)
            c == QLatin1Char('H') || c == QLatin1Char('J')
                ? k.holdOnce(c == QLatin1Char('H') ? keycode::Up : keycode::Down)
                : k.press(codes[QStringLiteral("RLOUDB").indexOf(c)]);
        QVERIFY(!m->editing && m->isVisible());
        const std::time_t now = board::nowSeconds();
        QVERIFY2(now >= expected && now < expected + 5, qPrintable(QString::number(now - expected)));
        QCOMPARE(m->YearLabel->text(), QString::number(year));
        QTEST(k.board.commands().contains(QStringLiteral("hwclock -w")), "set");
        // The factory reset returns to the 24-hour display and off the AM/PM field.
        const int field = dateTimeLabel;
        m->factoryResetForDateTimeSetMenu();
        QCOMPARE(m->TimeFormatLabel->text(), QStringLiteral("24H"));
        QVERIFY(m->AmPmLabel->isHidden());
        QCOMPARE(dateTimeLabel, field == 2 ? 1 : field);
    }

    // The page with its size texts, the low-space report and the serial number
    // taken from a "<serial>.zarnsn" file on the card.
    void deviceInformation_data()
    {
        QTest::addColumn<int>("totalMb");   // 0: no card
        QTest::addColumn<int>("freeMb");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("stored");      // the serial before
        QTest::addColumn<QStringList>("shown");   // capacity, free, serial
        QTest::newRow("2 MB free, newer serial") << 15197 << 2 << "NV7-0002.zarnsn"
                                                 << "NV7-0001" << QStringList{"14.84GB", "2MB", "NV7-0002"};
        QTest::newRow("1 MB free, implausible") << 1024 << 1 << "not a serial!.zarnsn"
                                                << "NV7-0001" << QStringList{"1.00GB", "1MB", "NV7-0001"};
        QTest::newRow("no card, other files") << 0 << 9 << "NV7-0004.zarnsn.txt"
                                              << "" << QStringList{"0MB", "0MB", ""};
    }

    void deviceInformation()
    {
        QFETCH(int, totalMb);
        QFETCH(int, freeMb);
        QFETCH(QString, file);
        QFETCH(QString, stored);
        QFETCH(QStringList, shown);
        LiveDevice k([&](TestBoard &b) {
            b.write(QStringLiteral("/sim/sd_total_mb"), QByteArray::number(totalMb));
            b.write(QStringLiteral("/sim/sd_free_mb"), QByteArray::number(freeMb));
            if (!totalMb)
                b.remove(kCardNode);
            if (!stored.isEmpty())
                config::write(config::Sn, QStringLiteral("sn"), stored);
        });
        k.boot();
        DeviceInformationSubMenu *m = k.w->deviceInformationSubMenu;
        QSignalSpy present(m, &DeviceInformationSubMenu::updateSdcardStatus);
        QSignalSpy full(m, &DeviceInformationSubMenu::availableDiskIsSmall);
        k.board.write(kCard + QLatin1Char('/') + file, "x");
        k.openSystemEntry(0);
        QCOMPARE(
            (QStringList{m->versionLabel->text(), m->capacityLabel->text(), m->freeLabel->text(), m->snLabel->text()}),
            QStringList{"V2.0.22"} + shown);
        QCOMPARE(config::readString(config::Sn, QStringLiteral("sn")), shown[2]);
        QCOMPARE(!QFile::exists(k.board.file(kCard + QLatin1Char('/') + file)), shown[2] != stored);
        QCOMPARE(present, (QList<QList<QVariant>>{{totalMb > 0}}));
        // Below 2 MB there is no room for a capture.
        QCOMPARE(full, totalMb ? QList<QList<QVariant>>{{freeMb < 2}} : QList<QList<QVariant>>{});
    }

    void resetAndFormat_data()
    {
        QTest::addColumn<int>("entry");   // 1 factory reset, 2 card format
        QTest::addColumn<bool>("card");
        QTest::addColumn<QString>("message");
        QTest::newRow("factory reset") << 1 << true << QString::fromUtf8("正在恢复...");   // in Chinese again
        QTest::newRow("format") << 2 << true << "Formatting...";
        QTest::newRow("format, no card") << 2 << false << "No SD card!";
    }

    // Both screens open on "No" and return to it once done, so a reopened
    // screen and one OK do nothing.
    void resetAndFormat()
    {
        QFETCH(int, entry);
        QFETCH(bool, card);
        LiveDevice k({}, true);
        FactoryResetSetMenu *r = k.w->factoryResetSetMenu;
        FormatSdcardSetMenu *f = k.w->formatSdcardSetMenu;
        QRadioButton *no = entry == 1 ? r->radioButton_2 : f->radioButton_2;
        QSignalSpy fanOut(r, &FactoryResetSetMenu::factoryResetForSystem);
        config::write(config::Image, QStringLiteral("image_count"), 42);
        const QString picture = kCard + QStringLiteral("/DCIM_100/IMG_0042.bmp");
        k.board.write(picture, "picture");
        if (!card)
            k.board.remove(kCardNode);
        k.openSystemEntry(entry);
        k.board.clearCommands();
        k.press(keycode::Up);
        k.press(keycode::Ok);
        QTEST((entry == 1 ? r->splash() : f->splash())->message(), "message");
        if (entry == 1) {
            // The first-boot flag, and "sync" after the writes.
            QCOMPARE(config::readString(config::System, QStringLiteral("language")), QStringLiteral("none"));
            QCOMPARE(k.board.commands().last(), QStringLiteral("sync"));
        } else {
            QCOMPARE(withoutBacklight(k.board.commands()), card ? maintenance::formatCommands() : QStringList());
            QCOMPARE(config::readInt(config::Image, QStringLiteral("image_count")), card ? 0 : 42);
            QCOMPARE(QDir(k.board.file(kCard)).isEmpty(), card);
            if (!card)
                return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(entry == 1 ? r->factoryResetDone : f->formatSdcardDone, 9000);
        QCOMPARE(entry == 1 ? r->focusWidget() : f->focusWidget(), no);
        k.board.write(picture, "picture");
        k.press(keycode::Back);
        (entry == 1 ? r->radioButton : f->radioButton)->setChecked(true);
        k.press(keycode::Ok);
        QVERIFY(no->isChecked());
        k.press(keycode::Ok);
        QVERIFY(QFileInfo::exists(k.board.file(picture)));
        QCOMPARE(fanOut.count(), entry == 1 ? 1 : 0);
    }

    void upgrade_data()
    {
        QTest::addColumn<bool>("app");            // "App", else "System"
        QTest::addColumn<QStringList>("files");   // on the card; "*": executable, "/...": on the board
        QTest::addColumn<QString>("result");      // the page's first line
        QTest::addColumn<QStringList>("commands");
        const QStringList script{"/media/mmcblk0p1/Upgrade/upgrade.sh"}, syncs(4, "sync");
        QStringList backup;
        for (const QString &f : maintenance::backupFiles())
            backup << QStringLiteral("cp %1 /media/mmcblk0p1/SystemBackup/").arg(f);
        backup << syncs.mid(1);
        const QStringList unlock{"echo 0 > /sys/block/mmcblk1boot0/force_ro"};
        const QStringList erase =
            unlock + QStringList{"dd if=/dev/zero of=/dev/mmcblk1boot0 bs=512 seek=2"} + syncs + syncs.mid(2);
        const QStringList logos{"system/logo-7.bmp", "bin/logo-7.bmp"}, app{"Upgrade/norvik7", "Upgrade/upgrade.sh*"};
        const QString notFound = "Found application failed!", failed = "Upgrade failed!", noBackup = "Backup failed!";
        QTest::newRow("norvik7") << true << app << "Upgrade ok." << script + syncs;
        QTest::newRow("no card") << true << app + QStringList{"no card"} << notFound << QStringList{};
        QTest::newRow("no script") << true << app.mid(0, 1) << failed << script;
        QTest::newRow("script not executable") << true << QStringList{app[0], "Upgrade/upgrade.sh"} << failed << script;
        QTest::newRow("both logos") << false << logos << "Erase ok.Don't remove SD." << backup + erase;
        QTest::newRow("only system/") << false << logos.mid(0, 1) << "Found system files failed!" << QStringList{};
        QTest::newRow("backup cannot be written") << false << logos + QStringList{"SystemBackup"} << noBackup << backup;
        QTest::newRow("a copy cannot replace")
            << false << logos + QStringList{"SystemBackup/ImageConfig.ini/old"} << noBackup << backup;
        QTest::newRow("boot area stays read-only")
            << false << logos + QStringList{"/sys/block/mmcblk1boot0/force_ro/x"} << "Erase failed!" << backup + unlock;
    }

    void upgrade()
    {
        QFETCH(bool, app);
        QFETCH(QStringList, files);
        QFETCH(QString, result);
        LiveDevice k({}, true);
        config::write(config::System, QStringLiteral("nuc_set"), QStringLiteral("Yes"));
        config::write(config::CalTemp, QStringLiteral("cal1"), 1.5);
        config::write(config::Image, QStringLiteral("image_count"), 7);
        // The palette menu writes its key on its first tick after start: the copies
        // are compared with the files as they stand once that has happened.
        QTRY_VERIFY(k.board.read(QStringLiteral("/root/Norvik7_config.ini")).contains("color="));
        for (const QString &f : files) {   // "SystemBackup" alone: a file in the folder's place
            const QString path = QString(f.startsWith(QLatin1Char('/')) ? f : kCard + "/" + f).remove('*');
            f == QLatin1String("no card") ? k.board.remove(kCardNode) : k.board.write(path, "x");
            if (f.endsWith(QLatin1Char('*')))
                QFile::setPermissions(k.board.file(path), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        }
        UpgradeSubMenu *m = k.w->upgradeSubMenu;
        k.w->upgradeButton->click();
        if (!app)
            m->pushButton_2->setFocus();
        k.board.clearCommands();
        k.press(keycode::Ok);
        QTEST(withoutBacklight(k.board.commands()), "commands");
        QCOMPARE(m->firstLineLabel->text(), result);
        QCOMPARE(config::readString(config::System, "nuc_set"), app && result == "Upgrade ok." ? "No" : "Yes");
        if (result.endsWith(QLatin1String("failed!"))) {
            // The user may try again, or leave by BACK.
            QVERIFY(m->pushButton->isVisible() && m->pushButton_2->isVisible());
            k.press(keycode::Back);
            QVERIFY(!m->isVisible());
            return;
        }
        QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please power off, reboot."));
        QVERIFY(m->pushButton->isHidden() && m->pushButton_2->isHidden());
        for (const QString &f : maintenance::backupFiles())
            QVERIFY(app || k.board.read(kCard + "/SystemBackup/" + f) == k.board.read("/root/" + f));
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
