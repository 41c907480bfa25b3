// The per-frame work on module frames: contrast stretch, colouring, the turn
// to portrait and the statistics.
#include "acquisition/framepath.h"
#include "referencesteps.h"

#include <QtTest>

#include <vector>

using namespace framepath;

namespace {

// The module's temperature half whose turned, shifted matrix is m.
std::vector<uint16_t> unturned(const std::vector<uint16_t> &m)
{
    std::vector<uint16_t> temp(kPixels);
    for (int y = 0; y < kSrcHeight; ++y)
        for (int x = 0; x < kSrcWidth; ++x)
            temp[y * kSrcWidth + x] = static_cast<uint16_t>(4 * m[x * kCols + (kSrcHeight - 1 - y)] + (x + y) % 4);
    return temp;
}

bool sameStats(const Stats &a, const Stats &b)
{
    auto same = [](const Point &p, const Point &q) { return p.row == q.row && p.col == q.col; };
    return same(a.max, b.max) && same(a.min, b.min) && same(a.zoneMax, b.zoneMax) && same(a.zoneMin, b.zoneMin) &&
        a.maxValue == b.maxValue && a.minValue == b.minValue && a.zoneMaxValue == b.zoneMaxValue &&
        a.zoneMinValue == b.zoneMinValue && a.centre == b.centre;
}

QString describe(const Stats &s)
{
    return QStringLiteral("max %1 at %2,%3 min %4 at %5,%6 zone max %7 at %8,%9 zone min %10 at %11,%12 centre %13")
        .arg(s.maxValue)
        .arg(s.max.row)
        .arg(s.max.col)
        .arg(s.minValue)
        .arg(s.min.row)
        .arg(s.min.col)
        .arg(s.zoneMaxValue)
        .arg(s.zoneMax.row)
        .arg(s.zoneMax.col)
        .arg(s.zoneMinValue)
        .arg(s.zoneMin.row)
        .arg(s.zoneMin.col)
        .arg(s.centre);
}

// The statistics of m, found on the matrix and while turning its
// temperature half; both must agree.
Stats statisticsBothWays(const std::vector<uint16_t> &m)
{
    const Stats s = statistics(m.data());
    std::vector<uint16_t> matrix(kPixels);
    const Stats t = rotateAndMeasure(unturned(m).data(), matrix.data());
    if (!sameStats(s, t) || matrix != m)
        qWarning("while turning: %s\non the matrix: %s", qPrintable(describe(t)), qPrintable(describe(s)));
    return sameStats(s, t) && matrix == m ? s : Stats{};
}

}   // namespace

class TestFramePath : public QObject {
    Q_OBJECT
private slots:
    void stretch_data();
    void stretch();
    void stretchAsBefore_data();
    void stretchAsBefore();
    void colouring_data();
    void colouring();
    void colouringStaysInsideThePicture();
    void rotation_data();
    void rotation();
    void rotationAsBefore();
    void extremes_data();
    void extremes();
    void zoneBounds_data();
    void zoneBounds();
    void wholePathAsBefore_data();
    void wholePathAsBefore();
};

void TestFramePath::stretch_data()
{
    QTest::addColumn<QVector<int>>("words");   // value, count, value, count ...
    QTest::addColumn<int>("span");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QVector<int>>("lut");   // word, expected grey ...

    // Every word equal: span 2, offset 101, 15 * 2 / 15 + 101.
    QTest::newRow("flat frame") << QVector<int>{5000, kPixels} << 2 << 101 << QVector<int>{5000, 103};
    QTest::newRow("two neighbouring levels")
        << QVector<int>{1000, kPixels / 2, 1001, kPixels / 2} << 4 << 100 << QVector<int>{1000, 102, 1001, 104};
    // 50 levels: spread over 100 grey levels starting at (255 - 100) * 0.4.
    QVector<int> narrow{2000, 985};
    for (int v = 2001; v <= 2049; ++v)
        narrow << v << 983;
    QTest::newRow("narrow range") << narrow << 100 << 62 << QVector<int>{2000, 64, 2024, 112, 2049, 162};
    // Each of the 16384 levels three times: the full 255 span, no offset.
    QVector<int> ramp;
    for (int v = 0; v < 16384; ++v)
        ramp << v << 3;
    QTest::newRow("full 14-bit ramp") << ramp << 255 << 0 << QVector<int>{0, 0, 8191, 127, 16383, 255};
    // 19 cold outliers do not move the low limit, but the table still starts at them.
    QTest::newRow("outliers below the low limit")
        << QVector<int>{100, 19, 5000, kPixels - 19} << 2 << 101 << QVector<int>{100, 102, 5000, 103};
    // Limits 32768 levels apart: the span is capped at 255, not wrapped to 0.
    QTest::newRow("very wide limits") << QVector<int>{0, kPixels / 2, 32767, kPixels / 2} << 255 << 0
                                      << QVector<int>{0, 127, 32767, 255};
}

void TestFramePath::stretch()
{
    QFETCH(QVector<int>, words);
    QFETCH(int, span);
    QFETCH(int, offset);
    QFETCH(QVector<int>, lut);

    std::vector<uint16_t> img;
    for (int i = 0; i + 1 < words.size(); i += 2)
        img.insert(img.end(), words[i + 1], static_cast<uint16_t>(words[i]));
    QCOMPARE(static_cast<int>(img.size()), kPixels);

    ContrastStretch cs;
    const Stretch s = cs.build(img.data(), kPixels);
    QCOMPARE(s.span, span);
    QCOMPARE(s.offset, offset);
    for (int i = 0; i + 1 < lut.size(); i += 2)
        QCOMPARE(static_cast<int>(cs.lut()[lut[i]]), lut[i + 1]);
}

void TestFramePath::stretchAsBefore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("count");
    QTest::newRow("both ends of the 16 bits") << "ends" << kPixels;
    QTest::newRow("runs of equal words") << "runs" << kPixels;
    QTest::newRow("a count that is no multiple of eight") << "noise14" << kPixels - 5;
    QTest::newRow("fewer words than the high count") << "noise14" << 1003;
    QTest::newRow("the most words") << "noise16" << 65535;
}

void TestFramePath::stretchAsBefore()
{
    // The range, the counts and the table from one pass equal those of plain
    // separate walks, for every word of the frame, twice over one object.
    QFETCH(QString, kind);
    QFETCH(int, count);
    ContrastStretch cs;
    for (uint32_t seed : {5u, 6u}) {
        std::vector<uint16_t> image(65535);
        for (size_t i = 0; i < image.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            if (kind == QLatin1String("noise14"))
                image[i] = static_cast<uint16_t>(seed >> 18);
            else if (kind == QLatin1String("noise16"))
                image[i] = static_cast<uint16_t>(seed >> 16);
            else if (kind == QLatin1String("ends"))
                image[i] = (seed >> 31) ? 65535 : 0;
            else
                image[i] = static_cast<uint16_t>(4000 + (i / 37) % 50);
        }
        std::vector<uint8_t> lutBefore(65536);
        const Stretch b = reference::stretch(image.data(), count, lutBefore.data());
        // The memory to be written next is only a hint: it is neither read
        // into the table nor changed (a short range, an empty one, a long one).
        std::vector<uint8_t> next(3 * kPixels);
        for (size_t i = 0; i < next.size(); ++i)
            next[i] = static_cast<uint8_t>(i * 31);
        const std::vector<uint8_t> nextBefore = next;
        const ContrastStretch::WriteAhead ahead[] = {
            {next.data(), 100}, {next.data() + 100, 0}, {next.data() + 100, next.size() - 100}};
        const Stretch a = cs.build(image.data(), count, ahead, 3);
        QVERIFY(next == nextBefore);
        QVERIFY(a.minWord == b.minWord && a.maxWord == b.maxWord && a.low == b.low && a.high == b.high);
        QVERIFY(a.span == b.span && a.offset == b.offset && a.clippedTotal == b.clippedTotal);
        for (int i = 0; i < count; ++i)
            QCOMPARE(cs.lut()[image[i]], lutBefore[image[i]]);
    }
}

void TestFramePath::colouring_data()
{
    QTest::addColumn<int>("palette");
    QTest::addColumn<int>("grey");
    QTest::addColumn<int>("r");
    QTest::addColumn<int>("g");
    QTest::addColumn<int>("b");
    QTest::newRow("iron black end") << 1 << 0 << 0 << 20 << 24;                                 // 0x00A3
    QTest::newRow("red hot white, low bits not replicated") << 4 << 128 << 248 << 252 << 248;   // 0xFFFF
    QTest::newRow("white hot top") << 3 << 255 << 240 << 248 << 240;                            // 0xF7DE
    QTest::newRow("black hot: hottest is black") << 5 << 255 << 0 << 0 << 0;
    QTest::newRow("black hot: coldest is light") << 5 << 0 << 240 << 248 << 240;
    QTest::newRow("lava crimson") << 6 << 128 << 160 << 32 << 80;   // 0xA10A
}

void TestFramePath::colouring()
{
    QFETCH(int, palette);
    QFETCH(int, grey);
    QFETCH(int, r);
    QFETCH(int, g);
    QFETCH(int, b);
    const Palette *p = palettes::byNumber(palette);
    QVERIFY(p);
    const Rgb888Table t = expand(*p->table, p->inverted);
    const uint8_t in[2] = {static_cast<uint8_t>(grey), static_cast<uint8_t>(grey)};
    uint8_t out[6] = {};
    colour(in, 2, 1, t, out, 6);
    QCOMPARE(QVector<int>({out[3], out[4], out[5]}), QVector<int>({r, g, b}));
}

void TestFramePath::colouringStaysInsideThePicture()
{
    const Rgb888Table t = expand(colormap_Iron, false);
    std::vector<uint8_t> grey(kRows * kCols, 255);
    std::vector<uint8_t> rgb(kRows * kCols * 3 + 16, 0xAB);
    colour(grey.data(), kCols, kRows, t, rgb.data(), kCols * 3);
    for (size_t i = kRows * kCols * 3; i < rgb.size(); ++i)
        QCOMPARE(static_cast<int>(rgb[i]), 0xAB);
    // Every pixel, the last included, is the table's top colour.
    QCOMPARE(static_cast<int>(rgb[kRows * kCols * 3 - 3]), 240);
    QCOMPARE(static_cast<int>(rgb[kRows * kCols * 3 - 1]), 240);
}

void TestFramePath::rotation_data()
{
    QTest::addColumn<int>("x");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::newRow("source top-left goes to the top-right") << 0 << 0 << 0 << 191;
    QTest::newRow("source top-right goes to the bottom-right") << 255 << 0 << 255 << 191;
    QTest::newRow("the centre sample") << 128 << 95 << 128 << 96;
}

void TestFramePath::rotation()
{
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(int, row);
    QFETCH(int, col);
    std::vector<uint16_t> temp(kPixels, 4 * 1000 + 3), image(kPixels, 7);
    temp[y * kSrcWidth + x] = 4 * 4660 + 3;   // the low two bits go
    image[y * kSrcWidth + x] = 9;
    std::vector<uint16_t> matrix(kPixels);
    std::vector<uint8_t> grey(kPixels);
    uint8_t lut[65536] = {};
    lut[7] = 50;
    lut[9] = 200;
    rotateTemperature(temp.data(), matrix.data());
    rotateGrey(image.data(), lut, grey.data());
    for (int r = 0; r < kRows; ++r)
        for (int c = 0; c < kCols; ++c) {
            const bool here = r == row && c == col;
            QCOMPARE(static_cast<int>(matrix[r * kCols + c]), here ? 4660 : 1000);
            QCOMPARE(static_cast<int>(grey[r * kCols + c]), here ? 200 : 50);
        }
    QCOMPARE(statistics(matrix.data()).centre, static_cast<uint16_t>(row == 128 && col == 96 ? 4660 : 1000));
}

void TestFramePath::rotationAsBefore()
{
    // Both halves turned to portrait exactly as the tiled loops turned them.
    std::vector<uint16_t> image(kPixels), temp(kPixels);
    std::vector<uint8_t> lut(65536);
    uint32_t seed = 7;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    for (uint8_t &v : lut)
        v = static_cast<uint8_t>(next() >> 24);
    for (int i = 0; i < kPixels; ++i) {
        image[i] = static_cast<uint16_t>(next() >> 16);
        temp[i] = static_cast<uint16_t>(next() >> 16);
    }
    std::vector<uint16_t> matrix(kPixels, 1), matrixBefore(kPixels, 2);
    std::vector<uint8_t> grey(kPixels, 1), greyBefore(kPixels, 2);
    rotateBoth(image.data(), temp.data(), lut.data(), matrix.data(), grey.data());
    reference::rotateBoth(image.data(), temp.data(), lut.data(), matrixBefore.data(), greyBefore.data());
    QVERIFY(matrix == matrixBefore);
    QVERIFY(grey == greyBefore);
}

void TestFramePath::extremes_data()
{
    QTest::addColumn<QVector<int>>("hot");      // row, col pairs sharing the maximum
    QTest::addColumn<QVector<int>>("cold");     // row, col pairs sharing the minimum
    QTest::addColumn<QVector<int>>("points");   // maximum row, col, minimum row, col
    QTest::newRow("flat frame: both at the first point")
        << QVector<int>{} << QVector<int>{} << QVector<int>{0, 0, 0, 0};
    QTest::newRow("tie in one row keeps the leftmost")
        << QVector<int>{5, 100, 5, 10} << QVector<int>{200, 50} << QVector<int>{5, 10, 200, 50};
    QTest::newRow("tie across rows keeps the upper")
        << QVector<int>{4, 0, 3, 150} << QVector<int>{250, 3, 249, 190} << QVector<int>{3, 150, 249, 190};
    QTest::newRow("last point alone") << QVector<int>{255, 191} << QVector<int>{0, 0} << QVector<int>{255, 191, 0, 0};
}

void TestFramePath::extremes()
{
    QFETCH(QVector<int>, hot);
    QFETCH(QVector<int>, cold);
    QFETCH(QVector<int>, points);
    std::vector<uint16_t> m(kPixels, 4700);
    for (int i = 0; i < hot.size(); i += 2)
        m[hot[i] * kCols + hot[i + 1]] = 6000;
    for (int i = 0; i < cold.size(); i += 2)
        m[cold[i] * kCols + cold[i + 1]] = 4000;
    const Stats s = statisticsBothWays(m);
    QCOMPARE(QVector<int>({s.max.row, s.max.col, s.min.row, s.min.col}), points);
    QCOMPARE(static_cast<int>(s.maxValue), hot.isEmpty() ? 4700 : 6000);
    QCOMPARE(static_cast<int>(s.minValue), cold.isEmpty() ? 4700 : 4000);
    if (hot.isEmpty() && cold.isEmpty())
        QCOMPARE(QVector<int>({s.zoneMax.row, s.zoneMax.col, s.zoneMin.row, s.zoneMin.col}),
                 QVector<int>({kZoneTop, kZoneLeft, kZoneTop, kZoneLeft}));
}

void TestFramePath::zoneBounds_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("col");
    QTest::addColumn<bool>("inZone");
    QTest::newRow("top-left corner") << 64 << 56 << true;
    QTest::newRow("bottom-right corner") << 159 << 135 << true;
    QTest::newRow("just above") << 63 << 100 << false;
    QTest::newRow("just below") << 160 << 100 << false;
    QTest::newRow("just left") << 100 << 55 << false;
    QTest::newRow("just right") << 100 << 136 << false;
}

void TestFramePath::zoneBounds()
{
    QFETCH(int, row);
    QFETCH(int, col);
    QFETCH(bool, inZone);
    const int warmRow = row == 100 ? 101 : 100;
    std::vector<uint16_t> m(kPixels, 4700);
    m[row * kCols + col] = 9000;       // the hottest point
    m[warmRow * kCols + 100] = 5000;   // the zone's own warm point
    const Stats s = statisticsBothWays(m);
    QCOMPARE(QVector<int>({s.max.row, s.max.col}), QVector<int>({row, col}));
    QCOMPARE(static_cast<int>(s.zoneMaxValue), inZone ? 9000 : 5000);
    QCOMPARE(QVector<int>({s.zoneMax.row, s.zoneMax.col}),
             (inZone ? QVector<int>({row, col}) : QVector<int>({warmRow, 100})));
}

void TestFramePath::wholePathAsBefore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("stride");
    QTest::newRow("noise") << "noise" << kCols * 3;
    QTest::newRow("noise into wider rows") << "noise" << kCols * 3 + 9;
    QTest::newRow("every word at its largest") << "largest" << kCols * 3;
    QTest::newRow("two temperatures in ties all over") << "ties" << kCols * 3;
    QTest::newRow("extremes on the zone's edges") << "zoneEdges" << kCols * 3;
}

void TestFramePath::wholePathAsBefore()
{
    // The path measures while it turns and colours while it turns: the same
    // picture, matrix, grey and statistics as plain separate steps.
    QFETCH(QString, kind);
    QFETCH(int, stride);
    std::vector<uint16_t> image(kPixels), temp(kPixels);
    uint32_t seed = 99;
    for (int i = 0; i < kPixels; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int x = i % kSrcWidth, y = i / kSrcWidth;
        if (kind == QLatin1String("noise")) {
            image[i] = static_cast<uint16_t>(3000 + (seed >> 20));
            temp[i] = static_cast<uint16_t>(seed >> 16);
        } else if (kind == QLatin1String("largest")) {
            image[i] = temp[i] = 65535;
        } else if (kind == QLatin1String("ties")) {
            image[i] = static_cast<uint16_t>(i % 3 ? 9000 : 9001);
            temp[i] = static_cast<uint16_t>((seed >> 30) ? 4 * 5000 + 3 : 4 * 4000);
        } else if (kind == QLatin1String("zoneEdges")) {
            // Portrait row x, column 191 - y: the zone's corners hold its
            // extremes, just outside them the frame's.
            const int r = x, c = kSrcHeight - 1 - y;
            const bool zoneCorner = (r == kZoneTop || r == kZoneBottom) && (c == kZoneLeft || c == kZoneRight);
            const bool outside =
                (r == kZoneTop - 1 || r == kZoneBottom + 1) && (c == kZoneLeft - 1 || c == kZoneRight + 1);
            image[i] = static_cast<uint16_t>(5000 + (seed >> 28));
            temp[i] = static_cast<uint16_t>(4 * 4800 + (zoneCorner ? (c == kZoneLeft ? 400 : -400) : 0) +
                                            (outside ? (r < 100 ? 800 : -800) : 0));
        }
    }
    const Rgb888Table table = expand(colormap_Iron, false);
    Work work;
    std::vector<uint16_t> matrix(kPixels), matrixBefore(kPixels);
    std::vector<uint8_t> grey(kPixels), greyBefore(kPixels), lut(65536);
    std::vector<uint8_t> rgb(stride * kRows, 0x5A), rgbBefore(stride * kRows, 0x5A);
    const Stats s = process(work, image.data(), temp.data(), table, matrix.data(), grey.data(), rgb.data(), stride);
    reference::stretch(image.data(), kPixels, lut.data());
    reference::rotateBoth(image.data(), temp.data(), lut.data(), matrixBefore.data(), greyBefore.data());
    colour(greyBefore.data(), kCols, kRows, table, rgbBefore.data(), stride);
    const Stats sBefore = reference::statistics(matrixBefore.data());
    QVERIFY(matrix == matrixBefore);
    QVERIFY(grey == greyBefore);
    for (int r = 0; r < kRows; ++r)
        QVERIFY(std::equal(rgb.begin() + r * stride, rgb.begin() + (r * stride + kCols * 3),
                           rgbBefore.begin() + r * stride));
    QVERIFY2(sameStats(s, sBefore), qPrintable(describe(s) + QStringLiteral("\nbefore: ") + describe(sBefore)));
}

QTEST_APPLESS_MAIN(TestFramePath)
#include "tst_framepath.moc"
