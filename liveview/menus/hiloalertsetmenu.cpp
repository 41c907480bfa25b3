#include "liveview/menus/hiloalertsetmenu.h"

bool hiloAlertSetMenuEnabled = true;

HiLoAlertSetMenu::HiLoAlertSetMenu(QMainWindow *parent) : Screen(&hiloAlertSetMenuEnabled, parent)
{
    // A missing key leaves its alert off.
    const bool high = config::readString(config::Main, QStringLiteral("high_alert")) == QLatin1String("On");
    const bool low = config::readString(config::Main, QStringLiteral("low_alert")) == QLatin1String("On");
    (high ? radioButton : radioButton_2)->setChecked(true);
    (low ? radioButton_3 : radioButton_4)->setChecked(true);
    connect(radioButton, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn1);
    connect(radioButton_2, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn2);
    connect(radioButton_3, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn3);
    connect(radioButton_4, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn4);
}

void HiLoAlertSetMenu::hiloAlertSetMenuEnable()
{
    openFocusing(pushButton);
}

void HiLoAlertSetMenu::setAlert(const char *key, QAbstractButton *on, QAbstractButton *off, bool switchOn)
{
    on->setChecked(switchOn);
    off->setChecked(!switchOn);
    config::write(config::Main, QString::fromLatin1(key), switchOn ? QStringLiteral("On") : QStringLiteral("Off"));
}

void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn1() { setAlert("high_alert", radioButton, radioButton_2, true); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn2() { setAlert("high_alert", radioButton, radioButton_2, false); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn3() { setAlert("low_alert", radioButton_3, radioButton_4, true); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn4() { setAlert("low_alert", radioButton_3, radioButton_4, false); }

void HiLoAlertSetMenu::upToUpdateHiLoAlertSetting() {}
void HiLoAlertSetMenu::downToUpdateHiLoAlertSetting() {}
void HiLoAlertSetMenu::hiloAlertSetMenuAutoUpdate() {}
