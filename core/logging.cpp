#include "core/logging.h"

Q_LOGGING_CATEGORY(lcBoard, "norvik7.board", QtInfoMsg)
Q_LOGGING_CATEGORY(lcAcquisition, "norvik7.acquisition", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLiveView, "norvik7.liveview", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMedia, "norvik7.media", QtInfoMsg)
Q_LOGGING_CATEGORY(lcConnectivity, "norvik7.connectivity", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "norvik7.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcCalibration, "norvik7.calibration", QtInfoMsg)
Q_LOGGING_CATEGORY(lcApp, "norvik7.app", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSim, "norvik7.sim", QtInfoMsg)
