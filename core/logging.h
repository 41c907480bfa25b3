#pragma once
// One logging category per subsystem. Debug output is off unless asked for
// (QT_LOGGING_RULES="norvik7.*.debug=true"); warnings always print.
#include <QLoggingCategory>

Q_DECLARE_LOGGING_CATEGORY(lcBoard)
Q_DECLARE_LOGGING_CATEGORY(lcAcquisition)
Q_DECLARE_LOGGING_CATEGORY(lcLiveView)
Q_DECLARE_LOGGING_CATEGORY(lcMedia)
Q_DECLARE_LOGGING_CATEGORY(lcConnectivity)
Q_DECLARE_LOGGING_CATEGORY(lcSettings)
Q_DECLARE_LOGGING_CATEGORY(lcCalibration)
Q_DECLARE_LOGGING_CATEGORY(lcApp)
Q_DECLARE_LOGGING_CATEGORY(lcSim)
