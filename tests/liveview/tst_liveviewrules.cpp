// The numbers behind the live view: readouts (conversion, the hold against
// flicker, the corrections, the formats, the temperature server's values),
// where marks and texts go, and the steps of the alert thresholds and the
// measurement settings.
#include "liveview/alertrules.h"
#include "liveview/measurementrules.h"
#include "liveview/overlay.h"
#include "liveview/temperature.h"

#include <QtTest>

using temps::Unit;

namespace {
// The raw word of a Celsius temperature (1/16 K).
uint16_t raw(double celsius) { return static_cast<uint16_t>(std::lround((celsius + 273.15) * 16.0)); }
}   // namespace

class TestLiveViewRules : public QObject {
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

    void hotMarker_data()
    {
        QTest::addColumn<QVector<int>>("rowColSize");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("column 5 pinned to the left edge") << QVector<int>{100, 5, 32} << QPoint(-16, 109);
        QTest::newRow("column 12 still pinned") << QVector<int>{0, 12, 32} << QPoint(-16, -16);
        QTest::newRow("column 13 follows") << QVector<int>{0, 13, 32} << QPoint(0, -16);
        QTest::newRow("centre pixel") << QVector<int>{128, 96, 32} << QPoint(104, 144);
        QTest::newRow("bottom right") << QVector<int>{255, 191, 32} << QPoint(222, 302);
        QTest::newRow("zone marker in the zone") << QVector<int>{64, 56, 22} << QPoint(59, 69);
    }
    void hotMarker()
    {
        QFETCH(QVector<int>, rowColSize);
        QFETCH(QPoint, corner);
        QCOMPARE(overlay::markerRect(rowColSize[0], rowColSize[1], rowColSize[2]),
                 QRect(corner, QSize(rowColSize[2], rowColSize[2])));
    }

    // A marker's text (40 x 20), a cursor's text and the zone's text, from the mark's corner.
    void textPlaces_data()
    {
        QTest::addColumn<QString>("mark");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QPoint>("text");
        QTest::newRow("marker in the left half: right of it") << "marker" << QPoint(50, 100) << QPoint(82, 106);
        QTest::newRow("marker in the right half: left of it") << "marker" << QPoint(121, 100) << QPoint(81, 106);
        QTest::newRow("marker in the top rows: at the top edge") << "marker" << QPoint(10, -6) << QPoint(42, 0);
        QTest::newRow("marker one row lower: below it again") << "marker" << QPoint(10, -5) << QPoint(42, 1);
        QTest::newRow("marker at the bottom: kept above 320") << "marker" << QPoint(10, 294) << QPoint(42, 300);
        QTest::newRow("cursor upper left") << "cursor" << QPoint(100, 100) << QPoint(122, 122);
        QTest::newRow("cursor upper right") << "cursor" << QPoint(169, 100) << QPoint(129, 122);
        QTest::newRow("cursor lower left") << "cursor" << QPoint(100, 279) << QPoint(122, 269);
        QTest::newRow("cursor lower right") << "cursor" << QPoint(200, 300) << QPoint(150, 290);
        QTest::newRow("zone") << "zone" << QPoint(59, 69) << QPoint(50, 91);
    }
    void textPlaces()
    {
        QFETCH(QString, mark);
        QFETCH(QPoint, corner);
        const QPoint got = mark == "marker" ? overlay::markerTextPos(corner, QSize(40, 20))
            : mark == "cursor"              ? overlay::cursorTextPos(corner)
                                            : overlay::zoneTextPos(corner, 40);
        QTEST(got, "text");
    }

    void cursorBounds_data()
    {
        QTest::addColumn<QPoint>("wanted");
        QTest::addColumn<QPoint>("kept");
        QTest::addColumn<QPoint>("sample");   // column, row of the frame
        QTest::newRow("start") << QPoint(104, 144) << QPoint(104, 144) << QPoint(96, 128);
        QTest::newRow("past the left") << QPoint(-25, 144) << QPoint(-15, 144) << QPoint(0, 128);
        QTest::newRow("past the right") << QPoint(233, 144) << QPoint(223, 144) << QPoint(191, 128);
        QTest::newRow("right edge stays") << QPoint(224, 144) << QPoint(223, 144) << QPoint(191, 128);
        QTest::newRow("past the top") << QPoint(104, -20) << QPoint(104, -16) << QPoint(96, 0);
        QTest::newRow("past the bottom") << QPoint(104, 304) << QPoint(104, 303) << QPoint(96, 255);
        QTest::newRow("last row before the bound") << QPoint(104, 303) << QPoint(104, 303) << QPoint(96, 255);
    }
    void cursorBounds()
    {
        QFETCH(QPoint, wanted);
        QFETCH(QPoint, kept);
        QCOMPARE(overlay::clampCursor(wanted), kept);
        const overlay::Sample s = overlay::cursorSample(kept);
        QTEST(QPoint(s.col, s.row), "sample");
    }

    void parallax_data()
    {
        QTest::addColumn<float>("distance");
        QTest::addColumn<int>("postY");
        QTest::addColumn<int>("step");
        QTest::newRow("3.0") << 3.0f << 48 << 8;
        QTest::newRow("above 3") << 3.5f << 48 << 8;
        QTest::newRow("2.5") << 2.5f << 48 << 6;
        QTest::newRow("2.0") << 2.0f << 48 << 4;
        QTest::newRow("1.5") << 1.5f << 48 << 2;
        QTest::newRow("1.0") << 1.0f << 48 << 0;
        QTest::newRow("0.5") << 0.5f << 48 << -2;
        QTest::newRow("0.5 with vlcPostY 1 starts at row 1") << 0.5f << 1 << 0;
        QTest::newRow("0.5 with vlcPostY 2") << 0.5f << 2 << -2;
        // The crop's top row is at most 352 - 256: it never runs past the picture's last row.
        QTest::newRow("3.0 with vlcPostY 96 stays at row 96") << 3.0f << 96 << 0;
        QTest::newRow("3.0 with vlcPostY 90 stops at row 96") << 3.0f << 90 << 6;
        QTest::newRow("1.5 with vlcPostY 95 stops at row 96") << 1.5f << 95 << 1;
        QTest::newRow("between steps") << 1.25f << 48 << 0;
    }
    void parallax()
    {
        QFETCH(float, distance);
        QFETCH(int, postY);
        QTEST(overlay::parallaxStep(distance, postY), "step");
    }

    // A threshold stepped, and the three forms stored for the result (c, f, k).
    void stepping_data()
    {
        QTest::addColumn<QString>("row");       // unit, threshold row
        QTest::addColumn<QList<int>>("step");   // high, low, steps, result, stored c, f, k
        using L = QList<int>;
        QTest::newRow("C high 130 held up") << "C high" << L{130, 20, 10, 140, 140, 284, 413};
        QTest::newRow("C high 550 up wraps to low + 1, F rounds half up") << "C high" << L{550, 20, 1, 21, 21, 70, 294};
        QTest::newRow("C high 21 down onto low wraps to top") << "C high" << L{21, 20, -1, 550, 550, 1022, 823};
        QTest::newRow("C high 25 held down below low wraps") << "C high" << L{25, 20, -10, 550, 550, 1022, 823};
        QTest::newRow("C low -20 down wraps to high - 1") << "C low" << L{130, -20, -1, 129, 129, 264, 402};
        QTest::newRow("C low -19 down stays, F truncates toward zero") << "C low" << L{130, -19, -1, -20, -20, -3, 253};
        QTest::newRow("C low 129 up onto high wraps to bottom") << "C low" << L{130, 129, 1, -20, -20, -3, 253};
        QTest::newRow("F high 265 up") << "F high" << L{265, 68, 1, 266, 130, 266, 403};
        QTest::newRow("F high 1022 up wraps to low + 1") << "F high" << L{1022, 68, 1, 69, 21, 69, 294};
        QTest::newRow("F high 69 down onto low wraps to top") << "F high" << L{69, 68, -1, 1022, 550, 1022, 823};
        QTest::newRow("F low -4 down wraps to high - 1") << "F low" << L{266, -4, -1, 265, 129, 265, 402};
        QTest::newRow("F low 260 held up past high wraps, C truncates toward zero")
            << "F low" << L{266, 260, 10, -4, -19, -4, 253};
    }
    void stepping()
    {
        QFETCH(QString, row);
        QFETCH(QList<int>, step);
        const Unit u = row.startsWith('F') ? Unit::Fahrenheit : Unit::Celsius;
        const int result = row.endsWith("high") ? alerts::stepHigh(step[0], step[1], step[2], u)
                                                : alerts::stepLow(step[1], step[0], step[2], u);
        QCOMPARE(result, step[3]);
        const alerts::Stored s = alerts::storedFrom(result, u);
        QCOMPARE((QList<int>{s.c, s.f, s.k}), step.mid(4));
    }

    // The toggling itself is seen on the screen below; after an alarm the output
    // goes low once and is then left alone.
    void outputGoesLowOnceBelowTheThreshold()
    {
        int led = 0;
        alerts::HighAlertBlinker b(&led);
        QCOMPARE(b.evaluate(true, true).output, 1);
        QCOMPARE(b.evaluate(true, false).output, 0);
        QCOMPARE(b.evaluate(true, false).output, -1);
    }

    void steps_data()
    {
        QTest::addColumn<QString>("what");           // e emissivity, d distance, C / F ambient in that unit
        QTest::addColumn<QVector<double>>("step");   // from (ambient: C, F), steps, to (ambient: C, F)
        using V = QVector<double>;
        QTest::newRow("e 0.95 held up clamps") << "e" << V{0.95, 10, 1.00};
        QTest::newRow("e 0.05 held down clamps") << "e" << V{0.05, -10, 0.01};
        QTest::newRow("e 0.99 up") << "e" << V{0.99, 1, 1.00};
        QTest::newRow("d 4.00 up stays") << "d" << V{4.00, 1, 4.00};
        QTest::newRow("d 0.25 held up") << "d" << V{0.25, 10, 0.75};
        QTest::newRow("d 3.90 held up clamps") << "d" << V{3.90, 10, 4.00};
        QTest::newRow("C 45 held up clamps at 50") << "C" << V{45, 113, 10, 50, 122};
        QTest::newRow("C -10 down stays") << "C" << V{-10, 14, -1, -10, 14};
        QTest::newRow("F 14 gives -9 C") << "F" << V{-10, 15, -1, -9, 14};
        QTest::newRow("F 122 held up stays") << "F" << V{50, 122, 10, 50, 122};
        QTest::newRow("F 20 held down clamps at 14") << "F" << V{-7, 20, -10, -9, 14};
    }
    void steps()
    {
        QFETCH(QString, what);
        QFETCH(QVector<double>, step);
        if (what == "C" || what == "F") {
            const measurement::Ambient from{int(step[0]), int(step[1])};
            const measurement::Ambient a = what == "F" ? measurement::stepAmbientFahrenheit(from, int(step[2]))
                                                       : measurement::stepAmbientCelsius(from, int(step[2]));
            QCOMPARE(QVector<double>({double(a.c), double(a.f)}), step.mid(3));
            return;
        }
        const bool distance = what == "d";
        float v = distance ? measurement::stepDistance(float(step[0]), int(step[1]))
                           : measurement::stepEmissivity(float(step[0]), int(step[1]));
        QCOMPARE(measurement::twoDecimals(v), QString::number(step[2], 'f', 2));
        for (int i = 0; i < 37; ++i)   // many small steps never drift off the hundredths
            v = distance ? measurement::stepDistance(v, 1) : measurement::stepEmissivity(v, -1);
        QCOMPARE(measurement::twoDecimals(v).toFloat(), v);
    }
};

QTEST_APPLESS_MAIN(TestLiveViewRules)
#include "tst_liveviewrules.moc"
