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

    // Frames through the readouts' pipeline (centre, maximum, minimum, zone,
    // the hot spot's row): what the last one shows. The maximum is held
    // against flicker while the hot spot stays; the corrections.
    void pipeline_data()
    {
        using L = QList<double>;
        QTest::addColumn<QList<double>>("frames");
        QTest::addColumn<QString>("shown");
        QTest::newRow("centre above max raises max") << L{31, 30, 20, 25, 50} << "31.0 31.0 20.0 25.0";
        QTest::newRow("zone above max lowered") << L{20, 30, 10, 30.5, 50} << "20.0 30.0 10.0 30.0";
        QTest::newRow("flat frame") << L{25, 25, 25, 25, 50} << "0.0 0.0 0.0 0.0";
        QTest::newRow("490.04 corrected") << L{100, 490.04, 20, 100, 50} << "100.0 498.0 20.0 100.0";
        QTest::newRow("489.975 not corrected") << L{100, 489.975, 20, 100, 50} << "100.0 490.0 20.0 100.0";
        QTest::newRow("each value corrected alone") << L{495, 500, 492, 491, 50} << "503.0 508.0 500.0 499.0";
        QTest::newRow("30.4 unmoved held") << L{10, 30, -5, 10, 50, 10, 30.4, -5, 10, 50} << "10.0 30.0 -5.0 10.0";
        QTest::newRow("30.4 moved 9 rows") << L{10, 30, -5, 10, 50, 10, 30.4, -5, 10, 59} << "10.0 30.4 -5.0 10.0";
        QTest::newRow("30.4 moved 8 rows held") << L{10, 30, -5, 10, 50, 10, 30.4, -5, 10, 58} << "10.0 30.0 -5.0 10.0";
        QTest::newRow("half a degree below held")
            << L{10, 30, -5, 10, 50, 10, 29.5, -5, 10, 50} << "10.0 30.0 -5.0 10.0";
        QTest::newRow("creep held against the held value")
            << L{10, 30, -5, 10, 50, 10, 30.3, -5, 10, 50, 10, 30.45, -5, 10, 50, 10, 30.55, -5, 10, 50}
            << "10.0 30.5 -5.0 10.0";
    }
    void pipeline()
    {
        QFETCH(QList<double>, frames);
        temps::TemperaturePipeline p;
        temps::HotSpotTracker spot;
        temps::FrameTemps t{};
        for (int i = 0; i < frames.size(); i += 5)
            t = p.process(raw(frames[i]), raw(frames[i + 1]), raw(frames[i + 2]), raw(frames[i + 3]),
                          spot.update(int(frames[i + 4]), 20));
        QStringList got;
        for (float v : {t.centre, t.max, t.min, t.zoneMax})
            got << temps::formatReadout(v, Unit::Celsius);
        QTEST(got.join(' '), "shown");
        // The first frame counts as moved; a move of more than 8 columns too.
        temps::HotSpotTracker fresh;
        QCOMPARE(QVector<bool>({fresh.update(0, 0), fresh.update(8, 8), fresh.update(8, 17)}),
                 QVector<bool>({true, false, true}));
    }

    // Where marks and texts go: a marker's corner from its frame point (row,
    // column, size); a marker's text (40 x 20), a cursor's text and the zone's
    // text from the mark's corner; a cursor kept on the screen, and its frame
    // sample (column, row).
    void places_data()
    {
        using V = QVector<int>;
        QTest::addColumn<QString>("what");
        QTest::addColumn<QVector<int>>("in");
        QTest::addColumn<QVector<int>>("out");
        QTest::newRow("marker at column 5 pinned to the left edge") << "marker" << V{100, 5, 32} << V{-16, 109};
        QTest::newRow("marker at column 13 follows") << "marker" << V{0, 13, 32} << V{0, -16};
        QTest::newRow("marker bottom right") << "marker" << V{255, 191, 32} << V{222, 302};
        QTest::newRow("zone marker in the zone") << "marker" << V{64, 56, 22} << V{59, 69};
        QTest::newRow("text in the left half: right of it") << "text" << V{50, 100} << V{82, 106};
        QTest::newRow("text in the right half: left of it") << "text" << V{121, 100} << V{81, 106};
        QTest::newRow("text in the top rows: at the top edge") << "text" << V{10, -6} << V{42, 0};
        QTest::newRow("text one row lower: below it again") << "text" << V{10, -5} << V{42, 1};
        QTest::newRow("text at the bottom: kept above 320") << "text" << V{10, 294} << V{42, 300};
        QTest::newRow("cursor text upper right") << "cursor text" << V{169, 100} << V{129, 122};
        QTest::newRow("cursor text lower right") << "cursor text" << V{200, 300} << V{150, 290};
        QTest::newRow("zone text") << "zone text" << V{59, 69} << V{50, 91};
        QTest::newRow("cursor past the left") << "cursor" << V{-25, 144} << V{-15, 144, 0, 128};
        QTest::newRow("cursor past the right") << "cursor" << V{233, 144} << V{223, 144, 191, 128};
        QTest::newRow("cursor at the right edge stays") << "cursor" << V{224, 144} << V{223, 144, 191, 128};
        QTest::newRow("cursor past the top") << "cursor" << V{104, -20} << V{104, -16, 96, 0};
        QTest::newRow("cursor past the bottom") << "cursor" << V{104, 304} << V{104, 303, 96, 255};
        QTest::newRow("cursor on the last row before the bound") << "cursor" << V{104, 303} << V{104, 303, 96, 255};
    }
    void places()
    {
        QFETCH(QString, what);
        QFETCH(QVector<int>, in);
        const QPoint p = what == "marker" ? QPoint() : QPoint(in[0], in[1]);
        QPoint got;
        if (what == "marker") {
            const QRect r = overlay::markerRect(in[0], in[1], in[2]);
            QCOMPARE(r.size(), QSize(in[2], in[2]));
            got = r.topLeft();
        } else if (what == "text")
            got = overlay::markerTextPos(p, QSize(40, 20));
        else if (what == "cursor text")
            got = overlay::cursorTextPos(p);
        else if (what == "zone text")
            got = overlay::zoneTextPos(p, 40);
        else {
            got = overlay::clampCursor(p);
            const overlay::Sample s = overlay::cursorSample(got);
            QTEST((QVector<int>{got.x(), got.y(), s.col, s.row}), "out");
            return;
        }
        QTEST((QVector<int>{got.x(), got.y()}), "out");
    }

    void parallax_data()
    {
        QTest::addColumn<float>("distance");
        QTest::addColumn<int>("postY");
        QTest::addColumn<int>("step");
        QTest::newRow("3.0") << 3.0f << 48 << 8;
        QTest::newRow("0.5") << 0.5f << 48 << -2;
        QTest::newRow("0.5 with vlcPostY 1 starts at row 1") << 0.5f << 1 << 0;
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
        QTest::newRow("C high 550 up wraps to low + 1, F rounds half up") << "C high" << L{550, 20, 1, 21, 21, 70, 294};
        QTest::newRow("C high 21 down onto low wraps to top") << "C high" << L{21, 20, -1, 550, 550, 1022, 823};
        QTest::newRow("C high 25 held down below low wraps") << "C high" << L{25, 20, -10, 550, 550, 1022, 823};
        QTest::newRow("C low -20 down wraps to high - 1") << "C low" << L{130, -20, -1, 129, 129, 264, 402};
        QTest::newRow("C low -19 down stays, F truncates toward zero") << "C low" << L{130, -19, -1, -20, -20, -3, 253};
        QTest::newRow("C low 129 up onto high wraps to bottom") << "C low" << L{130, 129, 1, -20, -20, -3, 253};
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
        QTest::newRow("d 4.00 up stays") << "d" << V{4.00, 1, 4.00};
        QTest::newRow("d 0.25 held up") << "d" << V{0.25, 10, 0.75};
        QTest::newRow("d 3.90 held up clamps") << "d" << V{3.90, 10, 4.00};
        QTest::newRow("C 45 held up clamps at 50") << "C" << V{45, 113, 10, 50, 122};
        QTest::newRow("C -10 down stays") << "C" << V{-10, 14, -1, -10, 14};
        QTest::newRow("F 14 gives -9 C") << "F" << V{-10, 15, -1, -9, 14};
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
