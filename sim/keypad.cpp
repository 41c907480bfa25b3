#include "sim/keypad.h"

#include "core/keystate.h"
#include "sim/keyinjector.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace sim {

int deviceKeyForPcKey(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Up:
        return keycode::Up;
    case Qt::Key_Down:
        return keycode::Down;
    case Qt::Key_Left:
        return keycode::Left;
    case Qt::Key_Right:
        return keycode::Right;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return keycode::Ok;
    case Qt::Key_Backspace:
        return keycode::Back;
    case Qt::Key_T:
        return keycode::Trigger;
    case Qt::Key_P:
        return keycode::Gallery;
    default:
        return -1;
    }
}

namespace {
struct PadKey {
    int code;
    const char *image;     // ":/key/<image>.png" and "..._pressed.png"
    const char *caption;   // the PC key that does the same
    int x, y;              // inside the 160 x 320 keypad
};
// Trigger and gallery on top, the arrows round OK, back below.
constexpr int kW = 48, kH = 32;
const PadKey kPadKeys[] = {
    {keycode::Trigger, "photo", "T", 24, 24},   {keycode::Gallery, "play", "P", 88, 24},
    {keycode::Up, "up", "\u2191", 56, 104},     {keycode::Left, "left", "\u2190", 4, 150},
    {keycode::Ok, "ok", "Enter", 56, 150},      {keycode::Right, "right", "\u2192", 108, 150},
    {keycode::Down, "down", "\u2193", 56, 196}, {keycode::Back, "return", "Backspace", 56, 262},
};
}   // namespace

Keypad::Keypad(KeyInjector *injector, QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("simKeypad"));
    setWindowTitle(QStringLiteral("Norvik7 keys"));
    // Never takes the keyboard from the device's windows.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(160, 320);
    setStyleSheet(QStringLiteral("QWidget#simKeypad { background-color: rgb(28, 28, 30); }"
                                 "QLabel { color: rgb(174, 174, 178); font: 8pt \"DejaVu Sans\"; }"));
    for (const PadKey &k : kPadKeys) {
        auto *b = new QPushButton(this);
        b->setObjectName(QStringLiteral("simKey_%1").arg(QString::fromLatin1(k.image)));
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry(k.x, k.y, kW, kH);
        b->setStyleSheet(QStringLiteral("QPushButton { border-image: url(:/key/%1.png); }"
                                        "QPushButton:pressed { border-image: url(:/key/%1_pressed.png); }")
                             .arg(QString::fromLatin1(k.image)));
        const int c = k.code;
        connect(b, &QPushButton::pressed, injector, [injector, c] { injector->press(c); });
        connect(b, &QPushButton::released, injector, [injector, c] { injector->release(c); });
        auto *caption = new QLabel(QString::fromUtf8(k.caption), this);
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setGeometry(k.x - 8, k.y + kH + 1, kW + 16, 12);
        m_buttons.insert(c, b);
    }
    connect(injector, &KeyInjector::keyChanged, this, &Keypad::showKey);
}

void Keypad::showKey(int code, bool down)
{
    // Keys typed on the PC keyboard show on the keypad too.
    if (QPushButton *b = m_buttons.value(code); b && b->isDown() != down)
        b->setDown(down);
}

PcKeyboard::PcKeyboard(KeyInjector *injector, QObject *parent) : QObject(parent), m_injector(injector) {}

bool PcKeyboard::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (t == QEvent::KeyPress || t == QEvent::KeyRelease) {
        auto *ke = static_cast<QKeyEvent *>(event);
        const int c = deviceKeyForPcKey(ke->key());
        if (c < 0 || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
            return QObject::eventFilter(watched, event);
        // The PC's own auto-repeat is dropped: the injector repeats as the board does.
        if (!ke->isAutoRepeat()) {
            if (t == QEvent::KeyPress)
                m_injector->press(c);
            else if (t == QEvent::KeyRelease)
                m_injector->release(c);
        }
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}   // namespace sim
