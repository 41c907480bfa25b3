// The main window's side of the acquisition: the thread it starts and the
// connections to it.
#include "app/norvik7.h"

#include "acquisition/thermalcamerathread.h"

#include <QLabel>
#include <QTimer>

void Norvik7::startThreads()
{
    cameraThread = new ThermalCameraThread(this);
    cameraThread->start(QThread::InheritPriority);
    // The TCP server thread is created and started here as well.
}

void Norvik7::makeAcquisitionConnections()
{
    // Frames reach the main window through its event queue.
    connect(cameraThread, &ThermalCameraThread::updateThermalVLCImage, this, &Norvik7::updateThermalCameraImage,
            Qt::QueuedConnection);
    connect(cameraThread, &ThermalCameraThread::resetThermalCameraDevice, this, &Norvik7::resetThermalCamera,
            Qt::QueuedConnection);
    connect(this, &Norvik7::updateCalTempSubMenuMode, cameraThread, &ThermalCameraThread::getCalTempSubMenuMode);
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

// The blend's transparency comes with the composed live view.
void Norvik7::decreaseTrans() {}
void Norvik7::increaseTrans() {}
