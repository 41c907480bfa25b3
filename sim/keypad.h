#pragma once
// The simulator's keypad: the eight keys of the device as a window right of the
// device screen, and the PC keyboard (arrows, Enter = OK, Backspace = back,
// T = trigger, P = gallery) caught wherever the program's windows have it.
// Both go through a KeyInjector into the key device, so the program's own
// dispatcher handles them as it handles the board's keys.
#include <QHash>
#include <QObject>
#include <QWidget>

class QPushButton;

namespace sim {

class KeyInjector;

// Linux key code of a PC key, or -1 when the key is not one of the device's.
int deviceKeyForPcKey(int qtKey);

class Keypad : public QWidget {
    Q_OBJECT
public:
    explicit Keypad(KeyInjector *injector, QWidget *parent = nullptr);
    QPushButton *button(int code) const { return m_buttons.value(code); }

private:
    void showKey(int code, bool down);
    QHash<int, QPushButton *> m_buttons;
};

// Application-wide filter: device keys typed on the PC keyboard become key
// records and never reach the widgets (the device's widgets get no key events).
class PcKeyboard : public QObject {
    Q_OBJECT
public:
    explicit PcKeyboard(KeyInjector *injector, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    KeyInjector *m_injector;
};

}   // namespace sim
