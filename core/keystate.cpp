#include "core/keystate.h"

#include <QString>

#include <cstring>
#include <linux/input.h>

int code = 0;
bool longPressKey = false;
int up_key_stat = 0;
int down_key_stat = 0;
int left_key_stat = 0;
int right_key_stat = 0;
int key_state1 = 0;
int key_state2 = 1;
int key_state3 = 1;
QWidget *current_focus_w = nullptr;
QRadioButton *rbtn = nullptr;
QCheckBox *ckb = nullptr;
QPushButton *btn = nullptr;
QListWidgetItem *lwitem = nullptr;

namespace keys {

void resetState()
{
    code = 0;
    longPressKey = false;
    up_key_stat = down_key_stat = left_key_stat = right_key_stat = 0;
    key_state1 = 0;
    key_state2 = 1;
    key_state3 = 1;
    current_focus_w = nullptr;
    rbtn = nullptr;
    ckb = nullptr;
    btn = nullptr;
    lwitem = nullptr;
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

}  // namespace keys
