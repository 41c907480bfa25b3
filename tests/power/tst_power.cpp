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
        board.write(QStringLiteral("/sim/gpio/1"), "1");
    }
    // The battery at this ADC count (4096 counts are 4.2 V), read `times` times.
    void readBattery(const QByteArray &adc, int times = 1) const
    {
        board.write(kAdc, adc + '\n');
        for (int i = 0; i < times; ++i)
            w->batteryCapacityUpdate();
    }
    // The power-off sequence ran once: the command log, the power line low, the alarm line high.
    void verifyPoweredOff(const QStringList &commands) const
    {
        QCOMPARE(board.commands(), commands);
        QVERIFY(board.halts() == 1 &&
                board.read("/sim/gpio/1").trimmed() + board.read("/sim/gpio/5").trimmed() == "01");
        QVERIFY(!viewState.setImageEnable.load());
    }
};

}   // namespace

class TestPower : public QObject {
    Q_OBJECT
private slots:
    // The icon level and the low count for an ADC count: 3375 counts are
    // 3.4607 V, 3374 are 3.4597 V; 3199 are 3.28 V, 2936 are 3.01 V, 2760 are
    // 2.83 V, 2585 are 2.65 V; below 2.65 V the count starts, up to 1951 (just
    // over 2 V); below that, or text that is no number, or no file, is no
    // reading: the icon untouched, no count, no power-off. While booting: no count.
    void levelIconFromTheAdc()
    {
        QStringList got;
        for (const char *adc : {"3375", "3374", "3199", "3198", "2935", "2759", "2585", "2584", "1951", "1950",
                                "  3375", "3374xyz", "n/a", "none", "booting"}) {
            Device d({}, !qstrcmp(adc, "booting"));
            d.w->BatteryCapacityLabel->setStyleSheet(QString());
            !qstrcmp(adc, "none") ? d.board.remove(kAdc) : d.readBattery(qstrcmp(adc, "booting") ? adc : "2439", 0);
            d.w->batteryCapacityUpdate();
            const QString style = d.w->BatteryCapacityLabel->styleSheet();
            got << (style.isEmpty() ? "-" : style.section("battery_", 1).left(1)) +
                    QString::number(powerState.lowPowerCnt);
            // The file closed after every reading.
            QVERIFY(d.board.halts() == 0 && d.w->adcFd == -1 &&
                    (!d.w->lowBatterySplash || d.w->lowBatterySplash->isVisible() == (powerState.lowPowerCnt > 0)));
        }
        QCOMPARE(
            got,
            (QStringList{"50", "40", "40", "30", "20", "10", "10", "01", "01", "-0", "50", "40", "-0", "-0", "00"}));
    }

    // Only A high with B low is charging; while charging a low battery never
    // powers off. Unplugged, the level icon
    // is back at once, not at the next 2 s reading. Then three low readings in
    // a row power off (a good one in between starts the count again).
    void chargerAndLowBattery()
    {
        Device d;
        d.readBattery("2439");
        QCOMPARE(powerState.lowPowerCnt, 1);
        for (const auto &[a, b, charging] : {std::tuple{1, 1, false}, {0, 1, false}, {1, 0, true}}) {
            d.board.write("/sim/gpio/6", QByteArray::number(a));
            d.board.write("/sim/gpio/7", QByteArray::number(b));
            d.w->usbChargeStatusCheck();
            QVERIFY(powerState.usbCharge == charging && d.w->chargingLabel->isVisible() == charging &&
                    d.w->BatteryCapacityLabel->isVisible() == !charging);
        }
        d.readBattery("2439", 3);   // low readings while charging count nothing
        QVERIFY(powerState.lowPowerCnt == 0 && d.board.halts() == 0);
        d.board.write(kAdc, "3804\n");
        d.board.write("/sim/gpio/6", "0");
        d.w->usbChargeStatusCheck();
        QVERIFY(d.w->BatteryCapacityLabel->isVisible() &&
                d.w->BatteryCapacityLabel->styleSheet() == "border-image: url(:/images/battery/battery_5.png);");
        d.readBattery("2439", 2);
        d.readBattery("2634");
        QCOMPARE(powerState.lowPowerCnt, 0);
        d.readBattery("2439", 2);
        QVERIFY(d.board.halts() == 0 && d.board.commands().isEmpty() && d.w->lowBatterySplash->isVisible() &&
                d.w->lowBatteryTextSplash->isVisible());
        d.w->batteryCapacityUpdate();
        d.verifyPoweredOff(boardcommands::lowBatteryPowerOff());
        // The warning goes away by itself.
        QTRY_VERIFY_WITH_TIMEOUT(!d.w->lowBatterySplash->isVisible(), 5000);
    }

    // The idle checks (one a second) before the power-off: 5 or 30 minutes,
    // never for Off; a new choice one check short of the
    // limit starts the count again.
    void autoPowerOff()
    {
        for (const QString row : {"5Minutes 300", "30Minutes 1800", "Off 0", "5Minutes 600 10Minutes"}) {
            const int limit = row.section(' ', 1, 1).toInt();
            Device d(row.section(' ', 0, 0));
            for (int i = 1; row.endsWith("10Minutes") && i < 300; ++i)
                d.w->autoPowerOffCheck();
            if (row.endsWith("10Minutes"))
                d.w->autoPowerOffSetSubMenu->buttons()[1]->click();
            for (int i = 1; i < (limit ? limit : 2000); ++i)
                d.w->autoPowerOffCheck();
            QVERIFY(d.board.halts() == 0 && (limit || d.board.commands().isEmpty()));
            if (limit) {
                d.w->autoPowerOffCheck();
                d.verifyPoweredOff(boardcommands::shutdownSequence());
            }
        }
    }

    // The processor above 83 degrees warns, then powers off once after the grace time.
    void overTemperature()
    {
        Device d;
        d.w->overTemperatureGraceMs = 200;   // 20 s on the device
        d.board.write(kCpu, "83000\n");      // not above the limit
        QVERIFY(d.w->cpuInternalTempRead() == 83.0f && d.w->cautionLabel->isHidden());
        d.board.write(kCpu, "83001\n");
        QCOMPARE(d.w->cpuInternalTempRead(), 83.001f);
        QVERIFY(d.w->cautionLabel->isVisible() && d.board.halts() == 0);
        // A cooler reading meanwhile changes nothing; a second hot one starts no second power-off.
        for (const char *t : {"40000\n", "90000\n"}) {
            d.board.write(kCpu, t);
            d.w->cpuInternalTempRead();
        }
        QTRY_COMPARE_WITH_TIMEOUT(d.board.halts(), 1, 5000);
        d.verifyPoweredOff(boardcommands::shutdownSequence());
        QTest::qWait(400);
        QCOMPARE(d.board.halts(), 1);
    }
};

QTEST_MAIN(TestPower)
#include "tst_power.moc"
