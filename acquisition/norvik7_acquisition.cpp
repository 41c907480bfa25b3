// The main window's side of the acquisition: the thread it starts and the
// connections to it.
#include "app/norvik7.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "app/config.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"

#include <QLabel>
#include <QRadioButton>
#include <QTimer>

void Norvik7::startThreads()
{
    // The loop takes its first gain from the gain menu's stored choice.
    if (temperatureScaleSetMenu)
        temperature_scale.store(temperatureScaleSetMenu->storedChoice());
    cameraThread = new ThermalCameraThread(this);
    cameraThread->start(QThread::InheritPriority);
    // The TCP server thread is created and started here as well.
}

void Norvik7::makeAcquisitionConnections()
{
    ThermalCameraThread *t = cameraThread;
    // Frames reach the main window through its event queue, the markers first.
    connect(t, &ThermalCameraThread::updateMaxMinValuePost, this, &Norvik7::updateMaxMinTemp, Qt::QueuedConnection);
    connect(t, &ThermalCameraThread::updateZoneMaxMinValuePost, this, &Norvik7::updateZoneMaxMinTemp,
            Qt::QueuedConnection);
    connect(t, &ThermalCameraThread::updateThermalVLCImage, this, &Norvik7::updateThermalCameraImage,
            Qt::QueuedConnection);
    connect(t, &ThermalCameraThread::resetThermalCameraDevice, this, &Norvik7::resetThermalCamera,
            Qt::QueuedConnection);
    connect(this, &Norvik7::updateCalTempSubMenuMode, t, &ThermalCameraThread::getCalTempSubMenuMode);

    if (temperatureScaleSetMenu)
        connect(temperatureScaleSetMenu, &TemperatureScaleSetMenu::updateTempScale, t,
                &ThermalCameraThread::settingTempGain);
    if (measurementSetMenu) {
        connect(measurementSetMenu, &MeasurementSetMenu::updateEmissivityForThermalCamera, t,
                &ThermalCameraThread::settingTriggerEmissivity);
        connect(measurementSetMenu, &MeasurementSetMenu::updateTempForThermalCamera, t,
                &ThermalCameraThread::settingTriggerTu);
        connect(measurementSetMenu, &MeasurementSetMenu::updateDistanceForThermalCamera, t,
                &ThermalCameraThread::settingTriggerDistance);
    }
    if (calTempSubMenu)
        connect(calTempSubMenu, &CalTempSubMenu::closeThermalCamera, t, &ThermalCameraThread::closeThermalCameraDevice);
    if (colorSubMenu) {
        ColorSubMenu *c = colorSubMenu;
        connect(c->radioButton, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectOne);
        connect(c->radioButton_2, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectTwo);
        connect(c->radioButton_3, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectThree);
        connect(c->radioButton_4, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectFour);
        connect(c->radioButton_5, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectFive);
        connect(c->radioButton_6, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectSix);
        connect(c->radioButton_7, &QRadioButton::clicked, t, &ThermalCameraThread::radioButtonSelectSeven);
    }
    // The stored palette is the one in use from the first frame, as when the
    // palette menu puts its focus on it at start.
    const QByteArray stored = config::readString(config::Main, QStringLiteral("color")).toLatin1();
    paletteNumber.store(palettes::byStoredValue(stored.constData()).number);
}

void Norvik7::resetThermalCamera()
{
    initializingLabel->show();
    QTimer::singleShot(3000, initializingLabel, &QLabel::hide);
}

// The back key in the live view: one shutter correction before the next frame.
void Norvik7::requestShutterCorrection()
{
    if (cameraThread)
        cameraThread->settingTempShutter(0);
}
