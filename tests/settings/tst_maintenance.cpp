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
    void backupCopies_data();
    void backupCopies();

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

// ---- plain rules ------------------------------------------------------------------------------------

void TestMaintenance::sizes_data()
{
    QTest::addColumn<qulonglong>("mb");
    QTest::addColumn<QString>("text");
    QTest::newRow("no card") << 0ull << "0MB";
    QTest::newRow("1023 MB") << 1023ull << "1023MB";
    QTest::newRow("exactly 1024 MB") << 1024ull << "1.00GB";
    QTest::newRow("1.5 GB") << 1536ull << "1.50GB";
    QTest::newRow("a 16 GB card") << 15197ull << "14.84GB";
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

void TestMaintenance::serialNames()
{
    QFETCH(QString, file);
    QFETCH(QString, serial);
    QFETCH(bool, plausible);
    QCOMPARE(serialnumber::fromFileName(file), serial);
    QCOMPARE(serialnumber::isPlausible(serial), plausible);
}

// A backup copy counts only when its bytes are those of its source.
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
        const QString target = QStringLiteral("/media/mmcblk0p1/SystemBackup/") + f;
        if (f != QLatin1String("sn_config.ini"))
            board.write(target, board.read(QStringLiteral("/root/") + f));
        else if (!copy.isEmpty())
            board.write(target, copy);
    }
    QCOMPARE(maintenance::failedBackups(), failed);
}

// ---- device information ------------------------------------------------------------------------------

void TestMaintenance::deviceInformation_data()
{
    QTest::addColumn<bool>("card");
    QTest::addColumn<int>("freeMb");
    QTest::addColumn<QString>("capacity");
    QTest::addColumn<QString>("free");
    QTest::addColumn<int>("small");   // -1: not reported
    QTest::newRow("2 MB free: room for a capture") << true << 2 << "14.84GB" << QString("2MB") << 0;
    QTest::newRow("1 MB free") << true << 1 << "14.84GB" << QString("1MB") << 1;
    QTest::newRow("no card") << false << 15000 << "0MB" << QString("0MB") << -1;
}

void TestMaintenance::deviceInformation()
{
    QFETCH(bool, card);
    QFETCH(int, freeMb);
    QFETCH(QString, capacity);
    QFETCH(QString, free);
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
    QVERIFY(m->isVisible());
    QCOMPARE((QStringList{m->versionLabel->text(), m->capacityLabel->text(), m->freeLabel->text()}),
             (QStringList{"V2.0.22", capacity, free}));
    QCOMPARE(present.count(), 1);
    QCOMPARE(present.last().at(0).toBool(), card);
    QCOMPARE(k.w->sdcardStatus, card);
    QCOMPARE(full.count(), small < 0 ? 0 : 1);
    if (small >= 0)
        QCOMPARE(full.last().at(0).toBool(), bool(small));
    if (small != 0)
        saveScreenshot(card ? QStringLiteral("DeviceInformationSubMenu_card")
                            : QStringLiteral("DeviceInformationSubMenu_no_card"),
                       {m});
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
    QTest::newRow("a serial taken and its file removed")
        << QStringList{"NV7-0001.zarnsn"} << "" << QString("NV7-0001") << QStringList{};
    QTest::newRow("replaces an older serial")
        << QStringList{"NV7-0002.zarnsn"} << "NV7-0001" << QString("NV7-0002") << QStringList{};
    QTest::newRow("an implausible name is left in place") << QStringList{"not a serial!.zarnsn"} << "NV7-0001"
                                                          << QString("NV7-0001") << QStringList{"not a serial!.zarnsn"};
    QTest::newRow("upper-case suffix, as a FAT card may give it")
        << QStringList{"NV7-0003.ZARNSN"} << "" << QString("NV7-0003") << QStringList{};
    QTest::newRow("other files untouched") << QStringList{"IMG_0001.bmp", "NV7-0004.zarnsn.txt"} << "" << QString("")
                                           << QStringList{"IMG_0001.bmp", "NV7-0004.zarnsn.txt"};
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
    QCOMPARE(QDir(k.board.file(kCard)).entryList(QDir::Files, QDir::Name), left);
    // Taken once: later refreshes find nothing more to take.
    config::write(config::Sn, QStringLiteral("sn"), QStringLiteral("changed"));
    m->updateDeviceInformation();
    QCOMPARE(m->snLabel->text(), serial);
}

// ---- factory reset and card format: "No" on every opening, so a reopened screen and one OK do nothing ----

void TestMaintenance::factoryReset()
{
    LiveDevice k(LiveDevice::English);
    FactoryResetSetMenu *m = k.w->factoryResetSetMenu;
    QSignalSpy fanOut(m, &FactoryResetSetMenu::factoryResetForSystem);
    config::write(config::Main, QStringLiteral("temp_unit"), QStringLiteral("F"));
    config::write(config::Main, QStringLiteral("wifi_switch"), QStringLiteral("On"));
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
    const QStringList commands = k.board.commands();
    QCOMPARE(commands.value(commands.size() - 1), QStringLiteral("sync"));
    QVERIFY(commands.indexOf(QRegularExpression(QStringLiteral(".*brightness.*"))) < commands.size() - 1);
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
    QCOMPARE(m->focusWidget(), m->radioButton_2);
    k.press(keycode::Back);
    m->radioButton->setChecked(true);
    k.press(keycode::Ok);
    QVERIFY(m->isVisible());
    QVERIFY(m->radioButton_2->isChecked());
    k.press(keycode::Ok);
    QCOMPARE(fanOut.count(), 1);
}

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
    QCOMPARE(k.board.commands(), maintenance::formatCommands());
    QCOMPARE(k.board.commands().value(3), QStringLiteral("mkfs.vfat -F 32 /dev/mmcblk0p1"));
    QCOMPARE(QDir(k.board.file(kCard)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList());
    QCOMPARE(m->splash()->message(), QStringLiteral("Formatting..."));
    // Busy: "Yes" again does nothing.
    k.board.clearCommands();
    m->formatSdcardSetMenuUpdateRbtn1();
    QCOMPARE(k.board.commands(), QStringList());
    QTRY_VERIFY_WITH_TIMEOUT(!m->splash()->isVisible(), 7000);
    QTRY_VERIFY_WITH_TIMEOUT(m->formatSdcardDone, 1500);
    // Done, it stands on "No" again: one OK on the reopened screen wipes nothing.
    k.board.write(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"), "picture");
    k.press(keycode::Back);
    k.press(keycode::Ok);
    QVERIFY(m->isVisible());
    k.press(keycode::Ok);
    QVERIFY(QFileInfo::exists(k.board.file(kCard + QStringLiteral("/DCIM_100/IMG_0001.bmp"))));
}

// ---- upgrade ------------------------------------------------------------------------------------------

void TestMaintenance::upgrade_data()
{
    QTest::addColumn<bool>("app");            // "App", else "System"
    QTest::addColumn<QStringList>("files");   // on the card; "*": executable, "/...": on the board
    QTest::addColumn<QString>("result");      // the page's first line
    QTest::addColumn<QStringList>("commands");
    const QStringList script{"/media/mmcblk0p1/Upgrade/upgrade.sh"};
    QStringList backup;
    for (const char *f :
         {"CalTempConfig.ini", "ImageConfig.ini", "ImageCal_config.ini", "Norvik7_config.ini", "sn_config.ini"})
        backup << QStringLiteral("cp %1 /media/mmcblk0p1/SystemBackup/").arg(QLatin1String(f));
    backup << "sync" << QString("sync") << "sync";
    const QStringList unlock{"echo 0 > /sys/block/mmcblk1boot0/force_ro"};
    const QStringList erase = unlock +
        QStringList{
            "dd if=/dev/zero of=/dev/mmcblk1boot0 bs=512 seek=2", "sync", "sync", "sync", "sync", "sync", "sync"};
    const QStringList logos{"system/logo-7.bmp", "bin/logo-7.bmp"};
    const QString notFound = "Found application failed!", failed = "Upgrade failed!", ok = "Upgrade ok.";
    QTest::newRow("norvik7") << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh*"} << ok
                             << script + QStringList{"sync", "sync", "sync", "sync"};
    QTest::newRow("Velkar4_Thermal") << true << QStringList{"Upgrade/Velkar4_Thermal", "Upgrade/upgrade.sh*"} << ok
                                     << script + QStringList{"sync", "sync", "sync", "sync"};
    QTest::newRow("neither") << true << QStringList{"Upgrade/upgrade.sh*"} << notFound << QStringList{};
    QTest::newRow("no card") << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh*", "no card"} << notFound
                             << QStringList{};
    QTest::newRow("no script") << true << QStringList{"Upgrade/norvik7"} << failed << script;
    QTest::newRow("script not executable")
        << true << QStringList{"Upgrade/norvik7", "Upgrade/upgrade.sh"} << failed << script;
    QTest::newRow("both logos") << false << logos << "Erase ok.Don't remove SD." << backup + erase;
    QTest::newRow("only system/") << false << QStringList{"system/logo-7.bmp"} << "Found system files failed!"
                                  << QStringList{};
    QTest::newRow("only bin/") << false << QStringList{"bin/logo-7.bmp"} << "Found system files failed!"
                               << QStringList{};
    QTest::newRow("backup cannot be written")
        << false << logos + QStringList{"SystemBackup"} << "Backup failed!" << backup;
    QTest::newRow("a copy cannot replace what is there")
        << false << logos + QStringList{"SystemBackup/ImageConfig.ini/old"} << "Backup failed!" << backup;
    QTest::newRow("boot area stays read-only")
        << false << logos + QStringList{"/sys/block/mmcblk1boot0/force_ro/x"} << "Erase failed!" << backup + unlock;
}

void TestMaintenance::upgrade()
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
        if (f == QLatin1String("no card"))
            k.board.remove(kCardNode);
        else
            k.board.write(path, "x");
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
        QCOMPARE(config::readString(config::System, QStringLiteral("nuc_set")),
                 result == QLatin1String("Upgrade ok.") ? QStringLiteral("No") : QStringLiteral("Yes"));
    if (result.endsWith(QLatin1String("failed!"))) {
        // The user may try again.
        QVERIFY(m->pushButton->isVisible() && m->pushButton_2->isVisible());
        if (result.startsWith(QLatin1String("Found")))
            QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please check again!"));
        if (app && files.size() == 1)
            saveScreenshot(QStringLiteral("UpgradeSubMenu_app_failed"), {m});
        if (commands.isEmpty()) {   // nothing ran: BACK leaves the panel
            k.press(keycode::Back);
            QVERIFY(!m->isVisible());
        }
        return;
    }
    QCOMPARE(m->secondLineLabel->text(), QStringLiteral("Please power off, reboot."));
    QVERIFY(m->pushButton->isHidden() && m->pushButton_2->isHidden());
    saveScreenshot(app ? QStringLiteral("UpgradeSubMenu_app_done") : QStringLiteral("UpgradeSubMenu_system_done"), {m});
    for (const char *f : {"CalTempConfig.ini", "ImageConfig.ini", "Norvik7_config.ini", "sn_config.ini"})
        if (!app)
            QCOMPARE(k.board.read(kCard + QStringLiteral("/SystemBackup/") + QString::fromLatin1(f)),
                     k.board.read(QStringLiteral("/root/") + QString::fromLatin1(f)));
    // Once done, nothing runs again; the result stays until power-off.
    k.board.clearCommands();
    k.press(keycode::Ok);
    m->upgradeApplication();
    m->upgradeSystem();
    QCOMPARE(withoutBacklight(k.board.commands()), QStringList());
    k.press(keycode::Back);
    QVERIFY(m->isVisible());
}

QTEST_MAIN(TestMaintenance)
#include "tst_maintenance.moc"
