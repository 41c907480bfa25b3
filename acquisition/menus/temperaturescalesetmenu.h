#pragma once
// "Temperature scale": the gain range, low gain (high temperatures) or high
// gain (low temperatures), stored under `temperature_scale`. The stored
// choice itself is the one process-wide `temperature_scale` shared with the
// acquisition loop and the calibration page's gain toggle.
#include "core/menuwindow.h"
#include "ui_temperaturescalesetmenu.h"

class QLabel;
class QSplashScreen;
class QTimer;

class TemperatureScaleSetMenu : public Screen<Ui::TemperatureScaleSetMenu, ChoiceMenu> {
    Q_OBJECT
public:
    explicit TemperatureScaleSetMenu(QMainWindow *parent = nullptr);
    ~TemperatureScaleSetMenu() override;

    // The stored gain choice: 0 low gain, 1 high gain.
    unsigned char storedChoice() const;
    // Clear while a gain switch settles; the keys treat that as busy.
    bool temperatureScaleSwitchDone = true;
    static constexpr int kSwitchSettleMs = 3000;

    // The waiting splash shown while a gain switch settles.
    QSplashScreen *gainSwitchSplash = nullptr;       // the hourglass
    QSplashScreen *gainSwitchTextSplash = nullptr;   // "Waiting..."

signals:
    void updateTempScale(unsigned char gain);

public slots:
    void temperatureScaleSetMenuEnable();
    void updateTemperatureScaleSetMenuRbtn2();   // low gain
    void updateTemperatureScaleSetMenuRbtn3();   // high gain
    void updateTemperatureScaleSetMenu();
    void showGainSwitchTips();
    void setTemperatureScaleSwitchStatus();
    void factoryResetForTemperatureScaleSetMenu();

protected:
    void settingChanged() override;
    void startupChoice(int index) override;
    void retranslate() override;
};
