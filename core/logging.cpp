#include "core/logging.h"

Q_LOGGING_CATEGORY(lcBoard, "norvik7.board")
Q_LOGGING_CATEGORY(lcAcquisition, "norvik7.acquisition")
Q_LOGGING_CATEGORY(lcLiveView, "norvik7.liveview")
Q_LOGGING_CATEGORY(lcMedia, "norvik7.media")
Q_LOGGING_CATEGORY(lcConnectivity, "norvik7.connectivity")
Q_LOGGING_CATEGORY(lcSettings, "norvik7.settings")
Q_LOGGING_CATEGORY(lcCalibration, "norvik7.calibration")
Q_LOGGING_CATEGORY(lcApp, "norvik7.app")
Q_LOGGING_CATEGORY(lcSim, "norvik7.sim")
