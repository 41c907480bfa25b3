// Power, battery and health on a simulated board: the battery icon and the
// low-battery power-off, the charger lines, the idle power-off and the
// over-temperature shutdown, seen through the board's files, lines and command log.
#include "app/boardcommands.h"
#include "app/config.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/norvik7.h"
#include "app/power.h"
#include "liveview/viewstate.h"
#include "common/testboard.h"

#include <QDir>
#include <QLabel>
#include <QPainter>
#include <QSplashScreen>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

// ADC count for a voltage, rounded up so that the reading is not below it.
QByteArray adcFor(double volts) { return QByteArray::number(static_cast<int>(std::ceil(volts / 4.2 * 4096))); }

struct Device {
    TestBoard board;
    std::unique_ptr<Norvik7> w;

    explicit Device(const QString &autoPowerOff = QString())
    {
        if (!autoPowerOff.isEmpty())
            config::write(config::Main, QStringLiteral("auto_power_off"), autoPowerOff);
        w = std::make_unique<Norvik7>();
        // The slots are driven by the test, not by the clock.
        for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
            t->stop();
        board.clearCommands();
        setImageEnable.store(true);
    }
    void setBattery(double volts) const { board.write(QStringLiteral("/sys/bus/iio/devices/iio:device0/in_voltage7_raw"), adcFor(volts) + '\n'); }
    void setLine(int line, int v) const { board.write(QStringLiteral("/sim/gpio/%1").arg(line), QByteArray::number(v)); }
    QByteArray line(int n) const { return board.read(QStringLiteral("/sim/gpio/%1").arg(n)).trimmed(); }
    QString batteryStyle() const { return w->BatteryCapacityLabel->styleSheet(); }
};

QString levelStyle(int n) { return QStringLiteral("border-image: url(:/images/battery/battery_%1.png);").arg(n); }

}  // namespace

class TestPower : public QObject {
    Q_OBJECT
private slots:
    void levelIconFromTheAdc_data();
    void levelIconFromTheAdc();
    void noReadingLeavesTheIcon();
    void threeLowReadingsPowerOff();
    void goodReadingInBetweenRestartsTheCount();
    void lowBatteryDuringBootNeitherWarnsNorCounts();
    void chargerLinesSwapTheIcons();
    void chargingAnimationSteps();
    void autoPowerOffAtEachLimit_data();
    void autoPowerOffAtEachLimit();
    void autoPowerOffNeverWithOff();
    void settingChangeRestartsTheCount();
    void overTemperatureWarnsThenPowersOff();
    void boardTemperature_data();
    void boardTemperature();
    void warningsOnScreen();
};

void TestPower::levelIconFromTheAdc_data()
{
    QTest::addColumn<QByteArray>("adc");
    QTest::addColumn<int>("level");
    // 3375 counts are 3.4607 V, 3374 are 3.4597 V.
    QTest::newRow("3375: level 5") << QByteArray("3375") << 5;
    QTest::newRow("3374: level 4") << QByteArray("3374") << 4;
    QTest::newRow("nominal 3803") << QByteArray("3803") << 5;
    QTest::newRow("3.1 V") << adcFor(3.1) << 3;
    QTest::newRow("2.9 V") << adcFor(2.9) << 2;
    QTest::newRow("2.65 V") << adcFor(2.65) << 1;
}

void TestPower::levelIconFromTheAdc()
{
    QFETCH(QByteArray, adc);
    QFETCH(int, level);
    Device d;
    d.w->BatteryCapacityLabel->setStyleSheet(QString());
    d.board.write(QStringLiteral("/sys/bus/iio/devices/iio:device0/in_voltage7_raw"), adc + '\n');
    d.w->batteryCapacityUpdate();
    QCOMPARE(d.batteryStyle(), levelStyle(level));
    QVERIFY(!d.w->BatteryCapacityLabel->isHidden());
    QCOMPARE(d.w->adcFd, -1);   // closed after every reading
}

void TestPower::noReadingLeavesTheIcon()
{
    Device d;
    d.w->show();
    d.setBattery(3.1);
    d.w->batteryCapacityUpdate();
    QCOMPARE(d.batteryStyle(), levelStyle(3));
    // An unreadable ADC file reads 0 V: no icon change and never a power-off.
    d.board.remove(QStringLiteral("/sys/bus/iio/devices/iio:device0/in_voltage7_raw"));
    for (int i = 0; i < 5; ++i)
        d.w->batteryCapacityUpdate();
    QCOMPARE(d.batteryStyle(), levelStyle(3));
    QCOMPARE(d.board.halts(), 0);
    QCOMPARE(lowPowerCnt, 0);
}

void TestPower::threeLowReadingsPowerOff()
{
    Device d;
    d.w->show();
    d.setLine(1, 1);
    d.setBattery(2.5);
    d.w->batteryCapacityUpdate();
    d.w->batteryCapacityUpdate();
    QCOMPARE(lowPowerCnt, 2);
    QCOMPARE(d.board.halts(), 0);
    QVERIFY(d.w->lowBatterySplash && d.w->lowBatterySplash->isVisible());
    QVERIFY(d.w->lowBatteryTextSplash->isVisible());
    QCOMPARE(d.w->lowBatterySplash->geometry(), QRect(60, 96, 120, 160));
    QCOMPARE(d.w->lowBatteryTextSplash->geometry(), QRect(60, 256, 120, 32));
    QCOMPARE(d.batteryStyle(), levelStyle(0));
    QVERIFY(d.board.commands().isEmpty());

    d.w->batteryCapacityUpdate();
    QCOMPARE(d.board.halts(), 1);
    QCOMPARE(d.board.commands(), boardcommands::lowBatteryPowerOff());
    QCOMPARE(d.line(1), QByteArray("0"));
    QCOMPARE(d.line(5), QByteArray("1"));
    QVERIFY(!setImageEnable.load());
    // The warning goes away by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!d.w->lowBatterySplash->isVisible(), 5000);
}

void TestPower::goodReadingInBetweenRestartsTheCount()
{
    Device d;
    d.w->show();
    d.setBattery(2.5);
    d.w->batteryCapacityUpdate();
    d.w->batteryCapacityUpdate();
    d.setBattery(2.7);
    d.w->batteryCapacityUpdate();
    QCOMPARE(lowPowerCnt, 0);
    d.setBattery(2.5);
    d.w->batteryCapacityUpdate();
    d.w->batteryCapacityUpdate();
    QCOMPARE(d.board.halts(), 0);
    d.w->batteryCapacityUpdate();
    QCOMPARE(d.board.halts(), 1);
}

void TestPower::lowBatteryDuringBootNeitherWarnsNorCounts()
{
    Device d;   // the main window stays hidden, as while booting
    d.setBattery(2.5);
    for (int i = 0; i < 4; ++i)
        d.w->batteryCapacityUpdate();
    QCOMPARE(lowPowerCnt, 0);
    QCOMPARE(d.board.halts(), 0);
    QVERIFY(!d.w->lowBatterySplash || !d.w->lowBatterySplash->isVisible());
    QCOMPARE(d.batteryStyle(), levelStyle(0));
}

void TestPower::chargerLinesSwapTheIcons()
{
    Device d;
    d.w->show();
    d.setBattery(2.5);
    d.w->batteryCapacityUpdate();
    QCOMPARE(lowPowerCnt, 1);

    d.setLine(6, 1);
    d.setLine(7, 0);
    d.w->usbChargeStatusCheck();
    QVERIFY(usbCharge);
    QVERIFY(d.w->chargingLabel->isVisible());
    QVERIFY(!d.w->BatteryCapacityLabel->isVisible());
    QCOMPARE(lowPowerCnt, 0);
    // While charging a low battery never powers off.
    for (int i = 0; i < 4; ++i)
        d.w->batteryCapacityUpdate();
    QCOMPARE(d.board.halts(), 0);

    // Unplugged: the level icon is back at once, not at the next 2 s reading.
    d.setBattery(3.9);
    d.setLine(6, 0);
    d.w->usbChargeStatusCheck();
    QVERIFY(!usbCharge);
    QVERIFY(!d.w->chargingLabel->isVisible());
    QVERIFY(d.w->BatteryCapacityLabel->isVisible());
    QCOMPARE(d.batteryStyle(), levelStyle(5));

    // Both lines high is not charging either.
    d.setLine(6, 1);
    d.setLine(7, 1);
    d.w->usbChargeStatusCheck();
    QVERIFY(!usbCharge);
    QVERIFY(d.w->BatteryCapacityLabel->isVisible());
}

void TestPower::chargingAnimationSteps()
{
    Device d;
    d.w->show();
    d.setLine(6, 1);
    d.w->usbChargeStatusCheck();
    QStringList frames;
    for (int i = 0; i < 7; ++i) {
        d.w->batteryCapacityUpdate();
        frames << d.w->chargingLabel->styleSheet();
    }
    QStringList expected;
    for (int n : {1, 2, 3, 4, 5, 0, 1})
        expected << QStringLiteral("border-image: url(:/images/battery/charge_%1.png);").arg(n);
    QCOMPARE(frames, expected);
}

void TestPower::autoPowerOffAtEachLimit_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("limit");
    QTest::newRow("5 Minutes") << "5Minutes" << 300;
    QTest::newRow("10 Minutes") << "10Minutes" << 600;
    QTest::newRow("30 Minutes") << "30Minutes" << 1800;
    QTest::newRow("unknown text: 30 Minutes") << "7Minutes" << 1800;
}

void TestPower::autoPowerOffAtEachLimit()
{
    QFETCH(QString, stored);
    QFETCH(int, limit);
    Device d(stored);
    d.w->show();
    d.setLine(1, 1);
    for (int i = 1; i < limit; ++i)
        d.w->autoPowerOffCheck();
    QCOMPARE(powerOffCount, limit - 1);
    QCOMPARE(d.board.halts(), 0);
    d.w->autoPowerOffCheck();
    QCOMPARE(d.board.halts(), 1);
    QCOMPARE(d.board.commands(), boardcommands::shutdownSequence());
    QCOMPARE(d.line(1), QByteArray("0"));
    QCOMPARE(d.line(5), QByteArray("1"));
    QVERIFY(!setImageEnable.load());
}

void TestPower::autoPowerOffNeverWithOff()
{
    Device d(QStringLiteral("Off"));
    d.w->show();
    powerOffCount = 17;
    for (int i = 0; i < 2000; ++i)
        d.w->autoPowerOffCheck();
    QCOMPARE(powerOffCount, 17);
    QCOMPARE(d.board.halts(), 0);
    QVERIFY(d.board.commands().isEmpty());
}

void TestPower::settingChangeRestartsTheCount()
{
    Device d(QStringLiteral("5Minutes"));
    for (int i = 0; i < 299; ++i)
        d.w->autoPowerOffCheck();
    // Choosing "10 Minutes" on the screen starts the count again.
    d.w->autoPowerOffSetSubMenu->buttons()[1]->click();
    QCOMPARE(powerOffCount, 0);
    for (int i = 0; i < 599; ++i)
        d.w->autoPowerOffCheck();
    QCOMPARE(d.board.halts(), 0);
    d.w->autoPowerOffCheck();
    QCOMPARE(d.board.halts(), 1);
}

void TestPower::overTemperatureWarnsThenPowersOff()
{
    Device d;
    d.w->show();
    QCOMPARE(d.w->overTemperatureGraceMs, 20000);   // the product waits 20 s
    d.w->overTemperatureGraceMs = 200;
    const QString cpu = QStringLiteral("/sys/devices/virtual/thermal/thermal_zone0/temp");

    d.board.write(cpu, "83000\n");
    d.w->cpuInternalTempRead();
    QVERIFY(d.w->cautionLabel->isHidden());

    d.board.write(cpu, "85500\n");
    QCOMPARE(d.w->cpuInternalTempRead(), 85.5f);
    QVERIFY(d.w->cautionLabel->isVisible());
    QCOMPARE(d.board.halts(), 0);
    // A cooler reading meanwhile changes nothing; a second hot one starts no second power-off.
    d.board.write(cpu, "40000\n");
    d.w->cpuInternalTempRead();
    d.board.write(cpu, "90000\n");
    d.w->cpuInternalTempRead();
    QVERIFY(d.w->cautionLabel->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(d.board.halts(), 1, 5000);
    QCOMPARE(d.board.commands(), boardcommands::shutdownSequence());
    QCOMPARE(d.line(5), QByteArray("1"));
    QTest::qWait(400);
    QCOMPARE(d.board.halts(), 1);
}

void TestPower::boardTemperature_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("present");
    QTest::addColumn<float>("celsius");
    QTest::newRow("35 degrees") << QByteArray("35000\n") << true << 35.0f;
    QTest::newRow("frost") << QByteArray("-1500\n") << true << -1.5f;
    QTest::newRow("missing file") << QByteArray() << false << 0.0f;
}

void TestPower::boardTemperature()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, present);
    QFETCH(float, celsius);
    Device d;
    const QString p = QStringLiteral("/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input");
    if (present)
        d.board.write(p, file);
    else
        d.board.remove(p);
    QCOMPARE(d.w->tmp112Read(), celsius);
    QCOMPARE(internal_temp, celsius);
}

// The device screen with the power warnings over it, saved under the build
// folder to be looked at; the pictures they use must be there.
void TestPower::warningsOnScreen()
{
    Device d;
    d.w->show();
    d.setBattery(2.5);
    d.w->batteryCapacityUpdate();
    QVERIFY(!d.w->lowBatterySplash->pixmap().isNull());
    QImage screen = d.w->grab(QRect(0, 0, 240, 320)).toImage();
    {
        QPainter p(&screen);
        p.drawPixmap(60, 96, d.w->lowBatterySplash->grab());
        p.drawPixmap(60, 256, d.w->lowBatteryTextSplash->grab());
    }
    // The alert picture is drawn, not an empty frame.
    QVERIFY(screen.pixelColor(120, 200) != screen.pixelColor(5, 200));
    const QString dir = qEnvironmentVariable("NORVIK7_TEST_BUILD_DIR", QDir::currentPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    QVERIFY(screen.save(dir + QStringLiteral("/power_low_battery.png")));

    d.setLine(6, 1);
    d.w->usbChargeStatusCheck();
    d.w->batteryCapacityUpdate();
    d.board.write(QStringLiteral("/sys/devices/virtual/thermal/thermal_zone0/temp"), "90000\n");
    d.w->cpuInternalTempRead();
    QVERIFY(d.w->grab(QRect(0, 0, 240, 320)).save(dir + QStringLiteral("/power_over_temperature_charging.png")));
}

QTEST_MAIN(TestPower)
#include "tst_power.moc"
