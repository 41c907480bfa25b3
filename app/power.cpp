// Power, battery and device health: the board's GPIO lines, the battery icon
// and the low-battery power-off, the charger lines, the idle power-off and the
// board and processor temperatures.
#include "app/norvik7.h"

#include "core/placement.h"
#include "app/boardcommands.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/power.h"
#include "app/powerrules.h"
#include "board/board.h"
#include "liveview/viewstate.h"

#include <QDebug>
#include <QLabel>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>

#include <cstdio>
#include <unistd.h>

PowerState powerState;
static int stat1 = 0;                    // last value of charger status line A (GPIO 6)
static int stat2 = 0;                    // last value of charger status line B (GPIO 7)
static int chargr_pic = 0;               // frame of the charging animation, 0..5
static float internal_cpu_temp = 0.0f;   // processor temperature, degrees Celsius

namespace power {
void resetState()
{
    powerState = PowerState();
    stat1 = 0;
    stat2 = 0;
    chargr_pic = 0;
    internal_cpu_temp = 0.0f;
}
}   // namespace power

namespace {

// Reads a small sysfs file the way the board driver expects: one read of up to
// `max` bytes, the file closed again whatever happens. False when it cannot be
// opened; a failed read writes "read fail!" and gives an empty text.
bool readSysfs(const char *boardPath, int max, QByteArray *text, int *fdSlot = nullptr)
{
    const int fd = board::openDevice(QString::fromLatin1(boardPath), false);
    if (fdSlot)
        *fdSlot = fd;
    if (fd < 0)
        return false;
    QByteArray buf(max, '\0');
    const ssize_t n = ::read(fd, buf.data(), static_cast<size_t>(max));
    if (n < 0) {
        std::printf("read fail!\n");
        text->clear();
    } else {
        *text = buf.left(static_cast<int>(n));
    }
    board::closeFd(fd);
    if (fdSlot)
        *fdSlot = -1;
    return true;
}

}   // namespace

void Norvik7::setupPower()
{
    power::resetState();
    connect(autoPowerOffSetSubMenu, &AutoPowerOffSetSubMenu::updateAutoPowerOffSet, this, &Norvik7::resetPowerOffCount);
    lowBatterySplashTimer = new QTimer(this);
    lowBatterySplashTimer->setSingleShot(true);
    lowBatterySplashTimer->setInterval(2000);
    connect(lowBatterySplashTimer, &QTimer::timeout, this, [this] {
        if (lowBatterySplash)
            lowBatterySplash->close();
        if (lowBatteryTextSplash)
            lowBatteryTextSplash->close();
    });
    batteryCapacityUpdate();
}

// ---- GPIO ---------------------------------------------------------------------------

void Norvik7::gpio_set_value(int fd, int line, int value) { board::gpioSet(fd, line, value); }

int Norvik7::gpio_get_value(int fd, int line) { return board::gpioGet(fd, line); }

// ---- battery ----------------------------------------------------------------------

double Norvik7::bcReadyRead()
{
    QByteArray text;
    if (!readSysfs(power::kBatteryAdc, 20, &text, &adcFd))
        return 0.0;
    if (text.isEmpty())
        return 0.0;
    return power::adcCountToVolts(power::parseDecimal(text));
}

void Norvik7::batteryCapacityUpdate()
{
    if (powerState.usbCharge) {
        chargingLabel->show();
        BatteryCapacityLabel->hide();
        chargr_pic = power::nextChargingFrame(chargr_pic);
        chargingLabel->setStyleSheet(power::chargingFrameStyle(chargr_pic));
        powerState.lowPowerCnt = 0;
        return;
    }
    chargr_pic = 0;
    double sum = 0.0;
    for (int i = 0; i < power::kReadingsPerLevel; ++i)
        sum += bcReadyRead();
    const double v = sum / power::kReadingsPerLevel;

    if (v < power::kLowVolts)
        std::printf("Voltage: %.3f\n", v);
    else
        powerState.lowPowerCnt = 0;

    // A style sheet set again, even the same, makes Qt style the label anew:
    // every two seconds for a level that seldom changes.
    const int level = power::batteryLevel(v);
    if (level != power::kNoLevel) {
        const QString style = power::batteryLevelStyle(level);
        if (BatteryCapacityLabel->styleSheet() != style)
            BatteryCapacityLabel->setStyleSheet(style);
    }

    if (power::isLowBattery(v) && isVisible()) {
        ++powerState.lowPowerCnt;
        showLowBatteryWarning();
        if (powerState.lowPowerCnt >= power::kLowReadingsToPowerOff) {
            std::printf("Battery Capacity is %.2f. Low battery. Power off.\n", v);
            viewState.setImageEnable.store(false);
            gpio_set_value(gpioFd, power::kLineAlarm, 0);
            gpio_set_value(gpioFd, power::kLinePowerOff, 1);
            boardcommands::runAll(boardcommands::lowBatteryPowerOff());
        }
    }
    chargingLabel->hide();
    BatteryCapacityLabel->show();
}

void Norvik7::showLowBatteryWarning()
{
    if (!lowBatterySplash) {
        const QPixmap alert = QPixmap(QStringLiteral(":/images/battery-alert.png"))
                                  .scaled(120, 160, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        lowBatterySplash = new QSplashScreen(alert);
        lowBatterySplash->setObjectName(QStringLiteral("lowBatterySplash"));
        QPixmap panel(120, 32);
        panel.fill(QColor(58, 58, 58, 128));
        lowBatteryTextSplash = new QSplashScreen(panel);
        lowBatteryTextSplash->setObjectName(QStringLiteral("lowBatteryTextSplash"));
        lowBatteryTextSplash->setStyleSheet(
            QStringLiteral("background-color: rgba(58, 58, 58, 50%);\nborder-color: rgb(255, 255, 255);\n"));
        // The splashes are windows of their own: they go with the main window.
        connect(this, &QObject::destroyed, lowBatterySplash, &QObject::deleteLater);
        connect(this, &QObject::destroyed, lowBatteryTextSplash, &QObject::deleteLater);
    }
    placement::placeOnScreen(lowBatterySplash, 60, 96);
    placement::placeOnScreen(lowBatteryTextSplash, 60, 256);
    lowBatterySplash->show();
    lowBatteryTextSplash->show();
    lowBatteryTextSplash->showMessage(tr("Low battery!"), Qt::AlignCenter, Qt::white);
    lowBatterySplashTimer->start();
}

// ---- charger ----------------------------------------------------------------------

void Norvik7::usbChargeStatusCheck()
{
    stat1 = gpio_get_value(gpioFd, power::kLineChargerA);
    stat2 = gpio_get_value(gpioFd, power::kLineChargerB);
    if (power::isCharging(stat1, stat2)) {
        powerState.usbCharge = true;
        chargingLabel->show();
        BatteryCapacityLabel->hide();
        powerState.lowPowerCnt = 0;
        return;
    }
    powerState.usbCharge = false;
    chargingLabel->hide();
    if (BatteryCapacityLabel->isHidden())
        batteryCapacityUpdate();
}

// ---- auto power-off ------------------------------------------------------------------

void Norvik7::autoPowerOffCheck()
{
    const int choice = autoPowerOffChoice();
    if (choice == power::kAutoPowerOffOff)
        return;
    ++powerState.powerOffCount;
    const int limit = power::autoPowerOffLimitSeconds(choice);
    if (limit > 0 && powerState.powerOffCount >= limit) {
        std::printf("%s\n", qPrintable(power::autoPowerOffMessage(choice)));
        powerOffNow();
    }
}

void Norvik7::resetPowerOffCount()
{
    powerState.powerOffCount = 0;
    std::printf("powerOffCount = 0\n");
}

void Norvik7::powerOffNow()
{
    gpio_set_value(gpioFd, power::kLineAlarm, 0);
    viewState.setImageEnable.store(false);
    gpio_set_value(gpioFd, power::kLinePowerOff, 1);
    runShutdownSequence();
}

void Norvik7::autoPowerOff() { powerOffNow(); }

void Norvik7::runShutdownSequence() { autoPowerOffSetSubMenu->autoPowerOffCmd(); }

int Norvik7::autoPowerOffChoice() const { return autoPowerOffSetSubMenu->checkedIndex(); }

// ---- temperatures --------------------------------------------------------------------

float Norvik7::tmp112Read()
{
    QByteArray text;
    powerState.internal_temp =
        readSysfs(power::kBoardTemperature, 20, &text) ? power::milliCelsiusToCelsius(text) : 0.0f;
    return powerState.internal_temp;
}

float Norvik7::cpuInternalTempRead()
{
    QByteArray text;
    internal_cpu_temp = readSysfs(power::kCpuTemperature, 20, &text) ? power::milliCelsiusToCelsius(text) : 0.0f;
    if (power::isCpuTooHot(internal_cpu_temp) && cautionLabel->isHidden()) {
        cautionLabel->setText(cautionText());
        cautionLabel->show();
        cautionLabel->raise();
        QTimer::singleShot(overTemperatureGraceMs, this, &Norvik7::autoPowerOff);
    }
    return internal_cpu_temp;
}
