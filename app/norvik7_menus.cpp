// The main window's menus: creation, stored settings, navigation connections
// and the status bar refresh.
#include "app/norvik7.h"

#include "board/board.h"

void Norvik7::createMenus()
{
    // The menu windows, in creation order, each without a parent, frameless,
    // with its opacity and geometry.
}

void Norvik7::applyStoredSettings()
{
    // Each menu applies its keys of "/root/Norvik7_config.ini" here; the Wi-Fi
    // always starts switched off.
    WifiStatusLabel->hide();
    board::run(QStringLiteral("/etc/rc.d/wifisetting.sh"));
}

void Norvik7::makeConnections()
{
    // Cross-subsystem connections, in the order of the connection table.
}

void Norvik7::timerUpdate() {}
