#include "liveview/menus/colorsubmenu.h"

#include <QTimer>

static bool colorSubMenuEnabled = true;

ColorSubMenu::ColorSubMenu(QMainWindow *parent) : Screen(&colorSubMenuEnabled, parent)
{
    watchButtons(
        {radioButton, radioButton_2, radioButton_3, radioButton_4, radioButton_5, radioButton_6, radioButton_7});
    const QList<void (ColorSubMenu::*)()> updates = {
        &ColorSubMenu::colorSubMenuUpdateRbtn1, &ColorSubMenu::colorSubMenuUpdateRbtn2,
        &ColorSubMenu::colorSubMenuUpdateRbtn3, &ColorSubMenu::colorSubMenuUpdateRbtn4,
        &ColorSubMenu::colorSubMenuUpdateRbtn5, &ColorSubMenu::colorSubMenuUpdateRbtn6,
        &ColorSubMenu::colorSubMenuUpdateRbtn7};
    for (int i = 0; i < updates.size(); ++i)
        connect(buttons()[i], &QAbstractButton::clicked, this, updates[i]);
    focusTimer = new QTimer(this);
    connect(focusTimer, &QTimer::timeout, this, &ColorSubMenu::colorSubMenuFocusChange);
    focusTimer->start(kPreviewMs);
}

void ColorSubMenu::colorSubMenuEnable() { openIfHidden(); }

void ColorSubMenu::confirm(int index)
{
    for (int i = 0; i < buttons().size(); ++i)
        buttons()[i]->setChecked(i == index);
    // The click itself switched the palette at once.
    m_announced = index;
    hide();
}

void ColorSubMenu::colorSubMenuUpdateRbtn1() { confirm(0); }
void ColorSubMenu::colorSubMenuUpdateRbtn2() { confirm(1); }
void ColorSubMenu::colorSubMenuUpdateRbtn3() { confirm(2); }
void ColorSubMenu::colorSubMenuUpdateRbtn4() { confirm(3); }
void ColorSubMenu::colorSubMenuUpdateRbtn5() { confirm(4); }
void ColorSubMenu::colorSubMenuUpdateRbtn6() { confirm(5); }
void ColorSubMenu::colorSubMenuUpdateRbtn7() { confirm(6); }

void ColorSubMenu::colorSubMenuFocusChange()
{
    const QList<QAbstractButton *> &bs = buttons();
    int index = -1;
    if (isVisible())
        index = bs.indexOf(qobject_cast<QAbstractButton *>(focusWidget()));
    else
        index = checkedIndex();
    // The acquisition side stores every palette it is told; telling it the
    // same palette again would only rewrite the configuration five times a
    // second, so a palette is announced when it differs from the last one.
    if (index < 0 || index == m_announced)
        return;
    m_announced = index;
    switch (index) {
    case 0:
        emit radioButtonFocused();
        break;
    case 1:
        emit radioButton2Focused();
        break;
    case 2:
        emit radioButton3Focused();
        break;
    case 3:
        emit radioButton4Focused();
        break;
    case 4:
        emit radioButton5Focused();
        break;
    case 5:
        emit radioButton6Focused();
        break;
    case 6:
        emit radioButton7Focused();
        break;
    default:
        break;
    }
}

void ColorSubMenu::colorSubMenuAutoUpdate()
{
    if (isHidden())
        focusFirstChecked();
}

void ColorSubMenu::factoryResetForColorSubMenu()
{
    radioButton->click();
    colorSubMenuAutoUpdate();
}

void ColorSubMenu::menuTip(const QString &text, int x, int y, int flags)
{
    emit colorMenuUpdateMenuTips(text, x, y, flags);
}
