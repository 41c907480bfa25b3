// The per-frame work on module frames (contrast stretch, colouring, the turn
// to portrait, the statistics) and on the visible camera's picture
// (conversion, turn, enlargement): the tuned steps against their plain versions.
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "acquisition/yuv.h"
#include "referencesteps.h"

#include <QtTest>

#include <cstring>
#include <vector>

using namespace framepath;
using Words = std::vector<uint16_t>;

namespace {

QVector<int> all(const Stats &s)
{
    return {s.max.row,     s.max.col,  s.min.row,  s.min.col,      s.zoneMax.row,  s.zoneMax.col, s.zoneMin.row,
            s.zoneMin.col, s.maxValue, s.minValue, s.zoneMaxValue, s.zoneMinValue, s.centre};
}

// Both halves of a module frame of `n` words of one kind; a source word at
// (x, y) lands on portrait row x, column 191 - y.
struct Halves {
    Words image, temp;
};
Halves frame(const QString &kind, uint32_t seed, int n = kPixels)
{
    Halves f{Words(n), Words(n)};
    for (int i = 0; i < n; ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int r = i % kSrcWidth, c = kSrcHeight - 1 - i / kSrcWidth;
        uint16_t &g = f.image[i], &t = f.temp[i];
        t = static_cast<uint16_t>(seed >> 16);
        if (kind == "noise14")
            g = static_cast<uint16_t>(seed >> 18);
        else if (kind == "noise16")
            g = static_cast<uint16_t>(seed >> 16);
        else if (kind == "ends") {   // the hottest word last, the coldest first
            g = (seed >> 31) ? 65535 : 0;
            t = i == n - 1 ? 65535 : i == 0 ? 0 : static_cast<uint16_t>(1 + t % 65534);
        } else if (kind == "largest")
            g = t = 65535;
        else if (kind == "ties") {
            g = i % 3 ? 9000 : 9001;
            t = (seed >> 30) ? 4 * 5000 + 3 : 4 * 4000;
        } else {   // the zone's corners hold its extremes, just outside them the frame's
            const bool corner = (r == kZoneTop || r == kZoneBottom) && (c == kZoneLeft || c == kZoneRight);
            const bool outside =
                (r == kZoneTop - 1 || r == kZoneBottom + 1) && (c == kZoneLeft - 1 || c == kZoneRight + 1);
            g = static_cast<uint16_t>(5000 + (seed >> 28));
            t = static_cast<uint16_t>(4 * 4800 + (corner ? (c == kZoneLeft ? 400 : -400) : 0) +
                                      (outside ? (r < 100 ? 800 : -800) : 0));
        }
    }
    return f;
}

// YUYV of `width` x `height` pixels of one kind.
std::vector<uint8_t> yuyvOf(const QString &kind, int width, int height, uint32_t seed)
{
    std::vector<uint8_t> out(2 * width * height);
    for (size_t i = 0; i < out.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int p = static_cast<int>(i / 4), px = static_cast<int>(i / 2) % width,
                  py = static_cast<int>(i / 2) / width;
        const bool luma = i % 2 == 0;
        uint8_t &v = out[i];
        if (kind == "noise")
            v = static_cast<uint8_t>(seed >> 24);
        else if (kind == "chroma")   // every chroma pair, luma all over
            v = static_cast<uint8_t>(i % 4 == 0 ? p * 7 : i % 4 == 1 ? p : i % 4 == 2 ? 255 - p * 13 : p >> 8);
        else if (kind == "white")
            v = luma ? 255 : 128;
        else if (kind == "extremes")
            v = (seed >> 28) & 1 ? 255 : 0;
        else   // bright borders: the bands' first and last columns
            v = luma ? (px == 0 || py == 0 || px == width - 1 || py == height - 1 ? 255 : 16)
                     : static_cast<uint8_t>(i % 4 == 1 ? px : 255 - py);
    }
    return out;
}
}   // namespace

class TestFramePath : public QObject {
    Q_OBJECT
private slots:
    void stretchAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("count");
        QTest::newRow("both ends of the 16 bits") << "ends" << kPixels;
        QTest::newRow("a count that is no multiple of eight") << "noise14" << kPixels - 5;
        QTest::newRow("fewer words than the high count") << "noise14" << 1003;
        QTest::newRow("the most words") << "noise16" << 65535;
    }
    void stretchAsBefore()
    {
        // Range, counts and table from one pass equal plain separate walks, for
        // every word of the frame, twice over one object; the memory to be
        // written next is only a hint, neither read into the table nor changed.
        QFETCH(QString, kind);
        QFETCH(int, count);
        ContrastStretch cs;
        for (uint32_t seed : {5u, 6u}) {
            const Words image = frame(kind, seed, 65535).image;
            std::vector<uint8_t> lutBefore(65536), next(3 * kPixels);
            const Stretch b = reference::stretch(image.data(), count, lutBefore.data());
            for (size_t i = 0; i < next.size(); ++i)
                next[i] = static_cast<uint8_t>(i * 31);
            const std::vector<uint8_t> nextBefore = next;
            const ContrastStretch::WriteAhead ahead[] = {
                {next.data(), 100}, {next.data() + 100, 0}, {next.data() + 100, next.size() - 100}};
            const Stretch a = cs.build(image.data(), count, ahead, 3);
            QVERIFY(next == nextBefore);
            QCOMPARE(QVector<int>({a.minWord, a.maxWord, a.low, a.high, a.span, a.offset, int(a.clippedTotal)}),
                     QVector<int>({b.minWord, b.maxWord, b.low, b.high, b.span, b.offset, int(b.clippedTotal)}));
            for (int i = 0; i < count; ++i)
                QCOMPARE(cs.lut()[image[i]], lutBefore[image[i]]);
        }
    }

    void paletteTables_data()
    {
        // Every colour of every slot, as the live view shows it and saved pictures keep it.
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("sha1");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("Iron") << 1 << QByteArray("183ae317432d") << QByteArray("Iron");
        QTest::newRow("Rainbow") << 2 << QByteArray("3d3fc8a584f2") << QByteArray("Rainbow");
        QTest::newRow("White Hot") << 3 << QByteArray("4b06dde10f0f") << QByteArray("WhiteHot");
        QTest::newRow("Red Hot") << 4 << QByteArray("84799adb852a") << QByteArray("RedHot");
        QTest::newRow("Black Hot") << 5 << QByteArray("a3eb0423d486") << QByteArray("BlackHot");
        QTest::newRow("Lava") << 6 << QByteArray("d62c03e4c033") << QByteArray("Lava");
        QTest::newRow("Rainbow HC") << 7 << QByteArray("6ce6b1ba46b0") << QByteArray("RainbowHC");
        QTest::newRow("unknown stored value is Iron") << 1 << QByteArray("183ae317432d") << QByteArray("Sepia");
    }
    void paletteTables()
    {
        QFETCH(int, number);
        QFETCH(QByteArray, stored);
        const Palette &p = palettes::byStoredValue(stored.constData());
        QCOMPARE(p.number, number);
        QCOMPARE(palettes::byNumber(number), &p);
        const Rgb888Table t = expand(*p.table, p.inverted);
        const QByteArray bytes(reinterpret_cast<const char *>(t.rgb), sizeof t.rgb);
        QTEST(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12), "sha1");
        if (number == 6)   // Lava's crimson middle, 0xA10A
            QCOMPARE(QVector<int>(t.rgb[128], t.rgb[128] + 3), QVector<int>({160, 32, 80}));
        QVERIFY(!palettes::byNumber(0) && !palettes::byNumber(8) && palettes::byStoredValue(nullptr).number == 1);
        // Coloured: every pixel, the last included, is the table's top colour; nothing past it is written.
        std::vector<uint8_t> grey(kRows * kCols, 255), rgb(kRows * kCols * 3 + 16, 0xAB);
        colour(grey.data(), kCols, kRows, t, rgb.data(), kCols * 3);
        QCOMPARE(QVector<int>(rgb.end() - 19, rgb.end()),
                 QVector<int>(t.rgb[255], t.rgb[255] + 3) + QVector<int>(16, 0xAB));
    }

    void wholePathAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("stride");
        QTest::newRow("noise") << "noise14" << kCols * 3;
        QTest::newRow("noise into wider rows") << "noise16" << kCols * 3 + 9;
        QTest::newRow("every word at its largest") << "largest" << kCols * 3;
        QTest::newRow("two temperatures in ties all over") << "ties" << kCols * 3;
        QTest::newRow("extremes on the zone's edges") << "zoneEdges" << kCols * 3;
        QTest::newRow("extremes in the frame's corners") << "ends" << kCols * 3;
    }
    void wholePathAsBefore()
    {
        // The path measures and colours while it turns: the same picture,
        // matrix, grey and statistics as plain separate steps.
        QFETCH(QString, kind);
        QFETCH(int, stride);
        const Halves f = frame(kind, 99);
        const Rgb888Table table = expand(colormap_Iron, false);
        Work work;
        Words matrix(kPixels), matrixBefore(kPixels);
        std::vector<uint8_t> grey(kPixels), greyBefore(kPixels), lut(65536);
        std::vector<uint8_t> rgb(stride * kRows, 0x5A), rgbBefore(stride * kRows, 0x5A);
        const Stats s =
            process(work, f.image.data(), f.temp.data(), table, matrix.data(), grey.data(), rgb.data(), stride);
        reference::stretch(f.image.data(), kPixels, lut.data());
        reference::rotateBoth(f.image.data(), f.temp.data(), lut.data(), matrixBefore.data(), greyBefore.data());
        colour(greyBefore.data(), kCols, kRows, table, rgbBefore.data(), stride);
        QVERIFY(matrix == matrixBefore && grey == greyBefore);
        rotateBoth(f.image.data(), f.temp.data(), lut.data(), matrix.data(), grey.data());   // the turn alone
        QVERIFY(matrix == matrixBefore && grey == greyBefore);
        for (int r = 0; r < kRows; ++r)
            QVERIFY(std::equal(rgb.begin() + r * stride, rgb.begin() + (r * stride + kCols * 3),
                               rgbBefore.begin() + r * stride));
        QCOMPARE(all(s), all(reference::statistics(matrixBefore.data())));
        QCOMPARE(all(statistics(matrix.data())), all(s));
    }

    void pixelAndPairs()
    {
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(128, 128, 128), 0x808080);
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(255, 128, 255), 0xFFA7FF);   // clamped above
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(0, 0, 0), 0x008500);         // and below
        // Y0 U Y1 V: both pixels of a pair take the pair's U and V.
        unsigned char yuyv[8] = {100, 128, 200, 128, 50, 255, 60, 0}, rgb[12] = {};
        ThermalCameraThread::convert_yuv_to_rgb_buffer(yuyv, rgb, 4, 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(rgb), 12), QByteArray::fromHex("646464c8c8c80062ff006cff"));
    }

    void visibleAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("stride");   // of the enlarged picture; 0: converted only
        const int w = yuv::kWidth, h = yuv::kHeight, rows = yuv::kOutWidth * 3;
        QTest::newRow("noise") << "noise" << w << h << rows;
        QTest::newRow("white, every sum at its largest") << "white" << w << h << rows;
        QTest::newRow("luma and chroma at both ends") << "extremes" << w << h << rows;
        QTest::newRow("bright borders, the bands' first and last columns") << "edges" << w << h << rows;
        QTest::newRow("noise into wider rows") << "noise" << w << h << rows + 13;
        QTest::newRow("every chroma pair, luma all over") << "chroma" << 512 << 256 << 0;
        QTest::newRow("both ends, 64 x 2") << "extremes" << 64 << 2 << 0;
        QTest::newRow("noise, 5 pairs") << "noise" << 10 << 1 << 0;
    }
    void visibleAsBefore()
    {
        // Converted: every pixel as the four tables make it, up to the
        // picture's last byte and not beyond. Enlarged from converted pixels,
        // and converting band by band inside the enlargement: both the picture
        // of a whole conversion followed by the plain turn, exchange and
        // enlargement, twice over one object.
        QFETCH(QString, kind);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(int, stride);
        const unsigned w = static_cast<unsigned>(width), h = static_cast<unsigned>(height);
        yuv::Enlarger tuned;
        for (uint32_t seed : {1u, 2u}) {
            const std::vector<uint8_t> yuyv = yuyvOf(kind, width, height, seed);
            std::vector<uint8_t> rgb(3 * w * h + 8, 0xA5), rgbBefore(rgb);
            yuv::toRgb(yuyv.data(), rgb.data(), w, h);
            reference::toRgb(yuyv.data(), rgbBefore.data(), w, h);
            QVERIFY(rgb == rgbBefore);
            if (stride == 0)
                continue;
            std::vector<uint8_t> expected(stride * yuv::kOutHeight, 0xA5), got(expected), fromYuyv(expected);
            reference::Enlarger().run(rgb.data(), expected.data(), stride);
            tuned.run(rgb.data(), got.data(), stride);
            tuned.runYuyv(yuyv.data(), fromYuyv.data(), stride);
            QVERIFY(got == expected);
            QVERIFY(fromYuyv == expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestFramePath)
#include "tst_framepath.moc"
