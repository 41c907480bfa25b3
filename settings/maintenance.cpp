#include "settings/maintenance.h"

#include "board/board.h"
#include "core/config.h"

namespace maintenance {

int resetSplashMs(bool highGain) { return highGain ? 3000 : 6000; }

QStringList formatCommands()
{
    return {QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("umount /media/mmcblk0p1"),
            QStringLiteral("mkfs.vfat -F 32 /dev/mmcblk0p1"),
            QStringLiteral("mount -o rw /dev/mmcblk0p1 /media/mmcblk0p1"),
            QStringLiteral("sync"),
            QStringLiteral("sync")};
}

bool applicationFound()
{
    return board::cardPresent() &&
        (board::exists(QStringLiteral("/media/mmcblk0p1/Upgrade/norvik7")) ||
         board::exists(QStringLiteral("/media/mmcblk0p1/Upgrade/Velkar4_Thermal")));
}

bool systemFilesFound()
{
    return board::cardPresent() && board::exists(QStringLiteral("/media/mmcblk0p1/system/logo-7.bmp")) &&
        board::exists(QStringLiteral("/media/mmcblk0p1/bin/logo-7.bmp"));
}

QStringList backupFiles()
{
    return {QStringLiteral("CalTempConfig.ini"), QStringLiteral("ImageConfig.ini"),
            QStringLiteral("ImageCal_config.ini"), QStringLiteral("Norvik7_config.ini"),
            QStringLiteral("sn_config.ini")};
}

QStringList backupCommands()
{
    QStringList commands;
    for (const QString &file : backupFiles())
        commands << QStringLiteral("cp %1 %2/").arg(file, QString::fromLatin1(kBackupFolder));
    return commands;
}

QStringList failedBackups()
{
    QStringList failed;
    for (const QString &file : backupFiles()) {
        bool sourceRead = false;
        const QByteArray source = board::readFile(QStringLiteral("/root/") + file, &sourceRead);
        if (!sourceRead)
            continue;   // nothing there to back up
        bool copyRead = false;
        const QByteArray copy =
            board::readFile(QString::fromLatin1(kBackupFolder) + QLatin1Char('/') + file, &copyRead);
        if (!copyRead || copy != source)
            failed << file;
    }
    return failed;
}

QStringList eraseBootCommands()
{
    return {QStringLiteral("echo 0 > /sys/block/mmcblk1boot0/force_ro"),
            QStringLiteral("dd if=/dev/zero of=/dev/mmcblk1boot0 bs=512 seek=2")};
}

void writeFactoryValues()
{
    for (const config::Factory &f : config::factoryValues())
        config::write(config::Main, QString::fromLatin1(f.key), QString::fromLatin1(f.text));
    config::write(config::System, QStringLiteral("language"), QStringLiteral("none"));
    config::write(config::System, QStringLiteral("nuc_set"), QStringLiteral("No"));
    board::run(QStringLiteral("sync"));
}

}   // namespace maintenance
