#include "settings/menus/factoryresetsetmenu.h"

#include "acquisition/acquisitionstate.h"
#include "core/logging.h"
#include "settings/maintenance.h"
#include "settings/menus/progresssplash.h"

#include <QDebug>
#include <QTimer>

static bool factoryResetSetMenuEnabled = true;

FactoryResetSetMenu::FactoryResetSetMenu(QMainWindow *parent)
    : Screen(&factoryResetSetMenuEnabled,
             Setting{config::Main,
                     {"factory_reset", {QStringLiteral("Yes"), QStringLiteral("No")}, 1, true},
                     1,
                     Start::Default},
             parent),
      m_splash(new ProgressSplash(this))
{
    bindChoices(
        this, {radioButton, radioButton_2},
        {&FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn1, &FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn2});
}

void FactoryResetSetMenu::factoryResetSetMenuEnable()
{
    if (isHidden())
        checkDefault();
    toggle();
}

void FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn1() { choose(0); }
void FactoryResetSetMenu::factoryResetSetMenuUpdateRbtn2() { choose(1); }
void FactoryResetSetMenu::setFactoryRestDoneStatus()
{
    factoryResetDone = true;
    checkDefault();
}
void FactoryResetSetMenu::factoryResetSetMenuAutoUpdate() { refocusChecked(); }

void FactoryResetSetMenu::updateFactoryResetSetting()
{
    // Only "No" is ever stored: a reset is an action, not a setting.
    if (checkedIndex() != 0) {
        config::write(config::Main, QStringLiteral("factory_reset"), QStringLiteral("No"));
        return;
    }
    if (!factoryResetDone)
        return;
    radioButton->setChecked(true);
    factoryReset();
}

void FactoryResetSetMenu::factoryReset()
{
    if (!factoryResetDone)
        return;
    qCDebug(lcSettings) << "Factory reset ...";
    const bool highGain = acqState.temperature_scale.load() == 1;
    emit factoryResetForSystem();
    factoryResetDone = false;
    // After the menus' own writes, so that the factory values win.
    maintenance::writeFactoryValues();
    const int splashMs = maintenance::resetSplashMs(highGain);
    m_splash->show(QString::fromLatin1(ProgressSplash::kHourglass), tr("Resetting..."), splashMs);
    QTimer::singleShot(splashMs + maintenance::kDoneAfterSplashMs, this,
                       &FactoryResetSetMenu::setFactoryRestDoneStatus);
}
