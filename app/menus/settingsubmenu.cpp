#include "app/menus/settingsubmenu.h"

static bool settingSubMenuEnabled = true;
static bool systemSettingSubMenuEnabled = true;

SettingSubMenu::SettingSubMenu(QMainWindow *parent) : Screen(&settingSubMenuEnabled, parent)
{
    setButtons({languageButton, dateTimeButton, temperatureUnitButton, hiloAlertButton, temperatureScaleButton,
                displayBrightnessButton, autoPowerOffButton, usbModeButton, measurementsButton, systemSettingsButton});
}

void SettingSubMenu::settingSubMenuEnable() { openAtFirst(); }

SystemSettingSubMenu::SystemSettingSubMenu(QMainWindow *parent) : Screen(&systemSettingSubMenuEnabled, parent)
{
    setButtons({deviceInformationButton, factoryResetButton, formatSdcardButton, autoSaveButton, wifiButton});
}

void SystemSettingSubMenu::systemSettingSubMenuEnable() { openAtFirst(); }
