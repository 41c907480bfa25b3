#include "connectivity/menus/wifisubmenu.h"

static bool wifiSubMenuEnabled = true;
static bool wifiOpenStatusMenuEnabled = true;

WifiSubMenu::WifiSubMenu(QMainWindow *parent) : Screen(&wifiSubMenuEnabled, parent) { setButtons({radioButton}); }

void WifiSubMenu::wifiSubMenuEnable() { openAtFirst(); }

WifiOpenStatusMenu::WifiOpenStatusMenu(QMainWindow *parent) : Screen(&wifiOpenStatusMenuEnabled, parent) {}

void WifiOpenStatusMenu::wifiOpenStatusMenuEnable() { toggleVisible(); }
