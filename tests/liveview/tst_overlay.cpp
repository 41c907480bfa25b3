// Where the marks and readouts of the live view go.
#include "liveview/overlay.h"

#include <QtTest>

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
    void hotMarker_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("size");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("column 5 pinned to the left edge") << 100 << 5 << 32 << QPoint(-16, 109);
        QTest::newRow("column 12 still pinned") << 0 << 12 << 32 << QPoint(-16, -16);
        QTest::newRow("column 13 follows") << 0 << 13 << 32 << QPoint(0, -16);
        QTest::newRow("centre pixel") << 128 << 96 << 32 << QPoint(104, 144);
        QTest::newRow("bottom right") << 255 << 191 << 32 << QPoint(222, 302);
        QTest::newRow("zone marker in the zone") << 64 << 56 << 22 << QPoint(59, 69);
    }
    void hotMarker()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, size);
        QFETCH(QPoint, corner);
        QCOMPARE(overlay::markerRect(row, col, size), QRect(corner, QSize(size, size)));
    }

    void markerText_data()
    {
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QPoint>("text");
        QTest::newRow("left half: right of the marker") << QPoint(50, 100) << QPoint(82, 106);
        QTest::newRow("right half: left of it") << QPoint(121, 100) << QPoint(81, 106);
        QTest::newRow("top rows: at the top edge") << QPoint(10, -6) << QPoint(42, 0);
        QTest::newRow("one row lower: below the marker again") << QPoint(10, -5) << QPoint(42, 1);
        QTest::newRow("bottom: kept above 320") << QPoint(10, 294) << QPoint(42, 300);
    }
    void markerText()
    {
        QFETCH(QPoint, corner);
        QFETCH(QPoint, text);
        QCOMPARE(overlay::markerTextPos(corner, QSize(40, 20)), text);
    }

    void zoneText() { QCOMPARE(overlay::zoneTextPos(QPoint(59, 69), 40), QPoint(50, 91)); }

    void cursorBounds_data()
    {
        QTest::addColumn<QPoint>("wanted");
        QTest::addColumn<QPoint>("kept");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::newRow("start") << QPoint(104, 144) << QPoint(104, 144) << 128 << 96;
        QTest::newRow("past the left") << QPoint(-25, 144) << QPoint(-15, 144) << 128 << 0;
        QTest::newRow("past the right") << QPoint(233, 144) << QPoint(223, 144) << 128 << 191;
        QTest::newRow("right edge stays") << QPoint(224, 144) << QPoint(223, 144) << 128 << 191;
        QTest::newRow("past the top") << QPoint(104, -20) << QPoint(104, -16) << 0 << 96;
        QTest::newRow("past the bottom") << QPoint(104, 304) << QPoint(104, 303) << 255 << 96;
        QTest::newRow("last row before the bound") << QPoint(104, 303) << QPoint(104, 303) << 255 << 96;
    }
    void cursorBounds()
    {
        QFETCH(QPoint, wanted);
        QFETCH(QPoint, kept);
        QFETCH(int, row);
        QFETCH(int, col);
        QCOMPARE(overlay::clampCursor(wanted), kept);
        const overlay::Sample s = overlay::cursorSample(kept);
        QCOMPARE(s.row, row);
        QCOMPARE(s.col, col);
    }

    void cursorText_data()
    {
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<QPoint>("text");
        QTest::newRow("upper left") << QPoint(100, 100) << QPoint(122, 122);
        QTest::newRow("upper right") << QPoint(169, 100) << QPoint(129, 122);
        QTest::newRow("lower left") << QPoint(100, 279) << QPoint(122, 269);
        QTest::newRow("lower right") << QPoint(200, 300) << QPoint(150, 290);
    }
    void cursorText()
    {
        QFETCH(QPoint, corner);
        QFETCH(QPoint, text);
        QCOMPARE(overlay::cursorTextPos(corner), text);
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
        QFETCH(int, step);
        QCOMPARE(overlay::parallaxStep(distance, postY), step);
    }
};

QTEST_APPLESS_MAIN(TestOverlay)
#include "tst_overlay.moc"
