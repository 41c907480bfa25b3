#include "liveview/menus/hiloalertsetmenu.h"

#include "core/keystate.h"
#include "core/logging.h"

#include <QDebug>

static bool hiloAlertSetMenuEnabled = true;
// The thresholds last loaded or edited, in the unit being edited.
static int hiAlertTempValue = 130;
static int loAlertTempValue = 20;
int HiLoAlertSetMenu::led_on = 0;

namespace {

const char *const kEditingStyle = "color: #FF3300;\nbackground-color: rgba(46, 117, 182, 0%);\nfont: bold 16pt;";
const char *const kValueStyle = "color: rgb(255, 255, 255)";

struct ThresholdKeys {
    const char *c, *f, *k;
};
const ThresholdKeys kHigh{"high_temp_c", "high_temp_f", "high_temp_k"};
const ThresholdKeys kLow{"low_temp_c", "low_temp_f", "low_temp_k"};

QString key(const char *k) { return QString::fromLatin1(k); }

void writeStored(const ThresholdKeys &keys, const alerts::Stored &s)
{
    config::write(config::Main, key(keys.c), QString::number(s.c));
    config::write(config::Main, key(keys.f), QString::number(s.f));
    config::write(config::Main, key(keys.k), QString::number(s.k));
}

}   // namespace

HiLoAlertSetMenu::HiLoAlertSetMenu(QMainWindow *parent) : Screen(&hiloAlertSetMenuEnabled, parent)
{
    // A missing key leaves its alert off.
    const bool high = config::readString(config::Main, QStringLiteral("high_alert")) == QLatin1String("On");
    const bool low = config::readString(config::Main, QStringLiteral("low_alert")) == QLatin1String("On");
    (high ? radioButton : radioButton_2)->setChecked(true);
    (low ? radioButton_3 : radioButton_4)->setChecked(true);
    setButtons({pushButton, radioButton, radioButton_2, pushButton_2, radioButton_3, radioButton_4});
    connect(radioButton, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn1);
    connect(radioButton_2, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn2);
    connect(radioButton_3, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn3);
    connect(radioButton_4, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn4);
    connect(pushButton, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::updateHiLoAlertSetting);
    connect(pushButton_2, &QAbstractButton::clicked, this, &HiLoAlertSetMenu::updateHiLoAlertSetting);
    writeMissingThresholds();
    loadThresholds();
}

void HiLoAlertSetMenu::writeMissingThresholds()
{
    const alerts::Stored high = alerts::storedFromCelsius(alerts::kFactoryHighC);
    const alerts::Stored low = alerts::storedFromCelsius(alerts::kFactoryLowC);
    const std::pair<const char *, int> defaults[] = {{kHigh.c, high.c}, {kLow.c, low.c},   {kHigh.f, high.f},
                                                     {kLow.f, low.f},   {kHigh.k, high.k}, {kLow.k, low.k}};
    for (const auto &[k, v] : defaults)
        if (!config::contains(config::Main, key(k)))
            config::write(config::Main, key(k), QString::number(v));
}

alerts::Unit HiLoAlertSetMenu::unit() const
{
    const alerts::Unit u = alerts::unitFromText(config::readString(config::Main, QStringLiteral("temp_unit")));
    return u == alerts::Unit::None ? alerts::Unit::Celsius : u;
}

void HiLoAlertSetMenu::loadThresholds()
{
    const alerts::Unit u = unit();
    const bool celsius = u == alerts::Unit::Celsius;
    const alerts::Band band = alerts::band(u);
    const alerts::Stored factoryHigh = alerts::storedFromCelsius(alerts::kFactoryHighC);
    const alerts::Stored factoryLow = alerts::storedFromCelsius(alerts::kFactoryLowC);
    const QString highKey = key(celsius ? kHigh.c : kHigh.f);
    const QString lowKey = key(celsius ? kLow.c : kLow.f);
    const int highDefault = celsius ? factoryHigh.c : factoryHigh.f;
    const int lowDefault = celsius ? factoryLow.c : factoryLow.f;
    if (!config::contains(config::Main, highKey))
        config::write(config::Main, highKey, QString::number(highDefault));
    if (!config::contains(config::Main, lowKey))
        config::write(config::Main, lowKey, QString::number(lowDefault));
    // A hand-edited file cannot put a threshold outside its unit's band.
    hiAlertTempValue = config::readIntInRange(config::Main, highKey, band.lowest, band.highest, highDefault);
    loAlertTempValue = config::readIntInRange(config::Main, lowKey, band.lowest, band.highest, lowDefault);
    qCDebug(lcLiveView) << (highKey + QStringLiteral(" is ")) << hiAlertTempValue;
    qCDebug(lcLiveView) << (lowKey + QStringLiteral(" is ")) << loAlertTempValue;
    label_3->setText(QString::number(hiAlertTempValue));
    label_4->setText(QString::number(loAlertTempValue));
    label_5->setText(temps::unitSign(u));
    label_6->setText(temps::unitSign(u));
}

void HiLoAlertSetMenu::hiloAlertSetMenuEnable()
{
    if (!isHidden())
        return;
    updateHiLoAlertSetting();
    openFocusing(pushButton);
}

void HiLoAlertSetMenu::updateHiLoAlertSetting()
{
    loadThresholds();
    if (isVisible()) {
        QWidget *f = focusWidget();
        QLabel *value = f == pushButton ? label_3 : f == pushButton_2 ? label_4 : nullptr;
        if (value) {
            value->setStyleSheet(QString::fromLatin1(editing ? kValueStyle : kEditingStyle));
            editing = !editing;
            m_editedRow = editing ? f : nullptr;
        }
    }
    hiloAlertSetMenuAutoUpdate();
}

void HiLoAlertSetMenu::setAlert(const char *k, QAbstractButton *on, QAbstractButton *off, bool switchOn)
{
    on->setChecked(switchOn);
    off->setChecked(!switchOn);
    config::write(config::Main, key(k), on->isChecked() ? QStringLiteral("On") : QStringLiteral("Off"));
}

void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn1() { setAlert("high_alert", radioButton, radioButton_2, true); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn2() { setAlert("high_alert", radioButton, radioButton_2, false); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn3() { setAlert("low_alert", radioButton_3, radioButton_4, true); }
void HiLoAlertSetMenu::hiloAlertSetMenuUpdateRbtn4() { setAlert("low_alert", radioButton_3, radioButton_4, false); }

void HiLoAlertSetMenu::upToUpdateHiLoAlertSetting() { step(+1, keys::arrowState(keycode::Up)); }
void HiLoAlertSetMenu::downToUpdateHiLoAlertSetting() { step(-1, keys::arrowState(keycode::Down)); }

void HiLoAlertSetMenu::step(int direction, int keyState)
{
    if (!isVisible() || !editing)
        return;
    const int size = keyState == 1 ? 1 : keyState == 2 ? 10 : 0;
    if (size == 0)
        return;
    QWidget *f = focusWidget();
    const bool highRow = f == pushButton;
    if (!highRow && f != pushButton_2)
        return;
    const alerts::Unit u = unit();
    bool ok = false;
    const int shownHigh = label_3->text().toInt(&ok);
    const int high = ok ? shownHigh : hiAlertTempValue;
    const int shownLow = label_4->text().toInt(&ok);
    const int low = ok ? shownLow : loAlertTempValue;
    if (highRow) {
        hiAlertTempValue = alerts::stepHigh(high, low, direction * size, u);
        label_3->setText(QString::number(hiAlertTempValue));
        writeStored(kHigh, alerts::storedFrom(hiAlertTempValue, u));
    } else {
        loAlertTempValue = alerts::stepLow(low, high, direction * size, u);
        label_4->setText(QString::number(loAlertTempValue));
        writeStored(kLow, alerts::storedFrom(loAlertTempValue, u));
    }
}

// Closed while a threshold is edited (the value is stored at every step):
// the edit ends, so that no hidden screen holds the back key.
void HiLoAlertSetMenu::hideEvent(QHideEvent *event)
{
    Screen::hideEvent(event);
    if (editing)
        endEdit();
}

void HiLoAlertSetMenu::endEdit()
{
    editing = false;
    m_editedRow = nullptr;
    label_3->setStyleSheet(QString::fromLatin1(kValueStyle));
    label_4->setStyleSheet(QString::fromLatin1(kValueStyle));
    keepFocusOnRow(nullptr);
}

void HiLoAlertSetMenu::keepFocusOnRow(QWidget *row)
{
    for (QAbstractButton *b : buttons())
        b->setFocusPolicy(row && b != row ? Qt::NoFocus : Qt::StrongFocus);
    if (row && focusWidget() != row)
        row->setFocus(Qt::OtherFocusReason);
}

void HiLoAlertSetMenu::hiloAlertSetMenuAutoUpdate()
{
    if (!isVisible()) {
        (radioButton->isChecked() ? radioButton : radioButton_2)->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (editing && m_editedRow) {
        keepFocusOnRow(m_editedRow);
    } else {
        keepFocusOnRow(nullptr);
    }
}

void HiLoAlertSetMenu::factoryResetForHiLoAlertSetMenu()
{
    radioButton_2->click();
    radioButton_4->click();
    endEdit();
    label_3->setText(QString::number(alerts::kFactoryHighC));
    label_4->setText(QString::number(alerts::kFactoryLowC));
    label_5->setText(temps::unitSign(alerts::Unit::Celsius));
    label_6->setText(temps::unitSign(alerts::Unit::Celsius));
    pushButton->setFocus(Qt::OtherFocusReason);
}
