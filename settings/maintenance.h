#pragma once
// The board commands and checks of the maintenance operations (factory reset,
// card format, upgrade), with no widget.
#include <QString>
#include <QStringList>

namespace maintenance {

// Factory reset: the progress splash shows this long (a high-gain camera
// settles sooner), and the keys stay blocked 500 ms more.
int resetSplashMs(bool highGain);
constexpr int kDoneAfterSplashMs = 500;

// Card format: the splash shows 6 s, the keys stay blocked 6.5 s.
constexpr int kFormatSplashMs = 6000;
constexpr int kFormatDoneMs = 6500;
// "No SD card!" stays this long.
constexpr int kNoCardSplashMs = 2000;
QStringList formatCommands();

// Application upgrade: a card in, with either program file in its upgrade folder.
constexpr const char *kUpgradeScript = "/media/mmcblk0p1/Upgrade/upgrade.sh";
bool applicationFound();

// System upgrade: a card in, with both boot logos on it.
bool systemFilesFound();
constexpr const char *kBackupFolder = "/media/mmcblk0p1/SystemBackup";
// The five configuration files, copied from the working directory "/root".
QStringList backupFiles();
QStringList backupCommands();
// The files of "/root" whose copy on the card is missing, short or stale: a
// copy counts only when it has its source's size and content.
QStringList failedBackups();
// Opens the on-board boot area and erases it from sector 2 on, so that the
// board next starts from the card's system.
QStringList eraseBootCommands();

// Writes every factory value of the main file, then the system file's, then syncs.
void writeFactoryValues();

}   // namespace maintenance
