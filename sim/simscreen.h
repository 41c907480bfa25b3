#pragma once
#include <QObject>
#include <QString>

// Writes the device screen (the top-left 240 x 320 of the display) to a PNG
// file once a second, for a simulator running without a display.
class SimScreen : public QObject {
    Q_OBJECT
public:
    explicit SimScreen(const QString &file, QObject *parent = nullptr);
    bool grabOnce();

private:
    QString m_file;
};

namespace sim {
// Starts what the simulator script asks for in the environment
// (NORVIK7_SCREEN_PNG: the screen file).
void startSimulatorExtras(QObject *owner);
}
