// The live picture of each image mode, checked on flat and split pictures
// whose blend is known to the pixel.
#include "liveview/composition.h"

#include <QtTest>

using namespace composition;

namespace {

// Colours compared without their alpha.
QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xffffff; }

QImage flat(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor::fromRgb(c));
    return img;
}

// The screen pixel at the centre of the frame pixel (x, y) of a 192 x 256 picture.
QRgb screenAt(const QImage &s, int x, int y) { return s.pixel((x * 5) / 4 + 1, (y * 5) / 4 + 1) & 0xffffff; }

}  // namespace

class TestComposition : public QObject {
    Q_OBJECT
private slots:
    void blendRule_data()
    {
        QTest::addColumn<int>("trans");
        QTest::addColumn<QRgb>("expect");
        // thermal (200, 100, 7), visible (50, 255, 1)
        QTest::newRow("50/50") << 50 << rgb(100 + 25, 50 + 127, 3 + 0);
        QTest::newRow("75/25") << 75 << rgb(150 + 12, 75 + 63, 5 + 0);
        QTest::newRow("25/75") << 25 << rgb(50 + 37, 25 + 191, 1 + 0);
        QTest::newRow("100: thermal unmixed") << 100 << rgb(200, 100, 7);
        QTest::newRow("0: visible crop unmixed") << 0 << rgb(50, 255, 1);
    }
    void blendRule()
    {
        QFETCH(int, trans);
        QFETCH(QRgb, expect);
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = trans;
        const QImage &s = c.compose(flat(192, 256, rgb(200, 100, 7)), flat(264, 352, rgb(50, 255, 1)), r);
        QCOMPARE(s.size(), QSize(240, 320));
        QCOMPARE(s.pixel(0, 0) & 0xffffff, expect);
        QCOMPARE(s.pixel(239, 319) & 0xffffff, expect);
        QCOMPARE(s.pixel(120, 160) & 0xffffff, expect);
        QVERIFY(!c.usedThermalFallback());
    }

    void pictureInPicture()
    {
        Composer c;
        Request r;
        r.mode = 3;
        r.pipTrans = 25;
        const QImage &s = c.compose(flat(192, 256, rgb(200, 100, 8)), flat(264, 352, rgb(40, 80, 120)), r);
        const QRgb mixed = rgb(50 + 30, 25 + 60, 2 + 90);
        QCOMPARE(screenAt(s, 96, 128), mixed);
        QCOMPARE(screenAt(s, 50, 66), mixed);
        QCOMPARE(screenAt(s, 141, 189), mixed);
        QCOMPARE(screenAt(s, 20, 128), rgb(40, 80, 120));
        QCOMPARE(screenAt(s, 96, 20), rgb(40, 80, 120));
        QCOMPARE(screenAt(s, 180, 230), rgb(40, 80, 120));
    }

    // The crop is taken at its corner: a visible picture whose only red
    // column is the crop's first shows red on the screen's left edge.
    void cropFollowsTheOffsets_data()
    {
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("default") << QPoint(36, 48);
        QTest::newRow("far corner") << QPoint(72, 96);
        QTest::newRow("origin") << QPoint(0, 0);
    }
    void cropFollowsTheOffsets()
    {
        QFETCH(QPoint, corner);
        QImage vis = flat(264, 352, rgb(0, 0, 255));
        for (int y = 0; y < 352; ++y)
            for (int x = corner.x(); x < corner.x() + 4; ++x)
                vis.setPixel(x, y, rgb(255, 0, 0));
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = 0;
        r.crop = corner;
        const QImage &s = c.compose(flat(192, 256, rgb(0, 0, 0)), vis, r);
        QCOMPARE(s.pixel(0, 160) & 0xffffff, rgb(255, 0, 0));
        QCOMPARE(s.pixel(20, 160) & 0xffffff, rgb(0, 0, 255));
    }

    // Without a visible picture every mode shows the thermal picture.
    void thermalWithoutVisible_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("digital") << 1 << QPoint(36, 48);
        QTest::newRow("fusion") << 2 << QPoint(36, 48);
        QTest::newRow("pip") << 3 << QPoint(36, 48);
        QTest::newRow("crop outside the picture") << 2 << QPoint(80, 0);
    }
    void thermalWithoutVisible()
    {
        QFETCH(int, mode);
        QFETCH(QPoint, corner);
        Composer c;
        Request r;
        r.mode = mode;
        r.crop = corner;
        const QImage vis = corner.x() > 72 ? flat(264, 352, rgb(1, 2, 3)) : QImage();
        const QImage &s = c.compose(flat(192, 256, rgb(9, 99, 199)), vis, r);
        QCOMPARE(s.pixel(120, 160) & 0xffffff, rgb(9, 99, 199));
        QVERIFY(c.usedThermalFallback());
    }

    // Enlarging keeps a picture's left and right halves where they were.
    void enlargementKeepsGeometry()
    {
        QImage th = flat(192, 256, rgb(0, 0, 0));
        for (int y = 0; y < 256; ++y)
            for (int x = 96; x < 192; ++x)
                th.setPixel(x, y, rgb(255, 255, 255));
        Composer c;
        const QImage &s = c.compose(th, QImage(), Request{});
        QCOMPARE(qRed(s.pixel(115, 10)), 0);
        QCOMPARE(qRed(s.pixel(125, 10)), 255);
        QVERIFY(qRed(s.pixel(120, 10)) > 0 && qRed(s.pixel(120, 10)) < 255);
        QCOMPARE(qRed(s.pixel(0, 0)), 0);
        QCOMPARE(qRed(s.pixel(239, 319)), 255);
    }

    void digitalShowsTheWholeVisiblePicture()
    {
        QImage vis = flat(264, 352, rgb(0, 255, 0));
        for (int x = 0; x < 264; ++x)
            vis.setPixel(x, 0, rgb(255, 0, 0));
        Composer c;
        Request r;
        r.mode = 1;
        const QImage &s = c.compose(flat(192, 256, rgb(0, 0, 0)), vis, r);
        QVERIFY(qRed(s.pixel(120, 0)) > 200 && qGreen(s.pixel(120, 0)) < 50);
        QCOMPARE(s.pixel(120, 200) & 0xffffff, rgb(0, 255, 0));
    }
};

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
