// The live picture of each image mode, checked on flat and split pictures
// whose blend is known to the pixel.
#include "liveview/composition.h"

#include <QPainter>
#include <QtTest>

#include "common/imagediff.h"
#include "referenceenlarger.h"

#include <cstring>
#include <random>

using namespace composition;

namespace {

// Colours compared without their alpha.
QRgb rgb(int r, int g, int b) { return qRgb(r, g, b) & 0xffffff; }
QRgb at(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }

QImage flat(int w, int h, QRgb c)
{
    QImage img(w, h, QImage::Format_RGB888);
    img.fill(QColor::fromRgb(c));
    return img;
}

QImage onScreen(const QImage &picture)
{
    QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);
    screen.fill(Qt::black);
    Enlarger().run(picture, screen);
    return screen;
}

// A picture of smooth ramps and a sharp square, so a pixel put in the wrong
// place or weighted the wrong way shows.
QImage pattern(QSize size)
{
    QImage img(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x) {
            const bool square =
                x > size.width() / 3 && x < size.width() / 2 && y > size.height() / 4 && y < size.height() / 3;
            img.setPixel(x, y,
                         square ? qRgb(255, 255, 255)
                                : qRgb(x * 255 / size.width(), y * 255 / size.height(), (x * 7 + y * 3) % 256));
        }
    return img;
}
enum Content { Random, Extremes };

// A picture whose every byte is given, alpha included where it has one;
// `padding` extra bytes at the end of each row, left as noise.
struct Source {
    std::vector<uint8_t> bytes;
    QImage image;
};
Source source(QSize size, QImage::Format format, Content content, int padding)
{
    const int bpp = format == QImage::Format_RGB888 ? 3 : 4;
    const int stride = (size.width() * bpp + padding + 3) / 4 * 4;
    Source s;
    s.bytes.resize(static_cast<size_t>(stride) * size.height());
    std::mt19937 noise(size.width() * 7919 + size.height());
    for (size_t i = 0; i < s.bytes.size(); ++i) {
        const int x = static_cast<int>(i % stride) / bpp, y = static_cast<int>(i / stride);
        uint8_t v = static_cast<uint8_t>(noise());
        if (content == Extremes)
            v = ((x + y + static_cast<int>(i % stride) % bpp) & 1) ? 255 : 0;
        if (static_cast<int>(i % stride) >= size.width() * bpp)
            v = static_cast<uint8_t>(noise());   // padding never shows
        s.bytes[i] = v;
    }
    if (format == QImage::Format_RGB32)   // its alpha byte is opaque by definition
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x)
                s.bytes[static_cast<size_t>(y) * stride + x * 4 + 3] = 0xff;
    s.image = QImage(s.bytes.data(), size.width(), size.height(), stride, format);
    return s;
}

// The first pixel where two 32-bit pictures differ in any byte, the alpha
// byte included (an RGB32 picture drawn or converted takes it as it is), or "".
QString firstDifference(const QImage &a, const QImage &b)
{
    for (int y = 0; y < a.height(); ++y) {
        const auto *p = reinterpret_cast<const uint32_t *>(a.constScanLine(y));
        const auto *q = reinterpret_cast<const uint32_t *>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (p[x] != q[x])
                return QString::asprintf("(%d, %d): %08x, expected %08x", x, y, p[x], q[x]);
    }
    return {};
}
}   // namespace

class TestComposition : public QObject {
    Q_OBJECT
private slots:
    void blendRule_data()
    {
        QTest::addColumn<int>("trans");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QRgb>("expect");
        // thermal (200, 100, 7), visible (50, 255, 1)
        QTest::newRow("50/50") << 50 << QSize(120, 160) << rgb(100 + 25, 50 + 127, 3 + 0);
        QTest::newRow("75/25") << 75 << QSize(120, 160) << rgb(150 + 12, 75 + 63, 5 + 0);
        QTest::newRow("25/75") << 25 << QSize(120, 160) << rgb(50 + 37, 25 + 191, 1 + 0);
        QTest::newRow("100: thermal unmixed") << 100 << QSize(192, 256) << rgb(200, 100, 7);
        QTest::newRow("0: visible crop unmixed") << 0 << QSize(192, 256) << rgb(50, 255, 1);
    }
    void blendRule()
    {
        QFETCH(int, trans);
        QFETCH(QSize, size);
        QFETCH(QRgb, expect);
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = trans;
        const QImage &pic = c.compose(flat(192, 256, qRgb(200, 100, 7)), flat(264, 352, qRgb(50, 255, 1)), r);
        QCOMPARE(pic.size(), size);
        QCOMPARE(at(pic, size.width() - 1, size.height() - 1), expect);
        QVERIFY(!c.usedThermalFallback());
        QCOMPARE(at(onScreen(pic), 239, 319), expect);   // enlarged to the whole screen
    }

    void pictureInPicture()
    {
        Composer c;
        Request r;
        r.mode = 3;
        r.pipTrans = 25;
        const QImage &p = c.compose(flat(192, 256, qRgb(200, 100, 8)), flat(264, 352, qRgb(40, 80, 120)), r);
        QCOMPARE(p.size(), QSize(192, 256));
        const QRgb mixed = rgb(50 + 30, 25 + 60, 2 + 90);
        const QRgb visible = rgb(40, 80, 120);
        QCOMPARE(at(p, 48, 64), mixed);
        QCOMPARE(at(p, 143, 191), mixed);
        QCOMPARE(at(p, 47, 64), visible);
        QCOMPARE(at(p, 144, 191), visible);
    }

    // The crop is taken at its corner: a visible picture whose only red
    // columns start at the crop's first shows red on the picture's left edge.
    void cropFollowsTheOffsets_data()
    {
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("far corner") << QPoint(72, 96);
        QTest::newRow("origin") << QPoint(0, 0);
    }
    void cropFollowsTheOffsets()
    {
        QFETCH(QPoint, corner);
        QImage vis = flat(264, 352, qRgb(0, 0, 255));
        for (int y = 0; y < 352; ++y)
            vis.setPixel(corner.x(), y, qRgb(255, 0, 0));
        for (int x = 0; x < 264; ++x)
            vis.setPixel(x, corner.y(), qRgb(0, 255, 0));
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = 0;
        r.crop = corner;
        const QImage &p = c.compose(flat(192, 256, qRgb(0, 0, 0)), vis, r);
        QCOMPARE(at(p, 0, 160), rgb(255, 0, 0));
        QCOMPARE(at(p, 1, 160), rgb(0, 0, 255));
        QCOMPARE(at(p, 100, 0), rgb(0, 255, 0));
        QCOMPARE(at(p, 100, 1), rgb(0, 0, 255));
    }

    // Without a usable visible picture every mode shows the thermal picture,
    // and so does PIP on a thermal picture smaller than its window needs.
    void thermalWithoutVisible_data()
    {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QPoint>("corner");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QSize>("thermal");
        QTest::newRow("fusion") << 2 << QPoint(36, 48) << false << QSize(192, 256);
        QTest::newRow("pip") << 3 << QPoint(36, 48) << false << QSize(192, 256);
        QTest::newRow("crop outside the picture") << 2 << QPoint(80, 0) << true << QSize(192, 256);
        QTest::newRow("crop left of the picture") << 2 << QPoint(-1, 48) << true << QSize(192, 256);
        QTest::newRow("pip on a smaller thermal picture") << 3 << QPoint(36, 48) << true << QSize(120, 160);
    }
    void thermalWithoutVisible()
    {
        QFETCH(int, mode);
        QFETCH(QPoint, corner);
        QFETCH(bool, visible);
        QFETCH(QSize, thermal);
        Composer c;
        Request r;
        r.mode = mode;
        r.crop = corner;
        const QImage vis = visible ? flat(264, 352, qRgb(1, 2, 3)) : QImage();
        const QImage &p = c.compose(flat(thermal.width(), thermal.height(), qRgb(9, 99, 199)), vis, r);
        QCOMPARE(p.size(), thermal);
        QCOMPARE(at(p, thermal.width() / 2, thermal.height() / 2), rgb(9, 99, 199));
        QVERIFY(c.usedThermalFallback());
        QVERIFY(c.compose(QImage(), vis, r).isNull());
    }

    // The enlargement of every picture size the screen shows, and the
    // reduction of the blend, agree with the painter's smooth scaling to
    // within rounding: same pixel centres, same weights.
    void enlargerMatchesSmoothScaling_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<QImage::Format>("format");
        QTest::newRow("thermal as it comes") << QSize(192, 256) << QSize(240, 320) << QImage::Format_RGB888;
        QTest::newRow("visible to screen") << QSize(264, 352) << QSize(240, 320) << QImage::Format_RGB32;
        QTest::newRow("blend to screen") << QSize(120, 160) << QSize(240, 320) << QImage::Format_RGB32;
        QTest::newRow("blend halves") << QSize(192, 256) << QSize(120, 160) << QImage::Format_RGB32;
    }
    void enlargerMatchesSmoothScaling()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(QImage::Format, format);
        const QImage src = pattern(from).convertToFormat(format);
        QImage ours(to, QImage::Format_RGB32);
        Enlarger e;
        e.run(src, ours);
        QImage painted(to, QImage::Format_RGB32);
        {
            QPainter p(&painted);
            p.setRenderHint(QPainter::SmoothPixmapTransform, true);
            p.drawImage(painted.rect(), src);
        }
        QVERIFY2(largestChannelDifference(ours, painted) <= 2,
                 qPrintable(QString::number(largestChannelDifference(ours, painted))));
        // Made again over the same tables, and after another size: the same picture.
        QImage again(to, QImage::Format_RGB32);
        QImage other(QSize(7, 9), QImage::Format_RGB32);
        e.run(src, other);
        e.run(src, again);
        QCOMPARE(again, ours);
    }

    // Every size and picture enlarges to exactly the bytes the earlier,
    // plainer enlarger gave.
    void enlargerMatchesTheEarlierOne_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<int>("content");
        QTest::addColumn<int>("padding");
        struct Pair {
            const char *name;
            QSize from, to;
        };
        const Pair pairs[] = {
            {"thermal", {192, 256}, {240, 320}},
            {"visible", {264, 352}, {240, 320}},
            {"blend", {120, 160}, {240, 320}},
            {"blend halves", {192, 256}, {120, 160}},
            {"one group", {16, 4}, {20, 5}},
            {"5/4 across only", {192, 7}, {240, 1}},
            {"5/4 not in groups of 16", {20, 16}, {25, 20}},
            {"one pixel", {1, 1}, {240, 320}},
            {"one column", {1, 256}, {240, 320}},
            {"one row", {192, 1}, {240, 320}},
        };
        const struct {
            const char *name;
            QImage::Format format;
        } formats[] = {
            {"RGB888", QImage::Format_RGB888}, {"RGB32", QImage::Format_RGB32}, {"ARGB32", QImage::Format_ARGB32}};
        const char *contents[] = {"random", "extremes"};
        for (const Pair &p : pairs)
            for (const auto &f : formats)
                for (int c = Random; c <= Extremes; ++c)
                    QTest::addRow("%s %s %s", p.name, f.name, contents[c]) << p.from << p.to << f.format << c << 0;
        QTest::newRow("thermal RGB888 padded rows")
            << QSize(192, 256) << QSize(240, 320) << QImage::Format_RGB888 << int(Random) << 5;
        QTest::newRow("thermal RGB32 padded rows")
            << QSize(192, 256) << QSize(240, 320) << QImage::Format_RGB32 << int(Random) << 12;
    }
    void enlargerMatchesTheEarlierOne()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(QImage::Format, format);
        QFETCH(int, content);
        QFETCH(int, padding);
        const Source src = source(from, format, Content(content), padding);
        QImage ours(to, QImage::Format_RGB32), before(to, QImage::Format_RGB32);
        ours.fill(0x12345678u);
        before.fill(0x9abcdef0u);
        Enlarger e;
        e.run(src.image, ours);
        reference::Enlarger().run(src.image, before);
        QCOMPARE(firstDifference(ours, before), QString());
        // The tables kept from the first run give the same again.
        ours.fill(0);
        e.run(src.image, ours);
        QCOMPARE(firstDifference(ours, before), QString());
    }

    // 8-bit RGB to 32-bit, four pixels at a time and the rest one by one.
    void toRgb32MatchesQImage_data()
    {
        QTest::addColumn<int>("pixels");
        for (int n : {1, 3, 4, 5, 263})
            QTest::addRow("%d pixels", n) << n;
    }
    void toRgb32MatchesQImage()
    {
        QFETCH(int, pixels);
        QImage rgb(pixels, 1, QImage::Format_RGB888);
        for (int x = 0; x < pixels; ++x)
            rgb.setPixel(x, 0, qRgb((x * 37 + 11) & 255, (x * 91 + 200) & 255, (x * 13 + 5) & 255));
        std::vector<uint32_t> out(static_cast<size_t>(pixels) + 1, 0x12345678u);
        toRgb32(rgb.constBits(), out.data(), pixels);
        const QImage expect = rgb.convertToFormat(QImage::Format_RGB32);
        for (int x = 0; x < pixels; ++x)
            QCOMPARE(out[static_cast<size_t>(x)], uint32_t(expect.pixel(x, 0)));
        QCOMPARE(out.back(), 0x12345678u);   // nothing written past the end
    }

    // The downscaled halves of the blend keep their geometry too.
    void blendKeepsGeometry()
    {
        QImage th = flat(192, 256, qRgb(0, 0, 0));
        for (int y = 0; y < 256; ++y)
            for (int x = 96; x < 192; ++x)
                th.setPixel(x, y, qRgb(200, 200, 200));
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = 50;
        const QImage &p = c.compose(th, flat(264, 352, qRgb(0, 0, 0)), r);
        QCOMPARE(qRed(p.pixel(58, 80)), 0);
        QCOMPARE(qRed(p.pixel(61, 80)), 100);
    }

    void digitalShowsTheWholeVisiblePicture()
    {
        QImage vis = flat(264, 352, qRgb(0, 255, 0));
        for (int x = 0; x < 264; ++x)
            vis.setPixel(x, 0, qRgb(255, 0, 0));
        Composer c;
        Request r;
        r.mode = 1;
        const QImage &p = c.compose(flat(192, 256, qRgb(0, 0, 0)), vis, r);
        QCOMPARE(p.size(), QSize(264, 352));
        QCOMPARE(at(p, 120, 0), rgb(255, 0, 0));
        QCOMPARE(at(p, 120, 200), rgb(0, 255, 0));
    }
};

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
