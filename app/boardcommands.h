#pragma once
// The board command sequences of start-up and power-off.
#include <QStringList>

namespace boardcommands {

// Start-up: the one-shot restore from the card's backup folder when it exists,
// else the main file saved at the last orderly power-off.
QStringList configurationRestore(bool backupFolderPresent);
bool backupFolderPresent();
void restoreConfiguration();

// The shutdown sequence: backlight off, main file saved to /etc, sync, halt.
// Callers set GPIO line 5 to 1 first.
QStringList shutdownSequence();
void runShutdownSequence();

// The low-battery power-off's own commands (it syncs three times).
QStringList lowBatteryPowerOff();

// Every 30 s: flush and drop the page cache.
QStringList memoryRelease();

void runAll(const QStringList &commands);

}   // namespace boardcommands
