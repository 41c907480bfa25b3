// The numbers behind the live view's readouts: conversion, the hold against
// flicker, the consistency and high-range corrections, the display formats
// and the temperature server's values.
#include "liveview/temperature.h"

#include <QtTest>

using temps::Unit;

namespace {
// The raw word of a Celsius temperature (1/16 K).
uint16_t raw(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16.0)); }
}   // namespace

class TestTemperature : public QObject {
    Q_OBJECT
private slots:
    void formats_data()
    {
        QTest::addColumn<float>("celsius");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("readoutAndCursor");
        QTest::newRow("0.1625 C") << temps::rawToCelsius(4373) << int(Unit::Celsius) << "0.2 0.2";
        QTest::newRow("21.3 C in F") << 21.3f << int(Unit::Fahrenheit) << "70.4 70.3";
        QTest::newRow("-10 C") << -10.0f << int(Unit::Celsius) << "-10.0 -10.0";
        QTest::newRow("37.1 C in F") << 37.1f << int(Unit::Fahrenheit) << "98.8 98.8";
        QTest::newRow("no unit") << 25.0f << int(Unit::None) << " ";
        // The cursor has no hold, but the high range's correction.
        QTest::newRow("cursor at 490.04 C") << temps::cursorCelsius(raw(490.04)) << int(Unit::Celsius) << "498.0 498.0";
    }
    void formats()
    {
        QFETCH(float, celsius);
        QFETCH(int, unit);
        QTEST(temps::formatReadout(celsius, Unit(unit)) + ' ' + temps::formatCursor(celsius, Unit(unit)),
              "readoutAndCursor");
    }

    // Successive maxima through the hold: value, hot spot row; what shows.
    void holdRule_data()
    {
        QTest::addColumn<QList<double>>("maxima");   // value, row, shown ...
        QTest::newRow("30.0 then 30.4 unmoved") << QList<double>{30.0, 50, 30.0, 30.4, 50, 30.0};
        QTest::newRow("30.0 then 30.6") << QList<double>{30.0, 50, 30.0, 30.6, 50, 30.6};
        QTest::newRow("30.0 then 30.4 moved 9 rows") << QList<double>{30.0, 50, 30.0, 30.4, 59, 30.4};
        QTest::newRow("30.0 then 30.4 moved 8 rows") << QList<double>{30.0, 50, 30.0, 30.4, 58, 30.0};
        QTest::newRow("creep stays held against the held value")
            << QList<double>{30.0, 50, 30.0, 30.3, 50, 30.0, 30.45, 50, 30.0, 30.55, 50, 30.55};
        QTest::newRow("exactly half a degree is held") << QList<double>{30.0, 50, 30.0, 29.5, 50, 30.0};
    }
    void holdRule()
    {
        QFETCH(QList<double>, maxima);
        temps::TemperaturePipeline p;
        temps::HotSpotTracker spot;
        for (int i = 0; i < maxima.size(); i += 3) {
            const bool moved = spot.update(int(maxima[i + 1]), 20);
            // The minimum is far below so no flat frame; centre below the maximum.
            const temps::FrameTemps t = p.process(raw(0), raw(maxima[i]), raw(-5), raw(0), moved);
            QVERIFY2(qAbs(t.max - maxima[i + 2]) < 0.04, qPrintable(QString("frame %1: %2").arg(i / 3).arg(t.max)));
        }
        // The first frame counts as moved; a move of more than 8 columns too.
        temps::HotSpotTracker fresh;
        QCOMPARE(QVector<bool>({fresh.update(0, 0), fresh.update(8, 8), fresh.update(8, 17)}),
                 QVector<bool>({true, false, true}));
    }

    void corrections_data()
    {
        QTest::addColumn<QList<double>>("in");   // centre max min zone
        QTest::addColumn<QString>("expect");     // the same, one decimal
        QTest::newRow("centre above max raises max") << QList<double>{31, 30, 20, 25} << "31.0 31.0 20.0 25.0";
        QTest::newRow("zone above max lowered") << QList<double>{20, 30, 10, 30.5} << "20.0 30.0 10.0 30.0";
        QTest::newRow("flat frame") << QList<double>{25, 25, 25, 25} << "0.0 0.0 0.0 0.0";
        QTest::newRow("490.04 corrected") << QList<double>{100, 490.04, 20, 100} << "100.0 498.0 20.0 100.0";
        QTest::newRow("489.975 not corrected") << QList<double>{100, 489.975, 20, 100} << "100.0 490.0 20.0 100.0";
        QTest::newRow("each value corrected alone") << QList<double>{495, 500, 492, 491} << "503.0 508.0 500.0 499.0";
    }
    void corrections()
    {
        QFETCH(QList<double>, in);
        const temps::FrameTemps t =
            temps::TemperaturePipeline().process(raw(in[0]), raw(in[1]), raw(in[2]), raw(in[3]), true);
        QStringList got;
        for (float v : {t.centre, t.max, t.min, t.zoneMax})
            got << temps::formatReadout(v, Unit::Celsius);
        QTEST(got.join(' '), "expect");
    }

    void serverValues()
    {
        // Measured, threshold and emissivity each with the half of its last digit added.
        const temps::ServerReading f = temps::serverReading(100.0f, 20.0f, "1.00", Unit::Fahrenheit);
        const temps::ServerReading c =
            temps::serverReading(0.0f, 0.0f, "abc", Unit::Celsius);   // unparsable emissivity
        for (auto [got, want] : {std::pair{f.measured, 212.05f},
                                 {f.threshold, 68.05f},
                                 {f.emissivity, 1.005f},
                                 {c.measured, 0.05f},
                                 {c.threshold, 0.05f},
                                 {c.emissivity, 0.005f}})
            QVERIFY2(qAbs(got - want) < 1e-3f, qPrintable(QString::number(got)));
    }
};

QTEST_APPLESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
