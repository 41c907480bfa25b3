#include "liveview/menus/measurementsetmenu.h"

#include "core/keystate.h"
#include "liveview/alertrules.h"
#include "liveview/measurementrules.h"

#include <QTimer>

static bool measurementSetMenuEnabled = true;

namespace {
const char *const kEditingStyle = "color: #FF3300;\nbackground-color: rgba(46, 117, 182, 0%);\nfont: bold 12pt;";
const char *const kValueStyle = "color: rgb(255, 255, 255)";
}   // namespace

using namespace measurement;

MeasurementSetMenu::MeasurementSetMenu(QMainWindow *parent) : Screen(&measurementSetMenuEnabled, parent)
{
    setButtons({pushButton_emissivity, pushButton_temp, pushButton_distance});
    for (QAbstractButton *b : buttons())
        connect(b, &QAbstractButton::clicked, this, &MeasurementSetMenu::update_Measure_editable);
    emissivityTimer = new QTimer(this);
    emissivityTimer->setSingleShot(true);
    connect(emissivityTimer, &QTimer::timeout, this, &MeasurementSetMenu::initMeasurementsOfEmissivity);

    using config::Main;
    if (!config::contains(Main, QStringLiteral("emissivity")))
        config::write(Main, QStringLiteral("emissivity"), twoDecimals(kDefaultEmissivity));
    // Values outside their ranges (a hand-edited or damaged file) are pinned;
    // text that is no number keeps the default.
    emissivity = config::readFloatInRange(Main, QStringLiteral("emissivity"), kMinEmissivity, kMaxEmissivity,
                                          kDefaultEmissivity);
    temprature_c =
        config::readIntInRange(Main, QStringLiteral("ref_temprature_c"), kMinAmbientC, kMaxAmbientC, kDefaultAmbientC);
    temprature_f =
        config::readIntInRange(Main, QStringLiteral("ref_temprature_f"), kMinAmbientF, kMaxAmbientF, kDefaultAmbientF);
    distance =
        config::readFloatInRange(Main, QStringLiteral("meas_distance"), kMinDistance, kMaxDistance, kDefaultDistance);
    redrawLabels();
}

void MeasurementSetMenu::redrawLabels()
{
    label_emissivity->setText(twoDecimals(emissivity));
    const bool fahrenheit =
        alerts::unitFromText(config::readString(config::Main, QStringLiteral("temp_unit"))) == temps::Unit::Fahrenheit;
    label_temp->setText(QString::number(fahrenheit ? temprature_f : temprature_c) +
                        temps::unitSign(fahrenheit ? temps::Unit::Fahrenheit : temps::Unit::Celsius));
    label_distance->setText(twoDecimals(distance) + tr(" m"));
}

void MeasurementSetMenu::retranslate()
{
    Screen::retranslate();
    redrawLabels();
}

void MeasurementSetMenu::measurementSetMenuEnable()
{
    if (!isHidden())
        return;
    pushButton_emissivity->setFocus(Qt::OtherFocusReason);
    updateParameter(Item::Emissivity, 0);
    updateParameter(Item::Temperature, 0);
    updateParameter(Item::Distance, 0);
    openFocusing(pushButton_emissivity);
}

QLabel *MeasurementSetMenu::labelOf(QWidget *row) const
{
    return row == pushButton_emissivity ? label_emissivity
        : row == pushButton_temp        ? label_temp
        : row == pushButton_distance    ? label_distance
                                        : nullptr;
}

void MeasurementSetMenu::update_Measure_editable()
{
    QWidget *row = editing ? m_editedRow : focusWidget();
    QLabel *label = labelOf(row);
    if (!label)
        return;
    if (!editing) {
        label->setStyleSheet(QString::fromLatin1(kEditingStyle));
        editing = true;
        m_editedRow = row;
        // The arrows now change the value instead of moving between rows.
        for (QAbstractButton *b : buttons())
            b->setFocusPolicy(Qt::NoFocus);
        return;
    }
    label->setStyleSheet(QString::fromLatin1(kValueStyle));
    editing = false;
    m_editedRow = nullptr;
    if (row == pushButton_emissivity)
        emit updateEmissivityForThermalCamera(emissivity);
    else if (row == pushButton_temp)
        emit updateTempForThermalCamera(temprature_c);
    else
        emit updateDistanceForThermalCamera(distance);
    for (QAbstractButton *b : buttons())
        b->setFocusPolicy(Qt::StrongFocus);
    row->setFocus(Qt::OtherFocusReason);
}

// Closed while a row is edited: the edit ends as OK would, the value going
// to the camera, so that no hidden screen holds the back key.
void MeasurementSetMenu::hideEvent(QHideEvent *event)
{
    Screen::hideEvent(event);
    if (editing)
        update_Measure_editable();
}

void MeasurementSetMenu::measurement_upkey_press() { step(+1, keys::arrowState(keycode::Up)); }
void MeasurementSetMenu::measurement_downkey_press() { step(-1, keys::arrowState(keycode::Down)); }

void MeasurementSetMenu::step(int direction, int keyState)
{
    if (!isVisible() || !editing)
        return;
    const int size = keyState == 1 ? 1 : keyState == 2 ? 10 : 0;
    if (size == 0)
        return;
    if (m_editedRow == pushButton_emissivity)
        updateParameter(Item::Emissivity, direction * size);
    else if (m_editedRow == pushButton_temp)
        updateParameter(Item::Temperature, direction * size);
    else if (m_editedRow == pushButton_distance)
        updateParameter(Item::Distance, direction * size);
}

void MeasurementSetMenu::updateParameter(Item item, int steps)
{
    using config::Main;
    switch (item) {
    case Item::Emissivity:
        emissivity = stepEmissivity(emissivity, steps);
        label_emissivity->setText(twoDecimals(emissivity));
        config::write(Main, QStringLiteral("emissivity"), twoDecimals(emissivity));
        break;
    case Item::Temperature: {
        const temps::Unit u = alerts::unitFromText(config::readString(Main, QStringLiteral("temp_unit")));
        if (u == temps::Unit::None)
            return;
        const bool celsius = u == temps::Unit::Celsius;
        const Ambient a = celsius ? stepAmbientCelsius({temprature_c, temprature_f}, steps)
                                  : stepAmbientFahrenheit({temprature_c, temprature_f}, steps);
        temprature_c = a.c;
        temprature_f = a.f;
        label_temp->setText(QString::number(celsius ? a.c : a.f) + temps::unitSign(u));
        config::write(Main, QStringLiteral("ref_temprature_c"), QString::number(a.c));
        config::write(Main, QStringLiteral("ref_temprature_f"), QString::number(a.f));
        break;
    }
    case Item::Distance:
        distance = stepDistance(distance, steps);
        label_distance->setText(twoDecimals(distance) + tr(" m"));
        config::write(Main, QStringLiteral("meas_distance"), twoDecimals(distance));
        break;
    }
}

void MeasurementSetMenu::initMeasurementSetMenu() { emissivityTimer->start(1000); }

void MeasurementSetMenu::initMeasurementsOfEmissivity()
{
    emit updateEmissivityForThermalCamera(emissivity);
    updateParameter(Item::Emissivity, 0);
}

void MeasurementSetMenu::initMeasurementsOfTemp()
{
    emit updateTempForThermalCamera(temprature_c);
    updateParameter(Item::Temperature, 0);
}

void MeasurementSetMenu::initMeasurementsOfDistance()
{
    emit updateDistanceForThermalCamera(distance);
    updateParameter(Item::Distance, 0);
}

void MeasurementSetMenu::calTempForMeasurementSetMenu()
{
    emissivity = 1.0f;
    emissivityTimer->start(5000);
}

void MeasurementSetMenu::calTempDefaultForMeasurementSetMenu()
{
    emissivity = kDefaultEmissivity;
    emissivityTimer->start(1000);
}

void MeasurementSetMenu::factoryResetForMeasurementSetMenu()
{
    emissivity = kDefaultEmissivity;
    temprature_c = kDefaultAmbientC;
    temprature_f = kDefaultAmbientF;
    distance = kDefaultDistance;
    emissivityTimer->start(1000);
    QTimer::singleShot(2000, this, &MeasurementSetMenu::initMeasurementsOfTemp);
    QTimer::singleShot(3000, this, &MeasurementSetMenu::initMeasurementsOfDistance);
}
