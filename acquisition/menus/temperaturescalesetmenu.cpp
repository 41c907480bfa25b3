#include "acquisition/menus/temperaturescalesetmenu.h"

#include "acquisition/acquisitionstate.h"

#include <QColor>
#include <QLabel>
#include <QPixmap>
#include <QSplashScreen>
#include <QTimer>

static bool temperatureScaleSetMenuEnabled = true;

namespace {
// The stored texts in button order: "Low gain" first.
const config::Choice kGain{"temperature_scale", {QStringLiteral("low_gain"), QStringLiteral("high_gain")}, 1, true};
const char *const kWaitingStyle = "background-color: rgba(255, 255, 255, 50%);\nborder-color: rgb(255, 255, 255);\n";
}   // namespace

TemperatureScaleSetMenu::TemperatureScaleSetMenu(QMainWindow *parent)
    : Screen(&temperatureScaleSetMenuEnabled, Setting{config::Main, kGain, 1}, parent)
{
    bindChoices(this, {radioButton, radioButton_2},
                {&TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn2,
                 &TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn3});

    gainSwitchSplash = new QSplashScreen(
        QPixmap(QStringLiteral(":/images/shalou.png")).scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    gainSwitchSplash->setGeometry(88, 128, 64, 64);
    QPixmap box(128, 32);
    box.fill(QColor(255, 255, 255, 128));
    gainSwitchTextSplash = new QSplashScreen(box);
    gainSwitchTextSplash->setGeometry(56, 197, 128, 32);
    gainSwitchTextSplash->setStyleSheet(QString::fromLatin1(kWaitingStyle));
}

TemperatureScaleSetMenu::~TemperatureScaleSetMenu()
{
    delete gainSwitchSplash;
    delete gainSwitchTextSplash;
}

unsigned char TemperatureScaleSetMenu::storedChoice() const { return acqState.temperature_scale.load(); }

void TemperatureScaleSetMenu::startupChoice(int index)
{
    acqState.temperature_scale.store(static_cast<uint8_t>(index));
}

void TemperatureScaleSetMenu::temperatureScaleSetMenuEnable()
{
    // The calibration page may have toggled the gain meanwhile: open on the
    // gain in use.
    if (isHidden()) {
        const int index = storedChoice() == 0 ? 0 : 1;
        buttons()[index]->setChecked(true);
        buttons()[1 - index]->setChecked(false);
    }
    toggle();
}

void TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn2() { choose(0); }
void TemperatureScaleSetMenu::updateTemperatureScaleSetMenuRbtn3() { choose(1); }

void TemperatureScaleSetMenu::settingChanged()
{
    // Choosing the gain already in use changes nothing.
    if (checkedIndex() == storedChoice())
        return;
    updateTemperatureScaleSetMenu();
    showGainSwitchTips();
}

void TemperatureScaleSetMenu::updateTemperatureScaleSetMenu()
{
    const int index = checkedIndex();
    if (index < 0)
        return;
    storeChecked();
    acqState.temperature_scale.store(static_cast<uint8_t>(index));
    emit updateTempScale(storedChoice());
}

void TemperatureScaleSetMenu::showGainSwitchTips()
{
    temperatureScaleSwitchDone = false;
    gainSwitchTextSplash->showMessage(tr("Waiting..."), Qt::AlignCenter, Qt::white);
    gainSwitchSplash->show();
    gainSwitchTextSplash->show();
    gainSwitchSplash->raise();
    gainSwitchTextSplash->raise();
    QTimer::singleShot(kSwitchSettleMs, this, [this] {
        gainSwitchSplash->hide();
        gainSwitchTextSplash->hide();
        setTemperatureScaleSwitchStatus();
    });
}

void TemperatureScaleSetMenu::setTemperatureScaleSwitchStatus() { temperatureScaleSwitchDone = true; }

void TemperatureScaleSetMenu::retranslate()
{
    Screen::retranslate();
    if (gainSwitchTextSplash && gainSwitchTextSplash->isVisible())
        gainSwitchTextSplash->showMessage(tr("Waiting..."), Qt::AlignCenter, Qt::white);
}

void TemperatureScaleSetMenu::factoryResetForTemperatureScaleSetMenu()
{
    acqState.temperature_scale.store(1);
    radioButton->setChecked(false);
    radioButton_2->setChecked(true);
    updateTemperatureScaleSetMenu();
}
