#include "core/keystate.h"

#include <QString>

#include <cstring>
#include <linux/input.h>

int code = 0;
static bool longPressKey = false;
static int up_key_stat = 0;
static int down_key_stat = 0;
static int left_key_stat = 0;
static int right_key_stat = 0;
int key_state1 = 0;
int key_state2 = 1;
int key_state3 = 1;

namespace keys {

void resetState()
{
    code = 0;
    longPressKey = false;
    up_key_stat = down_key_stat = left_key_stat = right_key_stat = 0;
    key_state1 = 0;
    key_state2 = 1;
    key_state3 = 1;
}

bool longPress() { return longPressKey; }
void setLongPress(bool repeat) { longPressKey = repeat; }

static int *arrow(int code)
{
    switch (code) {
    case keycode::Up:
        return &up_key_stat;
    case keycode::Down:
        return &down_key_stat;
    case keycode::Left:
        return &left_key_stat;
    case keycode::Right:
        return &right_key_stat;
    default:
        return nullptr;
    }
}

int arrowState(int code)
{
    const int *state = arrow(code);
    return state ? *state : 0;
}

void setArrowState(int code, int state)
{
    if (int *s = arrow(code))
        *s = state;
}

bool heldTogether(int a, int b) { return (a == 1 && b == 2) || (a == 2 && b == 1); }

TriggerAction triggerStep(int &s1, int &s2, int &s3, int value)
{
    if (value == keyvalue::Press)
        s1 = 1;
    else if (value == keyvalue::Repeat)
        s2 = 2;
    else if (value == keyvalue::Release)
        s3 = 0;

    if (s1 == 0) {
        // The press was already used: follow its repeats and release only.
        if (s2 == 1 && s3 == 0) {
            s3 = 1;
        } else if (s2 == 2) {
            s2 = 1;
            if (s3 == 0)
                s3 = 1;
        }
        return TriggerAction::None;
    }
    TriggerAction action = TriggerAction::None;
    if (s2 == 2)
        action = TriggerAction::LongPress;
    else if (s2 == 1 && s3 == 0)
        action = TriggerAction::ShortPress;
    else
        return TriggerAction::None;
    s2 = 1;
    s1 = 0;
    s3 = 1;
    return action;
}

QString codeText(int c) { return QString::number(c, 16); }

}   // namespace keys
