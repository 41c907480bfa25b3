// Device information, factory reset, card format and upgrade, driven by keys
// on a simulated board: what the screens show, what is stored, and the board
// commands in their order.
#include "core/config.h"
#include "core/keystate.h"
#include "board/board.h"
#include "settings/menus/deviceinformationsubmenu.h"
#include "settings/menus/factoryresetsetmenu.h"
#include "settings/menus/formatsdcardsetmenu.h"
#include "settings/menus/progresssplash.h"
#include "settings/menus/upgradesubmenu.h"
#include "settings/maintenance.h"
#include "settings/serialnumber.h"
#include "settings/sizetext.h"
#include "common/livedevice.h"

#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QSplashScreen>
#include <QtTest>

namespace {
const QString kCardNode = QStringLiteral("/dev/mmcblk0p1");
const QString kCard = QStringLiteral("/media/mmcblk0p1");

QStringList withoutBacklight(const QStringList &commands)
{
    QStringList out;
    for (const QString &c : commands)
        if (!c.contains(QLatin1String("brightness")))
            out << c;
    return out;
}
}   // namespace

class TestMaintenance : public QObject {
    Q_OBJECT
private slots:
    void sizes_data();
    void sizes();
    void serialNames_data();
    void serialNames();

    void deviceInformation_data();
    void deviceInformation();
    void serialFromTheCard_data();
    void serialFromTheCard();

    void factoryReset();
    void format_data();
    void format();

    void applicationUpgrade_data();
    void applicationUpgrade();
    void systemUpgrade_data();
    void systemUpgrade();
    void backupCopies_data();
    void backupCopies();
};

// ---- plain rules ------------------------------------------------------------------------------------

void TestMaintenance::sizes_data()
{
    QTest::addColumn<qulonglong>("mb");
    QTest::addColumn<QString>("text");
    QTest::newRow("no card") << 0ull << "0MB";
    QTest::newRow("1 MB") << 1ull << "1MB";
    QTest::newRow("1023 MB") << 1023ull << "1023MB";
    QTest::newRow("exactly 1024 MB") << 1024ull << "1.00GB";
    QTest::newRow("1025 MB") << 1025ull << "1.00GB";
    QTest::newRow("1.5 GB") << 1536ull << "1.50GB";
    QTest::newRow("a 16 GB card") << 15197ull << "14.84GB";
    QTest::newRow("2 TB") << 2097152ull << "2048.00GB";
}

void TestMaintenance::sizes()
{
    QFETCH(qulonglong, mb);
    QFETCH(QString, text);
    QCOMPARE(deviceinfo::sizeText(mb), text);
}

void TestMaintenance::serialNames_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("serial");
    QTest::addColumn<bool>("plausible");
    QTest::newRow("letters digits dash underscore") << "NV7-2026_0001.zarnsn"
                                                    << "NV7-2026_0001" << true;
    QTest::newRow("name up to the first dot") << "A1.B2.zarnsn"
                                              << "A1" << true;
    QTest::newRow("32 characters") << QString(32, QLatin1Char('7')) + ".zarnsn" << QString(32, QLatin1Char('7'))
                                   << true;
    QTest::newRow("33 characters") << QString(33, QLatin1Char('7')) + ".zarnsn" << QString(33, QLatin1Char('7'))
                                   << false;
    QTest::newRow("a blank") << "NV7 01.zarnsn"
                             << "NV7 01" << false;
    QTest::newRow("nothing before the dot") << ".zarnsn"
                                            << "" << false;
    QTest::newRow("a line break") << "NV7\n01.zarnsn"
                                  << "NV7\n01" << false;
    QTest::newRow("not ASCII") << QString::fromUtf8("序列号.zarnsn") << QString::fromUtf8("序列号") << false;
}

void TestMaintenance::serialNames()
{
    QFETCH(QString, file);
    QFETCH(QString, serial);
    QFETCH(bool, plausible);
    QCOMPARE(serialnumber::fromFileName(file), serial);
    QCOMPARE(serialnumber::isPlausible(serial), plausible);
}

// ---- device information ------------------------------------------------------------------------------

void TestMaintenance::deviceInformation_data()
{
    QTest::addColumn<bool>("card");
    QTest::addColumn<int>("totalMb");
    QTest::addColumn<int>("freeMb");
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<QString>("free");
    QTest::addColumn<int>("small");   // -1: not reported
    QTest::newRow("16 GB card, mostly free") << true << 15197 << 15000 << "14.84GB"
                                             << "14.65GB" << 0;
    QTest::newRow("2 MB free: room for a capture") << true << 15197 << 2 << "14.84GB"
                                                   << "2MB" << 0;
    QTest::newRow("1 MB free") << true << 15197 << 1 << "14.84GB"
                               << "1MB" << 1;
    QTest::newRow("no card") << false << 15197 << 15000 << "0MB"
                             << "0MB" << -1;
}

void TestMaintenance::deviceInformation()
{
    QFETCH(bool, card);
    QFETCH(int, totalMb);
    QFETCH(int, freeMb);
    QFETCH(QString, capacity);
    QFETCH(QString, free);
    QFETCH(int, small);
    LiveDevice k(LiveDevice::English);
    k.board.write(QStringLiteral("/sim/sd_total_mb"), QByteArray::number(totalMb));
    k.board.write(QStringLiteral("/sim/sd_free_mb"), QByteArray::number(freeMb));
    if (!card)
        k.board.remove(kCardNode);
    DeviceInformationSubMenu *m = k.w->deviceInformationSubMenu;
    QSignalSpy present(m, &DeviceInformationSubMenu::updateSdcardStatus);
    QSignalSpy full(m, &DeviceInformationSubMenu::availableDiskIsSmall);
    k.openSystemEntry(0);
    QVERIFY(m->isVisible());
    QCOMPARE(m->versionLabel->text(), QStringLiteral("V2.0.22"));
    QCOMPARE(m->capacityLabel->text(), capacity);
    QCOMPARE(m->freeLabel->text(), free);
    QCOMPARE(present.count(), 1);
    QCOMPARE(present.last().at(0).toBool(), card);
    QCOMPARE(k.w->sdcardStatus, card);
    if (small < 0) {
        QCOMPARE(full.count(), 0);
    } else {
        QCOMPARE(full.count(), 1);
        QCOMPARE(full.last().at(0).toBool(), bool(small));
    }
    if (totalMb == 15197 && freeMb == 1)
        saveScreenshot(QStringLiteral("DeviceInformationSubMenu_card"), {m});
    if (!card)
        saveScreenshot(QStringLiteral("DeviceInformationSubMenu_no_card"), {m});

    // Hidden, the page reports nothing.
    k.press(keycode::Back);
    QVERIFY(m->isHidden());
    m->updateDeviceInformation();
    QCOMPARE(present.count(), 1);
}

void TestMaintenance::serialFromTheCard_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("stored");     // before
    QTest::addColumn<QString>("serial");     // after
    QTest::addColumn<QStringList>("left");   // files still on the card
    QTest::newRow("a serial taken and its file removed") << QStringList{"NV7-0001.zarnsn"} << ""
                                                         << "NV7-0001" << QStringList{};
    QTest::newRow("the same serial: file removed") << QStringList{"NV7-0001.zarnsn"} << "NV7-0001"
                                                   << "NV7-0001" << QStringList{};
    QTest::newRow("replaces an older serial") << QStringList{"NV7-0002.zarnsn"} << "NV7-0001"
                                              << "NV7-0002" << QStringList{};
    QTest::newRow("an implausible name is left in place") << QStringList{"not a serial!.zarnsn"} << "NV7-0001"
                                                          << "NV7-0001" << QStringList{"not a serial!.zarnsn"};
    QTest::newRow("upper-case suffix, as a FAT card may give it") << QStringList{"NV7-0003.ZARNSN"} << ""
                                                                  << "NV7-0003" << QStringList{};
    QTest::newRow("other files untouched") << QStringList{"IMG_0001.bmp", "NV7-0004.zarnsn.txt"} << ""
                                           << "" << QStringList{"IMG_0001.bmp", "NV7-0004.zarnsn.txt"};
}

void TestMaintenance::serialFromTheCard()
{
    QFETCH(QStringList, files);
    QFETCH(QString, stored);
    QFETCH(QString, serial);
    QFETCH(QStringList, left);
    LiveDevice k(LiveDevice::Later);
    if (!stored.isEmpty())
        config::write(config::Sn, QStringLiteral("sn"), stored);
    k.start();
    DeviceInformationSubMenu *m = k.w->deviceInformationSubMenu;
    QCOMPARE(m->snLabel->text(), stored);
    for (const QString &f : files)
        k.board.write(kCard + QLatin1Char('/') + f, "x");
    k.openSystemEntry(0);
    QCOMPARE(m->snLabel->text(), serial);
    QCOMPARE(config::readString(config::Sn, QStringLiteral("sn")), serial);
    QStringList onCard = QDir(k.board.file(kCard)).entryList(QDir::Files, QDir::Name);
    left.sort();
    QCOMPARE(onCard, left);
    // Taken once: later refreshes find nothing more to take.
    config::write(config::Sn, QStringLiteral("sn"), QStringLiteral("changed"));
    m->updateDeviceInformation();
    QCOMPARE(m->snLabel->text(), serial);
}

// ---- factory reset --------------------------------------------------------------------------------

void TestMaintenance::factoryReset()
{
    LiveDevice k(LiveDevice::English);
    FactoryResetSetMenu *m = k.w->factoryResetSetMenu;
    QSignalSpy fanOut(m, &FactoryResetSetMenu::factoryResetForSystem);
    // Settings a person changed.
    for (const auto &kv : {std::pair{"display_intensity", "High"},
                           {"auto_power_off", "Off"},
                           {"temp_unit", "F"},
                           {"emissivity", "0.50"},
                           {"wifi_switch", "On"}})
        config::write(config::Main, QString::fromLatin1(kv.first), QString::fromLatin1(kv.second));
    config::write(config::System, QStringLiteral("language"), QStringLiteral("English"));

    k.openSystemEntry(1);
    QVERIFY(m->isVisible());
    // It opens on "No"; UP reaches "Yes" and OK chooses it.
    QCOMPARE(m->focusWidget(), m->radioButton_2);
    k.board.clearCommands();
    k.press(keycode::Up);
    QCOMPARE(m->focusWidget(), m->radioButton);
    k.press(keycode::Ok);
    QCOMPARE(fanOut.count(), 1);
    QVERIFY(!m->factoryResetDone);

    // Every factory value, written after the fan-out, and the first-boot flag.
    for (const config::Factory &f : config::factoryValues())
        QCOMPARE(config::readString(config::Main, QString::fromLatin1(f.key)), QString::fromLatin1(f.text));
    QCOMPARE(config::readString(config::System, QStringLiteral("language")), QStringLiteral("none"));
    QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")), QStringLiteral("No"));
    // The fan-out's own commands come first, "sync" after the writes.
    const QStringList commands = k.board.commands();
    QVERIFY(!commands.isEmpty());
    QCOMPARE(commands.last(), QStringLiteral("sync"));
    QVERIFY(commands.indexOf(QRegularExpression(QStringLiteral(".*brightness.*"))) <
            commands.lastIndexOf(QStringLiteral("sync")));

    QVERIFY(m->splash()->isVisible());
    QCOMPARE(m->splash()->message(), FactoryResetSetMenu::tr("Resetting..."));
    saveScreenshot(QStringLiteral("FactoryResetSetMenu_resetting"),
                   {m, m->splash()->pictureSplash(), m->splash()->messageSplash()});

    // "Yes" again, or any key, while it runs does nothing.
    m->factoryResetSetMenuUpdateRbtn1();
    k.press(keycode::Ok);
    k.press(keycode::Back);
    QCOMPARE(fanOut.count(), 1);
    QVERIFY(m->isVisible());

    // High gain: the splash goes after 3 s, the keys come back 0.5 s later.
    QTRY_VERIFY_WITH_TIMEOUT(!m->splash()->isVisible(), 4000);
    QVERIFY(!m->factoryResetDone);
    QTRY_VERIFY_WITH_TIMEOUT(m->factoryResetDone, 1500);
    // Done, it stands on "No" again, and so it reopens: OK does nothing.
    QVERIFY(m->radioButton_2->isChecked());
    QCOMPARE(m->focusWidget(), m->radioButton_2);
    k.press(keycode::Back);
    QVERIFY(m->isHidden());
    m->radioButton->setChecked(true);
    k.press(keycode::Ok);
    QVERIFY(m->isVisible());
    k.press(keycode::Ok);
    QCOMPARE(fanOut.count(), 1);
}

// ---- card format ------------------------------------------------------------------------------------

void TestMaintenance::format_data()
{
    QTest::addColumn<bool>("card");
    QTest::newRow("with a card") << true;
    QTest::newRow("without a card") << false;
}

void TestMaintenance::format()
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
    QCOMPARE(m->formatSdcardDone, !card);
    QCOMPARE(config::readInt(config::Image, QStringLiteral("image_count")), card ? 0 : 42);
    saveScreenshot(card ? QStringLiteral("FormatSdcardSetMenu_formatting")
                        : QStringLiteral("FormatSdcardSetMenu_no_card"),
                   {m, m->splash()->pictureSplash(), m->splash()->messageSplash()});
    if (!card) {
        QCOMPARE(withoutBacklight(k.board.commands()), QStringList());
        QCOMPARE(m->splash()->message(), QStringLiteral("No SD card!"));
        QCOMPARE(m->focusWidget(), m->radioButton_2);
        QTRY_VERIFY_WITH_TIMEOUT(!m->splash()->isVisible(), 3000);
        return;
    }
    QCOMPARE(k.board.commands(),
             (QStringList{"sync", "sync", "umount /media/mmcblk0p1", "mkfs.vfat -F 32 /dev/mmcblk0p1",
                          "mount -o rw /dev/mmcblk0p1 /media/mmcblk0p1", "sync", "sync"}));
    QCOMPARE(config::readString(config::Main, QStringLiteral("format_sdcard")), QStringLiteral("No"));
    QCOMPARE(QDir(k.board.file(kCard)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(m->splash()->message(), QStringLiteral("Formatting..."));
    // Busy: "Yes" again does nothing.
    k.board.clearCommands();
    m->formatSdcardSetMenuUpdateRbtn1();
    QCOMPARE(k.board.commands(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(!m->splash()->isVisible(), 7000);
    QTRY_VERIFY_WITH_TIMEOUT(m->formatSdcardDone, 1500);
    // Done, it stands on "No" again: one OK on the reopened screen wipes nothing.
    QCOMPARE(m->focusWidget(), m->radioButton_2);
    k.board.write(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"), "picture");
    k.press(keycode::Back);
    k.press(keycode::Ok);
    QVERIFY(m->isVisible());
    QVERIFY(m->radioButton_2->isChecked());
    k.press(keycode::Ok);
    QVERIFY(QFileInfo::exists(k.board.file(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"))));
}

// ---- upgrade ------------------------------------------------------------------------------------------

void TestMaintenance::applicationUpgrade_data()
{
    QTest::addColumn<QStringList>("files");   // "*": executable
    QTest::addColumn<bool>("card");
    QTest::addColumn<QString>("outcome");   // not found, failed, done
    QTest::newRow("norvik7") << QStringList{"norvik7", "upgrade.sh*"} << true << "done";
    QTest::newRow("Velkar4_Thermal") << QStringList{"Velkar4_Thermal", "upgrade.sh*"} << true << "done";
    QTest::newRow("both") << QStringList{"norvik7", "Velkar4_Thermal", "upgrade.sh*"} << true << "done";
    QTest::newRow("neither") << QStringList{"upgrade.sh*"} << true << "not found";
    QTest::newRow("no card") << QStringList{"norvik7", "upgrade.sh*"} << false << "not found";
    QTest::newRow("no script") << QStringList{"norvik7"} << true << "failed";
    QTest::newRow("script not executable") << QStringList{"norvik7", "upgrade.sh"} << true << "failed";
}

void TestMaintenance::applicationUpgrade()
{
    QFETCH(QStringList, files);
    QFETCH(bool, card);
    QFETCH(QString, outcome);
    LiveDevice k(LiveDevice::English);
    config::write(config::System, QStringLiteral("nuc_set"), QStringLiteral("Yes"));
    for (QString f : files) {
        const bool executable = f.endsWith(QLatin1Char('*'));
        f.remove(QLatin1Char('*'));
        k.board.write(kCard + QStringLiteral("/Upgrade/") + f, "x");
        if (executable)
            QFile::setPermissions(k.board.file(kCard + QStringLiteral("/Upgrade/") + f),
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    if (!card)
        k.board.remove(kCardNode);
    UpgradeSubMenu *m = k.w->upgradeSubMenu;
    k.w->upgradeButton->click();
    QVERIFY(m->isVisible());
    k.board.clearCommands();
    k.press(keycode::Ok);   // "App" has the focus
    if (outcome == QLatin1String("failed")) {
        QCOMPARE(withoutBacklight(k.board.commands()), QStringList{"/media/mmcblk0p1/Upgrade/upgrade.sh"});
        QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Upgrade failed!"));
        QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please check again!"));
        QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")), QStringLiteral("Yes"));
        QVERIFY(m->pushButton->isVisible());
        if (files.size() == 1)
            saveScreenshot(QStringLiteral("UpgradeSubMenu_app_failed"), {m});
        return;
    }
    if (outcome == QLatin1String("not found")) {
        QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Found application failed!"));
        QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please check again!"));
        QCOMPARE(withoutBacklight(k.board.commands()), QStringList());
        QVERIFY(m->pushButton->isVisible());
        if (card)
            saveScreenshot(QStringLiteral("UpgradeSubMenu_app_missing"), {m});
        return;
    }
    QCOMPARE(withoutBacklight(k.board.commands()),
             (QStringList{"/media/mmcblk0p1/Upgrade/upgrade.sh", "sync", "sync", "sync", "sync"}));
    QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")), QStringLiteral("No"));
    QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Upgrade ok."));
    QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please power off, reboot."));
    QVERIFY(m->pushButton->isHidden());
    QVERIFY(m->pushButton_2->isHidden());
    if (files.size() == 1 && files[0] == QLatin1String("norvik7"))
        saveScreenshot(QStringLiteral("UpgradeSubMenu_app_done"), {m});
    // Once done, nothing runs again.
    k.board.clearCommands();
    k.press(keycode::Ok);
    m->upgradeApplication();
    m->upgradeSystem();
    QCOMPARE(withoutBacklight(k.board.commands()), QStringList());
}

void TestMaintenance::systemUpgrade_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("outcome");   // failed, backup, erased
    QTest::newRow("both logos") << QStringList{"system/logo-7.bmp", "bin/logo-7.bmp"} << "erased";
    QTest::newRow("backup folder already there")
        << QStringList{"system/logo-7.bmp", "bin/logo-7.bmp", "SystemBackup/old.ini"} << "erased";
    QTest::newRow("only system/") << QStringList{"system/logo-7.bmp"} << "failed";
    QTest::newRow("only bin/") << QStringList{"bin/logo-7.bmp"} << "failed";
    QTest::newRow("neither") << QStringList{} << "failed";
    QTest::newRow("backup cannot be written")
        << QStringList{"system/logo-7.bmp", "bin/logo-7.bmp", "SystemBackup"} << "backup";
    QTest::newRow("a copy cannot replace what is there")
        << QStringList{"system/logo-7.bmp", "bin/logo-7.bmp", "SystemBackup/ImageConfig.ini/old"} << "backup";
    QTest::newRow("boot area stays read-only")
        << QStringList{"system/logo-7.bmp", "bin/logo-7.bmp", "/sys/block/mmcblk1boot0/force_ro/x"} << "erase failed";
}

void TestMaintenance::systemUpgrade()
{
    QFETCH(QStringList, files);
    QFETCH(QString, outcome);
    LiveDevice k(LiveDevice::English);
    // The configuration files there are to back up.
    config::write(config::Sn, QStringLiteral("sn"), QStringLiteral("NV7-0001"));
    config::write(config::CalTemp, QStringLiteral("cal1"), 1.5);
    config::write(config::Image, QStringLiteral("image_count"), 7);
    // The palette menu writes its key on its first tick after start: the copies
    // are compared with the files as they stand once that has happened.
    QTRY_VERIFY(k.board.read(QStringLiteral("/root/Norvik7_config.ini")).contains("color="));
    for (const QString &f : files)   // "SystemBackup" alone: a file in the folder's place
        k.board.write(f.startsWith(QLatin1Char('/')) ? f : kCard + QLatin1Char('/') + f, "x");
    UpgradeSubMenu *m = k.w->upgradeSubMenu;
    k.w->upgradeButton->click();
    m->pushButton_2->setFocus();
    k.board.clearCommands();
    k.press(keycode::Ok);

    const QStringList commands = withoutBacklight(k.board.commands());
    if (outcome == QLatin1String("failed")) {
        QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Found system files failed!"));
        QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please check again!"));
        QCOMPARE(commands, QStringList());
        QVERIFY(!QFileInfo::exists(k.board.file(kCard + QStringLiteral("/SystemBackup"))));
        k.press(keycode::Back);   // nothing ran: back to the live view
        QVERIFY(!m->isVisible());
        return;
    }
    QStringList backup;
    for (const char *f :
         {"CalTempConfig.ini", "ImageConfig.ini", "ImageCal_config.ini", "Norvik7_config.ini", "sn_config.ini"})
        backup << QStringLiteral("cp %1 /media/mmcblk0p1/SystemBackup/").arg(QLatin1String(f));
    backup << "sync"
           << "sync"
           << "sync";
    if (outcome == QLatin1String("backup")) {
        QCOMPARE(commands, backup);
        QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Backup failed!"));
        QVERIFY(m->pushButton->isVisible());
        return;
    }
    if (outcome == QLatin1String("erase failed")) {
        QCOMPARE(commands, backup + QStringList{"echo 0 > /sys/block/mmcblk1boot0/force_ro"});
        QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Erase failed!"));
        QVERIFY(m->pushButton_2->isVisible());
        return;
    }
    const QStringList erase{"echo 0 > /sys/block/mmcblk1boot0/force_ro",
                            "dd if=/dev/zero of=/dev/mmcblk1boot0 bs=512 seek=2",
                            "sync",
                            "sync",
                            "sync",
                            "sync",
                            "sync",
                            "sync"};
    QCOMPARE(commands, backup + erase);
    for (const char *f : {"CalTempConfig.ini", "ImageConfig.ini", "Norvik7_config.ini", "sn_config.ini"})
        QCOMPARE(k.board.read(kCard + QStringLiteral("/SystemBackup/") + QString::fromLatin1(f)),
                 k.board.read(QStringLiteral("/root/") + QString::fromLatin1(f)));
    QCOMPARE(m->firstLineLabel->text(), QStringLiteral("Erase ok.Don't remove SD."));
    QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please power off, reboot."));
    QVERIFY(m->pushButton->isHidden());
    QVERIFY(m->pushButton_2->isHidden());
    if (files.size() == 2)
        saveScreenshot(QStringLiteral("UpgradeSubMenu_system_done"), {m});
    k.press(keycode::Back);   // the result stays until power-off
    QVERIFY(m->isVisible());
}

void TestMaintenance::backupCopies_data()
{
    QTest::addColumn<QByteArray>("copy");   // of sn_config.ini; empty: none
    QTest::addColumn<QStringList>("failed");
    QTest::newRow("whole") << QByteArray("sn=NV7-0001\n") << QStringList{};
    QTest::newRow("missing") << QByteArray() << QStringList{"sn_config.ini"};
    QTest::newRow("short") << QByteArray("sn=NV7-00") << QStringList{"sn_config.ini"};
    QTest::newRow("stale, same size") << QByteArray("sn=NV7-0000\n") << QStringList{"sn_config.ini"};
    QTest::newRow("longer") << QByteArray("sn=NV7-0001\nx") << QStringList{"sn_config.ini"};
}

void TestMaintenance::backupCopies()
{
    QFETCH(QByteArray, copy);
    QFETCH(QStringList, failed);
    TestBoard board;
    board.write(QStringLiteral("/root/sn_config.ini"), "sn=NV7-0001\n");
    for (const QString &f : maintenance::backupFiles()) {
        const QString source = QStringLiteral("/root/") + f;
        const QString target = QStringLiteral("/media/mmcblk0p1/SystemBackup/") + f;
        if (f != QLatin1String("sn_config.ini"))
            board.write(target, board.read(source));
        else if (!copy.isEmpty())
            board.write(target, copy);
    }
    QCOMPARE(maintenance::failedBackups(), failed);
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
