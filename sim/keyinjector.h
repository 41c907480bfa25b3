#pragma once
// Writes key records into the key device the way the board's key driver does:
// a press, a release, the synchronisation record after each, and auto-repeat
// of the key pressed last while it is held (first repeat after 500 ms, then
// every 300 ms).
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>

namespace sim {

class KeyInjector : public QObject {
    Q_OBJECT
public:
    // `device` is the host path of the key device FIFO.
    explicit KeyInjector(const QString &device, int repeatDelayMs = 500, int repeatPeriodMs = 300,
                         QObject *parent = nullptr);
    ~KeyInjector() override;

    void press(int code);
    void release(int code);
    bool isHeld(int code) const { return m_held.contains(code); }

signals:
    // A key went down or up (for the keypad's pictures).
    void keyChanged(int code, bool down);

private:
    void repeatOnce();
    bool writeRecords(int code, int value);

    QString m_device;
    int m_fd = -1;
    int m_delayMs;
    int m_periodMs;
    QSet<int> m_held;
    int m_repeating = -1;
    QTimer m_repeat;
};

}   // namespace sim
