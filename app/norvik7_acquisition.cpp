// The main window's side of the acquisition: the thread it starts and the
// connections to it.
#include "app/norvik7.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "calibration/caltables.h"
#include "calibration/menus/caltempsubmenu.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"

#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

// The temperature calibration page: each button also asks the loop for the
// module's part, which reports its end back to the page.
static void connectCalibration(CalTempSubMenu *c, ThermalCameraThread *t)
{
    caltables::install();
    QObject::connect(c->pushButton_8, &QPushButton::clicked, t, &ThermalCameraThread::calHighTempPoint);
    QObject::connect(c->pushButton_2, &QPushButton::clicked, t, &ThermalCameraThread::calMiddleTempPoint);
    QObject::connect(c->pushButton_3, &QPushButton::clicked, t, &ThermalCameraThread::calLowTempPoint);
    QObject::connect(c->pushButton_4, &QPushButton::clicked, t, &ThermalCameraThread::newRecal);
    QObject::connect(c->pushButton_5, &QPushButton::clicked, t, &ThermalCameraThread::calTempReset);
    QObject::connect(c->pushButton_6, &QPushButton::clicked, t, &ThermalCameraThread::switchTempGain);
    QObject::connect(c->pushButton_7, &QPushButton::clicked, t, &ThermalCameraThread::calTempRmcover);
    QObject::connect(c, &CalTempSubMenu::closeThermalCamera, t, &ThermalCameraThread::closeThermalCameraDevice);
    QObject::connect(t, &ThermalCameraThread::SignalCalibrationFinish, c, &CalTempSubMenu::hideCalTips,
                     Qt::QueuedConnection);
    QObject::connect(t, &ThermalCameraThread::closeThermalModuleAGC, c, &CalTempSubMenu::cmd_AGC_BYPASS_enable,
                     Qt::QueuedConnection);
}

void Norvik7::startThreads()
{
    // The loop takes its first gain from the gain menu's stored choice.
    if (temperatureScaleSetMenu)
        acqState.temperature_scale.store(temperatureScaleSetMenu->storedChoice());
    cameraThread = new ThermalCameraThread(this);
    cameraThread->start(QThread::InheritPriority);
    startTcpServer();
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
        connectCalibration(calTempSubMenu, t);
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
    acqState.paletteNumber.store(palettes::byStoredValue(stored.constData()).number);
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
