// Power, battery and health on a simulated board: the battery icon and the
// low-battery power-off, the charger lines, the idle power-off and the
// over-temperature shutdown, seen through the board's files, lines and command log.
#include "app/boardcommands.h"
#include "app/menus/autopoweroffsetsubmenu.h"
#include "app/power.h"
#include "common/livedevice.h"

#include <QSplashScreen>

namespace {

const QString kAdc = QStringLiteral("/sys/bus/iio/devices/iio:device0/in_voltage7_raw");
const QString kCpu = QStringLiteral("/sys/devices/virtual/thermal/thermal_zone0/temp");

// ADC count for a voltage, rounded up so that the reading is not below it;
// `offset` -1 gives the count just under it.
QByteArray adcFor(double volts, int offset = 0)
{
    return QByteArray::number(static_cast<int>(std::ceil(volts / 4.2 * 4096)) + offset);
}

struct Device : LiveDevice {
    // Shown unless `booting`; the slots are driven by the test, not by the clock.
    explicit Device(const QString &autoPowerOff = QString(), bool booting = false)
        : LiveDevice([&](TestBoard &) {
              if (!autoPowerOff.isEmpty())
                  config::write(config::Main, QStringLiteral("auto_power_off"), autoPowerOff);
          })
    {
        board.clearCommands();
        viewState.setImageEnable.store(true);
        w->setVisible(!booting);
        setLine(1, 1);
    }
    void setBattery(double volts) const { board.write(kAdc, adcFor(volts) + '\n'); }
    void setLine(int line, int v) const
    {
        board.write(QStringLiteral("/sim/gpio/%1").arg(line), QByteArray::number(v));
    }
    QByteArray line(int n) const { return board.read(QStringLiteral("/sim/gpio/%1").arg(n)).trimmed(); }
    void readBattery(int times = 1) const
    {
        for (int i = 0; i < times; ++i)
            w->batteryCapacityUpdate();
    }
    // The power-off sequence ran once: the command log, the power line low, the alarm line high.
    void verifyPoweredOff(const QStringList &commands) const
    {
        QCOMPARE(board.halts(), 1);
        QCOMPARE(board.commands(), commands);
        QCOMPARE(line(1) + line(5), QByteArray("01"));
        QVERIFY(!viewState.setImageEnable.load());
    }
};

QString levelStyle(int n) { return QStringLiteral("border-image: url(:/images/battery/battery_%1.png);").arg(n); }

}   // namespace

class TestPower : public QObject {
    Q_OBJECT
private slots:
    void levelIconFromTheAdc_data()
    {
        QTest::addColumn<QByteArray>("adc");
        QTest::addColumn<int>("level");   // -1: the icon is left as it was
        QTest::addColumn<bool>("low");
        QTest::addColumn<bool>("booting");
        // 3375 counts are 3.4607 V, 3374 are 3.4597 V.
        QTest::newRow("3375: level 5") << QByteArray("3375") << 5 << false << false;
        QTest::newRow("3374: level 4") << QByteArray("3374") << 4 << false << false;
        QTest::newRow("3.28 V") << adcFor(3.28) << 4 << false << false;
        QTest::newRow("just under 3.28 V") << adcFor(3.28, -1) << 3 << false << false;
        QTest::newRow("just under 3.01 V") << adcFor(3.01, -1) << 2 << false << false;
        QTest::newRow("just under 2.83 V") << adcFor(2.83, -1) << 1 << false << false;
        QTest::newRow("2.65 V: no warning") << adcFor(2.65) << 1 << false << false;
        QTest::newRow("just under 2.65 V") << adcFor(2.65, -1) << 0 << true << false;
        QTest::newRow("while booting: no count") << adcFor(2.5) << 0 << false << true;
        QTest::newRow("1951: just over 2 V") << QByteArray("1951") << 0 << true << false;
        QTest::newRow("1950: no reading") << QByteArray("1950") << -1 << false << false;
        QTest::newRow("blank first") << QByteArray("  3375") << 5 << false << false;
        QTest::newRow("garbage after") << QByteArray("3374xyz") << 4 << false << false;
        QTest::newRow("not a number") << QByteArray("n/a") << -1 << false << false;
        QTest::newRow("no file") << QByteArray("none") << -1 << false << false;
    }
    void levelIconFromTheAdc()
    {
        QFETCH(QByteArray, adc);
        QFETCH(int, level);
        QFETCH(bool, low);
        QFETCH(bool, booting);
        Device d({}, booting);
        d.w->BatteryCapacityLabel->setStyleSheet(QString());
        adc == "none" ? d.board.remove(kAdc) : d.board.write(kAdc, adc + '\n');
        // No reading (0 V or below 2 V), even four times: the icon untouched, no count, no power-off.
        d.readBattery(level < 0 || booting ? 4 : 1);
        QCOMPARE(d.w->BatteryCapacityLabel->styleSheet(), level < 0 ? QString() : levelStyle(level));
        QCOMPARE(powerState.lowPowerCnt, low ? 1 : 0);
        QCOMPARE(d.board.halts(), 0);
        QVERIFY(!d.w->lowBatterySplash || d.w->lowBatterySplash->isVisible() == low);
        QCOMPARE(d.w->adcFd, -1);   // closed after every reading
    }

    void threeLowReadingsInARowPowerOff()
    {
        Device d;
        d.setBattery(2.5);
        d.readBattery(2);
        // A good reading in between starts the count again.
        d.setBattery(2.7);
        d.readBattery();
        QCOMPARE(powerState.lowPowerCnt, 0);
        d.setBattery(2.5);
        d.readBattery(2);
        QCOMPARE(d.board.halts(), 0);
        QVERIFY(d.w->lowBatterySplash->isVisible() && d.w->lowBatteryTextSplash->isVisible());
        QVERIFY(d.board.commands().isEmpty());
        d.readBattery();
        d.verifyPoweredOff(boardcommands::lowBatteryPowerOff());
        // The warning goes away by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!d.w->lowBatterySplash->isVisible(), 5000);
    }

    void chargerLinesSwapTheIcons()
    {
        Device d;
        d.setBattery(2.5);
        d.readBattery();
        QCOMPARE(powerState.lowPowerCnt, 1);
        // Only A high with B low is charging; while charging a low battery never powers off.
        for (const auto &[a, b, charging] : {std::tuple{1, 1, false}, {0, 1, false}, {1, 0, true}}) {
            d.setLine(6, a);
            d.setLine(7, b);
            d.w->usbChargeStatusCheck();
            QCOMPARE(powerState.usbCharge, charging);
            QCOMPARE(d.w->chargingLabel->isVisible(), charging);
            QCOMPARE(d.w->BatteryCapacityLabel->isVisible(), !charging);
        }
        QCOMPARE(powerState.lowPowerCnt, 0);
        QStringList frames, expected;   // the charging animation
        for (int n : {1, 2, 3, 4, 5, 0}) {
            d.readBattery();
            frames << d.w->chargingLabel->styleSheet();
            expected << QStringLiteral("border-image: url(:/images/battery/charge_%1.png);").arg(n);
        }
        QCOMPARE(frames, expected);
        QCOMPARE(d.board.halts(), 0);
        // Unplugged: the level icon is back at once, not at the next 2 s reading.
        d.setBattery(3.9);
        d.setLine(6, 0);
        d.w->usbChargeStatusCheck();
        QVERIFY(d.w->BatteryCapacityLabel->isVisible());
        QCOMPARE(d.w->BatteryCapacityLabel->styleSheet(), levelStyle(5));
    }

    void autoPowerOff_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<int>("limit");      // 0: never
        QTest::addColumn<int>("changeTo");   // the screen's choice made one check short of the limit; -1: none
        QTest::newRow("5 Minutes") << "5Minutes" << 300 << -1;
        QTest::newRow("30 Minutes") << "30Minutes" << 1800 << -1;
        QTest::newRow("unknown text: 30 Minutes") << "7Minutes" << 1800 << -1;
        QTest::newRow("Off") << "Off" << 0 << -1;
        QTest::newRow("10 Minutes chosen: the count starts again") << "5Minutes" << 600 << 1;
    }
    void autoPowerOff()
    {
        QFETCH(QString, stored);
        QFETCH(int, limit);
        QFETCH(int, changeTo);
        Device d(stored);
        if (changeTo >= 0) {
            for (int i = 1; i < 300; ++i)
                d.w->autoPowerOffCheck();
            d.w->autoPowerOffSetSubMenu->buttons()[changeTo]->click();
        }
        for (int i = 1; i < (limit ? limit : 2000); ++i)
            d.w->autoPowerOffCheck();
        QCOMPARE(d.board.halts(), 0);
        QVERIFY(limit || d.board.commands().isEmpty());
        if (!limit)
            return;
        d.w->autoPowerOffCheck();
        d.verifyPoweredOff(boardcommands::shutdownSequence());
    }

    void overTemperatureWarnsThenPowersOff()
    {
        Device d;
        d.w->overTemperatureGraceMs = 200;   // 20 s on the device
        d.board.write(kCpu, "83000\n");      // not above the limit
        d.w->cpuInternalTempRead();
        QVERIFY(d.w->cautionLabel->isHidden());
        d.board.write(kCpu, "83001\n");
        QCOMPARE(d.w->cpuInternalTempRead(), 83.001f);
        QVERIFY(d.w->cautionLabel->isVisible());
        QCOMPARE(d.board.halts(), 0);
        // A cooler reading meanwhile changes nothing; a second hot one starts no second power-off.
        for (const char *t : {"40000\n", "90000\n"}) {
            d.board.write(kCpu, t);
            d.w->cpuInternalTempRead();
        }
        QVERIFY(d.w->cautionLabel->isVisible());
        QTRY_COMPARE_WITH_TIMEOUT(d.board.halts(), 1, 5000);
        QCOMPARE(d.board.commands(), boardcommands::shutdownSequence());
        QCOMPARE(d.line(5), QByteArray("1"));
        QTest::qWait(400);
        QCOMPARE(d.board.halts(), 1);
    }

    void boardTemperature()
    {
        Device d;
        const QString p = QStringLiteral("/sys/bus/i2c/devices/i2c-0/0-0049/temp1_input");
        d.board.write(p, "-1500\n");
        QCOMPARE(d.w->tmp112Read(), -1.5f);
        QCOMPARE(powerState.internal_temp, -1.5f);
        d.board.remove(p);
        QCOMPARE(d.w->tmp112Read(), 0.0f);
        QCOMPARE(powerState.internal_temp, 0.0f);
    }
};

QTEST_MAIN(TestPower)
#include "tst_power.moc"
