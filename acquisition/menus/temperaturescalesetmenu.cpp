#include "acquisition/menus/temperaturescalesetmenu.h"

bool temperatureScaleSetMenuEnabled = true;

namespace {
// The stored texts in button order: "Low gain" first.
const config::Choice kGain{"temperature_scale", {QStringLiteral("low_gain"), QStringLiteral("high_gain")}, 1, true};
}

TemperatureScaleSetMenu::TemperatureScaleSetMenu(QMainWindow *parent)
    : Screen(&temperatureScaleSetMenuEnabled, Setting{config::Main, kGain, 1}, parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn2,
                 &TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn3});
}

void TemperatureScaleSetMenu::temperatureScaleSetMenuEnable() { toggle(); }
void TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn2() { choose(0); }
void TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn3() { choose(1); }

void TemperatureScaleSetMenu::settingChanged()
{
    // Choosing the gain already in use changes nothing.
    if (checkedIndex() != m_storedChoice)
        updateTemperatureScaleSetMenu();
}

void TemperatureScaleSetMenu::updateTemperatureScaleSetMenu()
{
    const int index = checkedIndex();
    if (index < 0)
        return;
    storeChecked();
    m_storedChoice = static_cast<unsigned char>(index);
    emit updateTempScale(m_storedChoice);
}

void TemperatureScaleSetMenu::setTemperatureScaleSwitchStatus() { temperatureScaleSwitchDone = true; }

void TemperatureScaleSetMenu::factoryResetForTemperatureScaleSetMenu()
{
    radioButton_2->setChecked(true);
    updateTemperatureScaleSetMenu();
}
