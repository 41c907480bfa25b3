// Where the marks and readouts of the live view go.
#include "liveview/overlay.h"

#include <QtTest>

class TestOverlay : public QObject {
    Q_OBJECT
private slots:
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
};

QTEST_APPLESS_MAIN(TestOverlay)
#include "tst_overlay.moc"
