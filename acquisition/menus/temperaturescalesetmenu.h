#pragma once
// "Temperature scale": the gain range, low gain (high temperatures) or high
// gain (low temperatures), stored under `temperature_scale`.
#include "app/menus/menuwindow.h"
#include "ui_temperaturescalesetmenu.h"

extern bool temperatureScaleSetMenuEnabled;

class TemperatureScaleSetMenu : public Screen<Ui::TemperatureScaleSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit TemperatureScaleSetMenu(QMainWindow *parent = nullptr);

    // The stored gain choice: 0 low gain, 1 high gain.
    unsigned char storedChoice() const { return m_storedChoice; }
    // Clear while a gain switch settles; the keys treat that as busy.
    bool temperatureScaleSwitchDone = true;

signals:
    void updateTempScale(unsigned char gain);

public slots:
    void temperatureScaleSetMenuEnable();
    void updateTemperatureScaleSetMenuRbtn2();   // low gain
    void updateTemperatureScaleSetMenuRbtn3();   // high gain
    void updateTemperatureScaleSetMenu();
    void setTemperatureScaleSwitchStatus();
    void factoryResetForTemperatureScaleSetMenu();

protected:
    void settingChanged() override;
    void startupChoice(int index) override { m_storedChoice = static_cast<unsigned char>(index); }

private:
    unsigned char m_storedChoice = 1;
};
