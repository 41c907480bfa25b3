// The numbers of power and health, without widgets.
#include "app/powerrules.h"

#include <QtTest>

class TestPowerRules : public QObject {
    Q_OBJECT
private slots:
    void batteryLevel_data();
    void batteryLevel();
    void adcReading_data();
    void adcReading();
    void chargingFramesCycle();
    void chargerLines_data();
    void chargerLines();
    void autoPowerOffLimits_data();
    void autoPowerOffLimits();
    void temperatures_data();
    void temperatures();
};

void TestPowerRules::batteryLevel_data()
{
    QTest::addColumn<double>("volts");
    QTest::addColumn<int>("level");
    QTest::addColumn<bool>("low");
    QTest::newRow("full") << 4.2 << 5 << false;
    QTest::newRow("3.55") << 3.55 << 5 << false;
    QTest::newRow("3.46 exactly") << 3.46 << 5 << false;
    QTest::newRow("just under 3.46") << 3.4599 << 4 << false;
    QTest::newRow("3.28 exactly") << 3.28 << 4 << false;
    QTest::newRow("just under 3.28") << 3.2799 << 3 << false;
    QTest::newRow("3.01 exactly") << 3.01 << 3 << false;
    QTest::newRow("just under 3.01") << 3.0099 << 2 << false;
    QTest::newRow("2.83 exactly") << 2.83 << 2 << false;
    QTest::newRow("just under 2.83") << 2.8299 << 1 << false;
    QTest::newRow("2.65 exactly: no warning") << 2.65 << 1 << false;
    QTest::newRow("just under 2.65") << 2.6499 << 0 << true;
    QTest::newRow("just over 2.0") << 2.0001 << 0 << true;
    QTest::newRow("2.0: no reading") << 2.0 << power::kNoLevel << false;
    QTest::newRow("0 V: no reading") << 0.0 << power::kNoLevel << false;
}

void TestPowerRules::batteryLevel()
{
    QFETCH(double, volts);
    QFETCH(int, level);
    QFETCH(bool, low);
    QCOMPARE(power::batteryLevel(volts), level);
    QCOMPARE(power::isLowBattery(volts), low);
}

void TestPowerRules::adcReading_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<double>("volts");
    QTest::newRow("nominal") << QByteArray("3803\n") << 3803 * 4.2 / 4096;
    QTest::newRow("full scale") << QByteArray("4096") << 4.2;
    QTest::newRow("blank first") << QByteArray("  2048\n") << 2.1;
    QTest::newRow("garbage after") << QByteArray("1000xyz") << 1000 * 4.2 / 4096;
    QTest::newRow("empty") << QByteArray() << 0.0;
    QTest::newRow("not a number") << QByteArray("n/a\n") << 0.0;
}

void TestPowerRules::adcReading()
{
    QFETCH(QByteArray, text);
    QFETCH(double, volts);
    QVERIFY(qAbs(power::adcCountToVolts(power::parseDecimal(text)) - volts) < 1e-9);
}

void TestPowerRules::chargingFramesCycle()
{
    int frame = 0;
    QList<int> seen;
    for (int i = 0; i < 7; ++i) {
        frame = power::nextChargingFrame(frame);
        seen << frame;
    }
    QCOMPARE(seen, (QList<int>{1, 2, 3, 4, 5, 0, 1}));
    QCOMPARE(power::chargingFrameStyle(3), QStringLiteral("border-image: url(:/images/battery/charge_3.png);"));
    QCOMPARE(power::batteryLevelStyle(0), QStringLiteral("border-image: url(:/images/battery/battery_0.png);"));
}

void TestPowerRules::chargerLines_data()
{
    QTest::addColumn<int>("a");
    QTest::addColumn<int>("b");
    QTest::addColumn<bool>("charging");
    QTest::newRow("A high, B low") << 1 << 0 << true;
    QTest::newRow("both low") << 0 << 0 << false;
    QTest::newRow("both high") << 1 << 1 << false;
    QTest::newRow("A low, B high") << 0 << 1 << false;
}

void TestPowerRules::chargerLines()
{
    QFETCH(int, a);
    QFETCH(int, b);
    QFETCH(bool, charging);
    QCOMPARE(power::isCharging(a, b), charging);
}

void TestPowerRules::autoPowerOffLimits_data()
{
    QTest::addColumn<int>("choice");
    QTest::addColumn<int>("seconds");
    QTest::addColumn<QString>("message");
    QTest::newRow("5 Minutes") << 0 << 300 << "5 Minutes. Power off.";
    QTest::newRow("10 Minutes") << 1 << 600 << "10 Minutes. Power off.";
    QTest::newRow("30 Minutes") << 2 << 1800 << "30 Minutes. Power off.";
    QTest::newRow("Off") << 3 << 0 << QString();
    QTest::newRow("no choice") << -1 << 0 << QString();
}

void TestPowerRules::autoPowerOffLimits()
{
    QFETCH(int, choice);
    QFETCH(int, seconds);
    QFETCH(QString, message);
    QCOMPARE(power::autoPowerOffLimitSeconds(choice), seconds);
    QCOMPARE(power::autoPowerOffMessage(choice), message);
}

void TestPowerRules::temperatures_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<float>("celsius");
    QTest::addColumn<bool>("tooHot");
    QTest::newRow("room") << QByteArray("35000\n") << 35.0f << false;
    QTest::newRow("below zero") << QByteArray("-5250\n") << -5.25f << false;
    QTest::newRow("83.0 is not above") << QByteArray("83000") << 83.0f << false;
    QTest::newRow("83.001") << QByteArray("83001") << 83.001f << true;
    QTest::newRow("unreadable") << QByteArray() << 0.0f << false;
}

void TestPowerRules::temperatures()
{
    QFETCH(QByteArray, text);
    QFETCH(float, celsius);
    QFETCH(bool, tooHot);
    const float c = power::milliCelsiusToCelsius(text);
    QVERIFY(qAbs(c - celsius) < 1e-4f);
    QCOMPARE(power::isCpuTooHot(c), tooHot);
}

QTEST_APPLESS_MAIN(TestPowerRules)
#include "tst_powerrules.moc"
