#include "app/boardcommands.h"

#include "board/board.h"

#include <QFileInfo>

namespace boardcommands {

namespace {
const char *const kBacklightOff = "echo 0 > /sys/devices/soc0/backlight.11/backlight/backlight.11/brightness";
const char *const kSaveMain = "cp /root/Norvik7_config.ini /etc/Norvik7_config.ini";
}   // namespace

QStringList configurationRestore(bool backupFolderPresent)
{
    if (backupFolderPresent) {
        return {
            QStringLiteral("cp /media/mmcblk0p1/SystemBackup/CalTempConfig.ini /root/CalTempConfig.ini"),
            QStringLiteral("cp /media/mmcblk0p1/SystemBackup/ImageConfig.ini /root/ImageConfig.ini"),
            QStringLiteral("cp /media/mmcblk0p1/SystemBackup/ImageCal_config.ini /root/ImageCal_config.ini"),
            QStringLiteral("cp /media/mmcblk0p1/SystemBackup/Norvik7_config.ini /root/Norvik7_config.ini"),
            QStringLiteral("cp /media/mmcblk0p1/SystemBackup/sn_config.ini /root/sn_config.ini"),
            QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("rm -rf /media/mmcblk0p1/SystemBackup"),
        };
    }
    return {
        QStringLiteral("cp /etc/Norvik7_config.ini /root/Norvik7_config.ini"),
        QStringLiteral("cp /root/CalTempConfig.ini /media/mmcblk0p1/Upgrade/CalTempConfig.ini"),
        QStringLiteral("sync"),
    };
}

bool backupFolderPresent()
{
    // The card is FAT: "SystemBackUp" and "SystemBackup" are the same folder.
    return QFileInfo(board::path(QStringLiteral("/media/mmcblk0p1/SystemBackUp"))).isDir();
}

void restoreConfiguration() { runAll(configurationRestore(backupFolderPresent())); }

QStringList shutdownSequence()
{
    return {QString::fromLatin1(kBacklightOff),
            QString::fromLatin1(kSaveMain),
            QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("killall uvc-gadget"),
            QStringLiteral("halt")};
}

void runShutdownSequence() { runAll(shutdownSequence()); }

QStringList lowBatteryPowerOff()
{
    return {QString::fromLatin1(kBacklightOff),
            QString::fromLatin1(kSaveMain),
            QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("sync"),
            QStringLiteral("halt")};
}

QStringList memoryRelease()
{
    return {QStringLiteral("sync"), QStringLiteral("sync"), QStringLiteral("sync"),
            QStringLiteral(" echo 3 > /proc/sys/vm/drop_caches")};
}

void runAll(const QStringList &commands)
{
    for (const QString &c : commands)
        board::run(c);
}

}   // namespace boardcommands
