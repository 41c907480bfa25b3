#pragma once
#include <QImage>
#include <QObject>
#include <QString>

// Writes the device screen (the top-left 240 x 320 of the display) to a PNG
// file once a second, for a simulator running without a display.
class SimScreen : public QObject {
    Q_OBJECT
public:
    explicit SimScreen(const QString &file, QObject *parent = nullptr);
    bool grabOnce();
    static QImage compose();

private:
    QString m_file;
};

namespace sim {
// Starts the simulator's own parts: the PC keyboard as the device's keys, and
// what the simulator script asks for in the environment (NORVIK7_SCREEN_PNG:
// the screen file; NORVIK7_KEYPAD=1: the on-screen keypad right of x = 240).
void startSimulatorExtras(QObject *owner);
}   // namespace sim
