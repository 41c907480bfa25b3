#pragma once
// The key codes and the key input's process-wide state (GUI thread only),
// with the small rules that need no widget: two arrows held together, the
// trigger key's short and long press.
#include <QString>

// Linux input key codes of the eight keys, and the synchronisation record.
namespace keycode {
constexpr int Sync = 0;
constexpr int Back = 14;       // KEY_BACKSPACE: back one level, manual shutter
constexpr int Trigger = 20;    // KEY_T: capture
constexpr int Ok = 28;         // KEY_ENTER
constexpr int Up = 103;        // KEY_UP
constexpr int Left = 105;      // KEY_LEFT
constexpr int Right = 106;     // KEY_RIGHT
constexpr int Down = 108;      // KEY_DOWN
constexpr int Gallery = 207;   // KEY_PLAY: gallery, back to the live view
}   // namespace keycode

// Values of a key record.
namespace keyvalue {
constexpr int Release = 0;
constexpr int Press = 1;
constexpr int Repeat = 2;
}   // namespace keyvalue

// ---- process-wide state of the key input ---------------------------------------------
extern int code;         // code of the record being handled
extern int key_state1;   // trigger: 1 once pressed, 0 when the press was used
extern int key_state2;   // trigger: 2 once repeating, else 1
extern int key_state3;   // trigger: 0 once released, else 1

namespace keys {

// Puts every variable above, and the states below, back to their start values.
void resetState();

// The record being handled is an auto-repeat.
bool longPress();
void setLongPress(bool repeat);
// An arrow's state by its key code: 0 released, 1 pressed, 2 repeating (0 for
// any other code).
int arrowState(int code);
void setArrowState(int code, int state);

// Two arrows count as held together when one is pressed while the other repeats.
bool heldTogether(int statA, int statB);

// The trigger key: a short press acts on its release, a long press once on its
// first repeat. Updates the three states for one record and says what to do.
enum class TriggerAction { None, ShortPress, LongPress };
TriggerAction triggerStep(int &state1, int &state2, int &state3, int value);

// Hexadecimal text of a code, as kept in the main window's keyCodeText.
QString codeText(int code);

}   // namespace keys
