#pragma once
// One logging category per subsystem. Every message prints by default, word
// for word as the debug output always had it (main() sets the pattern to the
// message alone); a subsystem's chatter can be turned off by its name, e.g.
// QT_LOGGING_RULES="norvik7.media.debug=false".
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
