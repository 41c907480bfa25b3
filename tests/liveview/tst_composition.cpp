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
    // The picture of each mode on flat pictures; the visible one's only red
    // column and green row start at the crop's corner, so a crop taken there
    // shows them on the picture's edges. Without a usable visible picture
    // every mode shows the thermal picture, and so does PIP on a thermal
    // picture smaller than its window needs.
    void compose_data()
    {
        using V = QVector<int>;
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("trans");
        QTest::addColumn<QPoint>("crop");
        QTest::addColumn<QSize>("thermal");
        QTest::addColumn<QVector<QRgb>>("colours");   // thermal, visible (0: none)
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QVector<int>>("probes");   // x, y, expected colour ...
        QTest::addColumn<bool>("fallback");
        const QVector<QRgb> fusion{qRgb(200, 100, 7), qRgb(50, 255, 1)}, pip{qRgb(200, 100, 8), qRgb(40, 80, 120)};
        const QVector<QRgb> alone{qRgb(9, 99, 199), qRgb(1, 2, 3)}, none{qRgb(9, 99, 199), 0};
        const QSize th(192, 256), half(120, 160);
        const QPoint at(36, 48);
        const V centre{96, 128, 0x0963c7};
        QTest::newRow("50/50") << 2 << 50 << at << th << fusion << half << V{119, 159, 0x7db103} << false;
        QTest::newRow("75/25") << 2 << 75 << at << th << fusion << half << V{119, 159, 0xa28a05} << false;
        QTest::newRow("25/75") << 2 << 25 << at << th << fusion << half << V{119, 159, 0x57d801} << false;
        QTest::newRow("100: thermal unmixed") << 2 << 100 << at << th << fusion << th << V{191, 255, 0xc86407} << false;
        QTest::newRow("0: visible crop unmixed")
            << 2 << 0 << at << th << fusion << th << V{191, 255, 0x32ff01} << false;
        // The window's corners mixed, just outside them the visible picture.
        QTest::newRow("pip 25") << 3 << 25 << at << th << pip << th
                                << V{48, 64, 0x50555c, 143, 191, 0x50555c, 47, 64, 0x285078, 144, 191, 0x285078}
                                << false;
        const QVector<QRgb> blue{0, qRgb(0, 0, 255)};
        const V edges{0, 160, 0xff0000, 1, 160, 0x0000ff, 100, 0, 0x00ff00, 100, 1, 0x0000ff};
        QTest::newRow("crop at the far corner") << 2 << 0 << QPoint(72, 96) << th << blue << th << edges << false;
        QTest::newRow("crop at the origin") << 2 << 0 << QPoint(0, 0) << th << blue << th << edges << false;
        QTest::newRow("fusion, no visible") << 2 << 50 << at << th << none << th << centre << true;
        QTest::newRow("pip, no visible") << 3 << 50 << at << th << none << th << centre << true;
        QTest::newRow("crop outside the picture") << 2 << 50 << QPoint(80, 0) << th << alone << th << centre << true;
        QTest::newRow("crop left of the picture") << 2 << 50 << QPoint(-1, 48) << th << alone << th << centre << true;
        QTest::newRow("pip on a smaller thermal picture")
            << 3 << 50 << at << half << alone << half << V{60, 80, 0x0963c7} << true;
    }
    void compose()
    {
        QFETCH(int, mode);
        QFETCH(int, trans);
        QFETCH(QPoint, crop);
        QFETCH(QSize, thermal);
        QFETCH(QVector<QRgb>, colours);
        QFETCH(QSize, size);
        QFETCH(QVector<int>, probes);
        QFETCH(bool, fallback);
        Composer c;
        Request r;
        r.mode = mode;
        r.trans = r.pipTrans = trans;
        r.crop = crop;
        QImage vis = colours[1] ? flat({264, 352}, colours[1]) : QImage();
        for (int y = 0; !vis.isNull() && crop.x() >= 0 && crop.x() < 264 && y < 352; ++y)
            vis.setPixel(crop.x(), y, qRgb(255, 0, 0));
        for (int x = 0; !vis.isNull() && crop.y() < 352 && x < 264; ++x)
            vis.setPixel(x, crop.y(), qRgb(0, 255, 0));
        const QImage &pic = c.compose(flat(thermal, colours[0]), vis, r);
        QCOMPARE(pic.size(), size);
        QCOMPARE(c.usedThermalFallback(), fallback);
        for (int i = 0; i < probes.size(); i += 3)
            QCOMPARE(at(pic, probes[i], probes[i + 1]), QRgb(probes[i + 2]));
        QImage screen(kScreenW, kScreenH, QImage::Format_RGB32);   // enlarged to the whole screen
        Enlarger().run(pic, screen);
        QCOMPARE(at(screen, 239, 319), at(pic, size.width() - 1, size.height() - 1));
        QVERIFY(!fallback || c.compose(QImage(), vis, r).isNull());
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
        } pairs[] = {{"thermal", {192, 256}, {240, 320}},     {"visible", {264, 352}, {240, 320}},
                     {"blend", {120, 160}, {240, 320}},       {"one group", {16, 4}, {20, 5}},
                     {"5/4 across only", {192, 7}, {240, 1}}, {"5/4 not in groups of 16", {20, 16}, {25, 20}},
                     {"one pixel", {1, 1}, {240, 320}},       {"one column", {1, 256}, {240, 320}},
                     {"one row", {192, 1}, {240, 320}},       {"odd width", {263, 7}, {240, 320}}};
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
};

QTEST_MAIN(TestComposition)
#include "tst_composition.moc"
