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
    void conversionAndFormat_data()
    {
        QTest::addColumn<float>("celsius");
        QTest::addColumn<int>("unit");
        QTest::addColumn<QString>("readout");
        QTest::addColumn<QString>("cursor");
        QTest::newRow("0.1625 C") << temps::rawToCelsius(4373) << int(Unit::Celsius) << "0.2"
                                  << "0.2";
        QTest::newRow("21.3 C in F") << 21.3f << int(Unit::Fahrenheit) << "70.4"
                                     << "70.3";
        QTest::newRow("-10 C") << -10.0f << int(Unit::Celsius) << "-10.0"
                               << "-10.0";
        QTest::newRow("37.1 C in F") << 37.1f << int(Unit::Fahrenheit) << "98.8"
                                     << "98.8";
        QTest::newRow("no unit") << 25.0f << int(Unit::None) << ""
                                 << "";
    }
    void conversionAndFormat()
    {
        QFETCH(float, celsius);
        QFETCH(int, unit);
        QFETCH(QString, readout);
        QFETCH(QString, cursor);
        QCOMPARE(temps::formatReadout(celsius, Unit(unit)), readout);
        QCOMPARE(temps::formatCursor(celsius, Unit(unit)), cursor);
    }

    // Successive maxima through the hold: (value, hot spot row) pairs.
    void holdRule_data()
    {
        QTest::addColumn<QList<double>>("maxima");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QList<double>>("shown");
        QTest::newRow("30.0 then 30.4 unmoved")
            << QList<double>{30.0, 30.4} << QList<int>{50, 50} << QList<double>{30.0, 30.0};
        QTest::newRow("30.0 then 30.6") << QList<double>{30.0, 30.6} << QList<int>{50, 50} << QList<double>{30.0, 30.6};
        QTest::newRow("30.0 then 30.4 moved 9 rows")
            << QList<double>{30.0, 30.4} << QList<int>{50, 59} << QList<double>{30.0, 30.4};
        QTest::newRow("30.0 then 30.4 moved 8 rows")
            << QList<double>{30.0, 30.4} << QList<int>{50, 58} << QList<double>{30.0, 30.0};
        QTest::newRow("creep stays held against the held value")
            << QList<double>{30.0, 30.3, 30.45, 30.55} << QList<int>{50, 50, 50, 50}
            << QList<double>{30.0, 30.0, 30.0, 30.55};
        QTest::newRow("exactly half a degree is held")
            << QList<double>{30.0, 29.5} << QList<int>{50, 50} << QList<double>{30.0, 30.0};
    }
    void holdRule()
    {
        QFETCH(QList<double>, maxima);
        QFETCH(QList<int>, rows);
        QFETCH(QList<double>, shown);
        temps::TemperaturePipeline p;
        temps::HotSpotTracker spot;
        for (int i = 0; i < maxima.size(); ++i) {
            const bool moved = spot.update(rows[i], 20);
            // The minimum is far below so no flat frame; centre below the maximum.
            const temps::FrameTemps t = p.process(raw(0), raw(maxima[i]), raw(-5), raw(0), moved);
            QVERIFY2(qAbs(t.max - shown[i]) < 0.04, qPrintable(QString("frame %1: %2").arg(i).arg(t.max)));
        }
    }

    void hotSpotFirstFrameCountsAsMoved()
    {
        temps::HotSpotTracker spot;
        QVERIFY(spot.update(0, 0));
        QVERIFY(!spot.update(8, 8));
        QVERIFY(spot.update(8, 17));
    }

    void corrections_data()
    {
        QTest::addColumn<double>("centre");
        QTest::addColumn<double>("max");
        QTest::addColumn<double>("min");
        QTest::addColumn<double>("zone");
        QTest::addColumn<QString>("expect");   // centre max min zone, one decimal
        QTest::newRow("centre above max raises max") << 31.0 << 30.0 << 20.0 << 25.0 << "31.0 31.0 20.0 25.0";
        QTest::newRow("zone above max lowered") << 20.0 << 30.0 << 10.0 << 30.5 << "20.0 30.0 10.0 30.0";
        QTest::newRow("flat frame") << 25.0 << 25.0 << 25.0 << 25.0 << "0.0 0.0 0.0 0.0";
        QTest::newRow("490.04 corrected") << 100.0 << 490.04 << 20.0 << 100.0 << "100.0 498.0 20.0 100.0";
        QTest::newRow("489.975 not corrected") << 100.0 << 489.975 << 20.0 << 100.0 << "100.0 490.0 20.0 100.0";
        QTest::newRow("each value corrected alone") << 495.0 << 500.0 << 492.0 << 491.0 << "503.0 508.0 500.0 499.0";
    }
    void corrections()
    {
        QFETCH(double, centre);
        QFETCH(double, max);
        QFETCH(double, min);
        QFETCH(double, zone);
        QFETCH(QString, expect);
        temps::TemperaturePipeline p;
        const temps::FrameTemps t = p.process(raw(centre), raw(max), raw(min), raw(zone), true);
        const QString got =
            QStringLiteral("%1 %2 %3 %4")
                .arg(temps::formatReadout(t.centre, Unit::Celsius), temps::formatReadout(t.max, Unit::Celsius),
                     temps::formatReadout(t.min, Unit::Celsius), temps::formatReadout(t.zoneMax, Unit::Celsius));
        QCOMPARE(got, expect);
    }

    void serverValues_data()
    {
        QTest::addColumn<float>("measured");
        QTest::addColumn<float>("threshold");
        QTest::addColumn<QString>("ems");
        QTest::addColumn<int>("unit");
        QTest::addColumn<float>("m");
        QTest::addColumn<float>("t");
        QTest::addColumn<float>("e");
        QTest::newRow("fahrenheit") << 100.0f << 20.0f << "1.00" << int(Unit::Fahrenheit) << 212.05f << 68.05f
                                    << 1.005f;
        QTest::newRow("unparsable emissivity")
            << 0.0f << 0.0f << "abc" << int(Unit::Celsius) << 0.05f << 0.05f << 0.005f;
    }
    void serverValues()
    {
        QFETCH(float, measured);
        QFETCH(float, threshold);
        QFETCH(QString, ems);
        QFETCH(int, unit);
        QFETCH(float, m);
        QFETCH(float, t);
        QFETCH(float, e);
        const temps::ServerReading r = temps::serverReading(measured, threshold, ems, Unit(unit));
        QVERIFY(qAbs(r.measured - m) < 1e-3f);
        QVERIFY(qAbs(r.threshold - t) < 1e-3f);
        QVERIFY(qAbs(r.emissivity - e) < 1e-4f);
    }

    void cursorHasNoHoldButTheHighRange()
    {
        QCOMPARE(temps::formatCursor(temps::cursorCelsius(raw(490.04)), Unit::Celsius), QStringLiteral("498.0"));
    }
};

QTEST_APPLESS_MAIN(TestTemperature)
#include "tst_temperature.moc"
