// The live picture of each image mode, checked on flat pictures whose blend
// is known to the pixel; the enlarger against its earlier, plainer version;
// overlays drawn from a picture of themselves against overlays drawn directly.
#include "common/imagediff.h"
#include "liveview/composition.h"
#include "liveview/overlaylayer.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>

#include <QtTest>

#include "referenceenlarger.h"

#include <functional>
#include <random>

using namespace composition;

namespace {

QRgb at(const QImage &img, int x, int y) { return img.pixel(x, y) & 0xffffff; }   // without the alpha

QImage flat(QSize size, QRgb c)
{
    QImage img(size, QImage::Format_RGB888);
    img.fill(QColor::fromRgb(c));
    return img;
}

// A picture whose every byte is given (random, or 0 and 255 in turn), alpha
// included where it has one; `padding` extra bytes of noise end each row.
struct Source {
    std::vector<uint8_t> bytes;
    QImage image;
};
Source source(QSize size, QImage::Format format, bool extremes, int padding)
{
    const int bpp = format == QImage::Format_RGB888 ? 3 : 4, row = size.width() * bpp;
    const int stride = (row + padding + 3) / 4 * 4;
    Source s;
    s.bytes.resize(static_cast<size_t>(stride) * size.height());
    std::mt19937 noise(size.width() * 7919 + size.height());
    for (size_t i = 0; i < s.bytes.size(); ++i) {
        const int x = static_cast<int>(i % stride), y = static_cast<int>(i / stride);
        s.bytes[i] = static_cast<uint8_t>(noise());
        if (extremes && x < row)
            s.bytes[i] = ((x / bpp + y + x % bpp) & 1) ? 255 : 0;
        if (format == QImage::Format_RGB32 && x < row && x % 4 == 3)
            s.bytes[i] = 0xff;   // its alpha byte is opaque by definition
    }
    s.image = QImage(s.bytes.data(), size.width(), size.height(), stride, format);
    return s;
}

// A black window of 120 x 60 with one label on it, as on the live view.
struct Scene {
    QWidget window;
    QLabel *label;
    explicit Scene(const QString &style, const QString &text)
    {
        window.setStyleSheet(QStringLiteral("background-color: rgb(20, 60, 100);"));
        window.resize(120, 60);
        label = new QLabel(&window);
        label->setGeometry(10, 10, 90, 32);
        label->setStyleSheet(style);
        label->setText(text);
    }
    QImage shot() { return window.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

}   // namespace

class TestComposition : public QObject {
    Q_OBJECT
private slots:
    void blend_data()
    {
        using V = QVector<int>;
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("trans");
        QTest::addColumn<QVector<QRgb>>("colours");   // thermal, visible
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QVector<int>>("probes");   // x, y, expected colour ...
        const QVector<QRgb> fusion{qRgb(200, 100, 7), qRgb(50, 255, 1)}, pip{qRgb(200, 100, 8), qRgb(40, 80, 120)};
        QTest::newRow("50/50") << 2 << 50 << fusion << QSize(120, 160) << V{119, 159, 0x7db103};
        QTest::newRow("75/25") << 2 << 75 << fusion << QSize(120, 160) << V{119, 159, 0xa28a05};
        QTest::newRow("25/75") << 2 << 25 << fusion << QSize(120, 160) << V{119, 159, 0x57d801};
        QTest::newRow("100: thermal unmixed") << 2 << 100 << fusion << QSize(192, 256) << V{191, 255, 0xc86407};
        QTest::newRow("0: visible crop unmixed") << 2 << 0 << fusion << QSize(192, 256) << V{191, 255, 0x32ff01};
        // The window's corners mixed, just outside them the visible picture.
        QTest::newRow("pip 25") << 3 << 25 << pip << QSize(192, 256)
                                << V{48, 64, 0x50555c, 143, 191, 0x50555c, 47, 64, 0x285078, 144, 191, 0x285078};
    }
    void blend()
    {
        QFETCH(int, mode);
        QFETCH(int, trans);
        QFETCH(QVector<QRgb>, colours);
        QFETCH(QSize, size);
        QFETCH(QVector<int>, probes);
        Composer c;
        Request r;
        r.mode = mode;
        r.trans = r.pipTrans = trans;
        const QImage &pic = c.compose(flat({192, 256}, colours[0]), flat({264, 352}, colours[1]), r);
        QCOMPARE(pic.size(), size);
        QVERIFY(!c.usedThermalFallback());
        for (int i = 0; i < probes.size(); i += 3)
            QCOMPARE(at(pic, probes[i], probes[i + 1]), QRgb(probes[i + 2]));
        QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);   // enlarged to the whole screen
        Enlarger().run(pic, screen);
        QCOMPARE(at(screen, 239, 319), at(pic, size.width() - 1, size.height() - 1));
    }

    // The crop is taken at its corner: a visible picture whose only red
    // column and green row start at the crop shows them on the picture's edges.
    void cropFollowsTheOffsets_data()
    {
        QTest::addColumn<QPoint>("corner");
        QTest::newRow("far corner") << QPoint(72, 96);
        QTest::newRow("origin") << QPoint(0, 0);
    }
    void cropFollowsTheOffsets()
    {
        QFETCH(QPoint, corner);
        QImage vis = flat({264, 352}, qRgb(0, 0, 255));
        for (int y = 0; y < 352; ++y)
            vis.setPixel(corner.x(), y, qRgb(255, 0, 0));
        for (int x = 0; x < 264; ++x)
            vis.setPixel(x, corner.y(), qRgb(0, 255, 0));
        Composer c;
        Request r;
        r.mode = 2;
        r.trans = 0;
        r.crop = corner;
        const QImage &p = c.compose(flat({192, 256}, 0), vis, r);
        QCOMPARE(QVector<QRgb>({at(p, 0, 160), at(p, 1, 160), at(p, 100, 0), at(p, 100, 1)}),
                 QVector<QRgb>({0xff0000, 0x0000ff, 0x00ff00, 0x0000ff}));
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
        const QImage vis = visible ? flat({264, 352}, qRgb(1, 2, 3)) : QImage();
        const QImage &p = c.compose(flat(thermal, qRgb(9, 99, 199)), vis, r);
        QCOMPARE(p.size(), thermal);
        QCOMPARE(at(p, thermal.width() / 2, thermal.height() / 2), QRgb(0x0963c7));
        QVERIFY(c.usedThermalFallback());
        QVERIFY(c.compose(QImage(), vis, r).isNull());
    }

    // Every size and picture enlarges to exactly the bytes, alpha included,
    // the earlier, plainer enlarger gave, also from the tables kept from a first run.
    void enlargerMatchesTheEarlierOne_data()
    {
        QTest::addColumn<QSize>("from");
        QTest::addColumn<QSize>("to");
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<bool>("extremes");
        QTest::addColumn<int>("padding");
        const struct {
            const char *name;
            QSize from, to;
        } pairs[] = {{"thermal", {192, 256}, {240, 320}},
                     {"visible", {264, 352}, {240, 320}},
                     {"blend", {120, 160}, {240, 320}},
                     {"blend halves", {192, 256}, {120, 160}},
                     {"one group", {16, 4}, {20, 5}},
                     {"5/4 across only", {192, 7}, {240, 1}},
                     {"5/4 not in groups of 16", {20, 16}, {25, 20}},
                     {"one pixel", {1, 1}, {240, 320}},
                     {"one column", {1, 256}, {240, 320}},
                     {"one row", {192, 1}, {240, 320}}};
        const QImage::Format formats[] = {QImage::Format_RGB888, QImage::Format_RGB32, QImage::Format_ARGB32};
        const char *formatNames[] = {"RGB888", "RGB32", "ARGB32"};
        for (const auto &p : pairs)
            for (int f = 0; f < 3; ++f)
                for (bool extremes : {false, true})
                    QTest::addRow("%s %s %s", p.name, formatNames[f], extremes ? "extremes" : "random")
                        << p.from << p.to << formats[f] << extremes << 0;
        QTest::newRow("RGB888 padded") << QSize(192, 256) << QSize(240, 320) << QImage::Format_RGB888 << false << 5;
        QTest::newRow("RGB32 padded") << QSize(192, 256) << QSize(240, 320) << QImage::Format_RGB32 << false << 12;
    }
    void enlargerMatchesTheEarlierOne()
    {
        QFETCH(QSize, from);
        QFETCH(QSize, to);
        QFETCH(QImage::Format, format);
        QFETCH(bool, extremes);
        QFETCH(int, padding);
        const Source src = source(from, format, extremes, padding);
        QImage ours(to, QImage::Format_RGB32), before(to, QImage::Format_RGB32);
        ours.fill(0x12345678u);
        before.fill(0x9abcdef0u);
        Enlarger e;
        reference::Enlarger().run(src.image, before);
        for (int run = 0; run < 2; ++run) {
            e.run(src.image, ours);
            for (int y = 0; y < to.height(); ++y)
                QVERIFY2(!memcmp(ours.constScanLine(y), before.constScanLine(y), 4 * to.width()),
                         qPrintable(QStringLiteral("row %1").arg(y)));
            ours.fill(0);
        }
    }

    // 8-bit RGB to 32-bit, four pixels at a time and the rest one by one, nothing written past the end.
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
        out.back() ^= 0x12345678u;
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(out.data()), 4 * (pixels + 1)),
                 QByteArray(reinterpret_cast<const char *>(expect.constBits()), 4 * pixels) + QByteArray(4, 0));
    }

    void looksAsDrawnDirectly_data()
    {
        QTest::addColumn<QString>("style");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qreal>("opacity");
        const QString readout = QStringLiteral("color: rgb(255, 255, 255);\nfont: bold 18pt \"DejaVu Sans\";");
        QTest::newRow("readout at 0.8") << readout << QStringLiteral("38.2\u2103") << 0.8;
        QTest::newRow("marker picture") << QStringLiteral("border-image: url(:/images/focus_high_32px.png);")
                                        << QString() << 1.0;
    }
    void looksAsDrawnDirectly()
    {
        QFETCH(QString, style);
        QFETCH(QString, text);
        QFETCH(qreal, opacity);
        Scene direct(style, text);
        if (opacity < 1.0) {
            auto *e = new QGraphicsOpacityEffect(direct.label);
            e->setOpacity(opacity);
            direct.label->setGraphicsEffect(e);
        }
        Scene layered(style, text);
        new OverlayLayer(layered.label, opacity);
        const QImage a = direct.shot(), b = layered.shot();
        QVERIFY2(largestChannelDifference(a, b) <= 2, qPrintable(QString::number(largestChannelDifference(a, b))));
        // Something was drawn at all: many pixels differ from the window's own.
        int drawn = 0;
        for (int y = 0; y < b.height(); ++y)
            for (int x = 0; x < b.width(); ++x)
                drawn += b.pixel(x, y) != b.pixel(115, 55);
        QVERIFY2(drawn > 40, qPrintable(QString::number(drawn)));
    }

    void pictureMadeOnlyWhenTheLookChanges()
    {
        Scene s(QStringLiteral("color: rgb(255, 255, 255);"), QStringLiteral("25.0"));
        auto *layer = new OverlayLayer(s.label);
        s.shot();
        QCOMPARE(layer->pictureCount(), 1);
        s.shot();
        s.label->move(30, 20);   // markers move on every refresh: the picture stays
        s.label->setText(QStringLiteral("25.0"));
        const QImage same = s.shot();
        QCOMPARE(layer->pictureCount(), 1);

        s.label->setText(QStringLiteral("26.0"));
        QVERIFY(s.shot() != same);
        QCOMPARE(layer->pictureCount(), 2);
        // Every other change of look makes it again, once.
        const std::function<void()> changes[] = {
            [&] { s.label->setStyleSheet(QStringLiteral("color: rgb(0, 255, 0);")); },
            [&] { s.label->resize(40, 20); },
            [&] { s.label->setPixmap(QPixmap(8, 8)); },
            [&] { s.label->setEnabled(false); },
        };
        int pictures = 2;
        for (const auto &change : changes) {
            change();
            s.shot();
            QCOMPARE(layer->pictureCount(), ++pictures);
        }
    }
};

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
