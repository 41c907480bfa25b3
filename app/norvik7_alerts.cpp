// The high/low alerts and the colour bar of the live view.
#include "app/norvik7.h"

#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/alertrules.h"
#include "liveview/livemenus.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/hiloalertsetmenu.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/viewstate.h"
#include "settings/menus/temperatureunitsetmenu.h"

#include <QLabel>
#include <QTimer>

namespace {
// The colour-bar picture of each palette, in menu order.
const char *const kColourBars[] = {
    "border-image: url(:/images/colormap_Iron.png);",      "border-image: url(:/images/colormap_RainBow.png);",
    "border-image: url(:/images/colormap_grayscale.png);", "border-image: url(:/images/colormap_chamo.png);",
    "border-image: url(:/images/colormap_blackhot.png);",  "border-image: url(:/images/colormap_Lava.png);",
    "border-image: url(:/images/colormap_RainBowHC.png);",
};
}   // namespace

// The live view's menus: their timers, the palette preview and the
// measurement parameters' start-up and calibration values.
void connectLiveMenus(Norvik7 *w)
{
    QObject::connect(w->refreshTimer, &QTimer::timeout, w, &Norvik7::updateMaxMinTempColorMap);
    QObject::connect(w->refreshTimer, &QTimer::timeout, w->hiloAlertSetMenu,
                     &HiLoAlertSetMenu::hiloAlertSetMenuAutoUpdate);
    QObject::connect(w, &Norvik7::bootOkForThermalCamera, w->measurementSetMenu,
                     &MeasurementSetMenu::initMeasurementSetMenu);
    MeasurementSetMenu *measurementSetMenu = w->measurementSetMenu;
    QObject::connect(w->calTempSubMenu, &CalTempSubMenu::setEmissivityForCal, measurementSetMenu,
                     &MeasurementSetMenu::calTempForMeasurementSetMenu);
    QObject::connect(w->calTempSubMenu, &CalTempSubMenu::setEmissivityDefault, measurementSetMenu,
                     &MeasurementSetMenu::calTempDefaultForMeasurementSetMenu);
    if (ThermalCameraThread *t = w->cameraThread) {
        ColorSubMenu *c = w->colorSubMenu;
        QObject::connect(c, &ColorSubMenu::radioButtonFocused, t, &ThermalCameraThread::radioButtonSelectOne);
        QObject::connect(c, &ColorSubMenu::radioButton2Focused, t, &ThermalCameraThread::radioButtonSelectTwo);
        QObject::connect(c, &ColorSubMenu::radioButton3Focused, t, &ThermalCameraThread::radioButtonSelectThree);
        QObject::connect(c, &ColorSubMenu::radioButton4Focused, t, &ThermalCameraThread::radioButtonSelectFour);
        QObject::connect(c, &ColorSubMenu::radioButton5Focused, t, &ThermalCameraThread::radioButtonSelectFive);
        QObject::connect(c, &ColorSubMenu::radioButton6Focused, t, &ThermalCameraThread::radioButtonSelectSix);
        QObject::connect(c, &ColorSubMenu::radioButton7Focused, t, &ThermalCameraThread::radioButtonSelectSeven);
    }
}

void Norvik7::evaluateAlerts(float measuredCelsius, float minimumCelsius)
{
    using config::Main;
    const int highC = alerts::storedHighC();
    const int lowC = alerts::storedLowC();

    const bool highOn = config::readString(Main, QStringLiteral("high_alert")) == QLatin1String("On");
    const bool reached = highOn && alerts::highReached(measuredCelsius, float(highC), displayUnit());
    alerts::HighAlertBlinker blinker(&HiLoAlertSetMenu::led_on);
    const alerts::HighAlertBlinker::Step step = blinker.evaluate(highOn, reached);
    HighAlertLabel->setVisible(step.shown);
    HighAlertTextLabel->setVisible(step.shown);
    if (step.output >= 0)
        gpio_set_value(gpioFd, 1, step.output);

    // The low alert compares in Celsius, does not blink and drives no output;
    // it stays away while the zone is measured.
    const bool lowOn = config::readString(Main, QStringLiteral("low_alert")) == QLatin1String("On");
    const bool zoneTicked = tempSubMenu && tempSubMenu->checkBox_3->isChecked();
    const bool lowShown = lowOn && !zoneTicked && minimumCelsius <= float(lowC);
    LowAlertLabel->setVisible(lowShown);
    LowAlertTextLabel->setVisible(lowShown);
}

void Norvik7::updateMaxMinTempColorMap()
{
    if (!colorSubMenu)
        return;
    // The ticked palette while the menu is closed, the focused one while it is open.
    const QList<QAbstractButton *> &buttons = colorSubMenu->buttons();
    const bool open = colorSubMenu->isVisible();
    for (int i = 0; i < buttons.size() && i < 7; ++i) {
        QAbstractButton *b = buttons[i];
        if (open ? b->hasFocus() || colorSubMenu->focusWidget() == b : b->isChecked()) {
            const QString style = QString::fromLatin1(kColourBars[i]);
            if (ColorStatusLabel->styleSheet() != style)
                ColorStatusLabel->setStyleSheet(style);
            colorMap = i;
            return;
        }
    }
}

void Norvik7::factoryResetForNorvik7() { viewState.trans = 60; }
