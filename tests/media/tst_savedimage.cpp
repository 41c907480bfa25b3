// The saved image format: what the writer stores, the reader gives back, at
// the offsets any other tool expects; the numbers of a capture; and files
// that are not what their name says.
#include "media/cardspace.h"
#include "media/savedimage.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <vector>

using namespace savedimage;

namespace {

uint32_t u32At(const QByteArray &b, int at)
{
    uint32_t v;
    std::memcpy(&v, b.constData() + at, 4);
    return v;
}
uint16_t u16At(const QByteArray &b, int at)
{
    uint16_t v;
    std::memcpy(&v, b.constData() + at, 2);
    return v;
}

QImage testScreen()
{
    QImage img(240, 320, QImage::Format_RGB888);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            img.setPixel(x, y, qRgb(x, y % 256, (x + y) % 256));
    return img;
}

ExifFields sampleFields()
{
    ExifFields f;
    f.unitFlag = 1;
    f.maxTemp = 370;
    f.minTemp = -52;
    f.centerTemp = 215;
    f.emissivity = 95;
    f.minX = 16;
    f.minY = 336;
    f.maxX = 200;
    f.maxY = 40;
    return f;
}

// The enlargement exactly as described, one pixel at a time.
uint8_t enlargedPixel(const uint8_t *g, int x, int y)
{
    const float fy = static_cast<float>(y / 1.25), fx = static_cast<float>(x / 1.25);
    const int r = static_cast<int>(fy), c = static_cast<int>(fx);
    const float wy1 = fy - r, wy0 = (r + 1) - fy, wx1 = fx - c, wx0 = (c + 1) - fx;
    const int r1 = r + 1 == 256 ? 255 : r + 1, c1 = c + 1 == 192 ? 191 : c + 1;
    auto at = [&](int row, int col) { return static_cast<float>(g[row * 192 + col]); };
    volatile float a = at(r, c) * wx0 * wy0;
    volatile float b = at(r1, c) * wx0 * wy1;
    volatile float cc = at(r, c1) * wx1 * wy0;
    volatile float d = at(r1, c1) * wx1 * wy1;
    volatile float sum = a + b;
    sum = sum + cc;
    sum = sum + d;
    return static_cast<uint8_t>(sum);
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

QByteArray sampleFile(std::vector<uint16_t> *rawOut = nullptr)
{
    std::vector<uint8_t> gray(240 * 320);
    for (size_t i = 0; i < gray.size(); ++i)
        gray[i] = static_cast<uint8_t>(i * 7);
    std::vector<uint16_t> raw(256 * 192);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<uint16_t>(4000 + i % 3000);
    if (rawOut)
        *rawOut = raw;
    return buildFile(testScreen(), exifBlock(gray.data(), colourTableFor(3), sampleFields()), raw.data());
}

}  // namespace

class TestSavedImage : public QObject {
    Q_OBJECT
private slots:
    void layoutOfTheFile();
    void roundTrip();
    void colourTables_data();
    void colourTables();
    void lavaTable();
    void temperatures_data();
    void temperatures();
    void emissivity_data();
    void emissivity();
    void clamping_data();
    void clamping();
    void enlargement();
    void badFiles_data();
    void badFiles();
    void cardSpace_data();
    void cardSpace();
};

void TestSavedImage::layoutOfTheFile()
{
    const QByteArray file = sampleFile();
    QCOMPARE(file.size(), 406096);
    QCOMPARE(file.left(2), QByteArray("BM"));
    QCOMPARE(u32At(file, 2), 230454u);
    QCOMPARE(u32At(file, 10), 54u);
    QCOMPARE(u32At(file, 18), 240u);
    QCOMPARE(u32At(file, 22), 320u);
    QCOMPARE(u16At(file, 28), uint16_t(24));
    QCOMPARE(u32At(file, 30), 0u);
    // Any reader of BMP files sees the screen, top row first.
    QImage back;
    QVERIFY(back.loadFromData(file, "BMP"));
    QCOMPARE(back.size(), QSize(240, 320));
    const QImage screen = testScreen();
    for (QPoint p : {QPoint(0, 0), QPoint(239, 0), QPoint(0, 319), QPoint(123, 201)})
        QCOMPARE(back.pixel(p), screen.pixel(p));
    // Fixed bytes of the block.
    const int p = 230454;
    QCOMPARE(uint8_t(file[p + 77317]), uint8_t(255));
    QCOMPARE(uint8_t(file[p + 77318]), uint8_t(0));
    QCOMPARE(u32At(file, p + 77322), 6u);
    QCOMPARE(u16At(file, p + 77334), uint16_t(120));
    QCOMPARE(u16At(file, p + 77336), uint16_t(160));
    QCOMPARE(int16_t(u16At(file, p + 77315)), int16_t(-52));
}

void TestSavedImage::roundTrip()
{
    std::vector<uint16_t> raw;
    const QByteArray file = sampleFile(&raw);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "IMG_0001.bmp", file);

    bool opened = false;
    const Contents c = readFile(path, &opened);
    QVERIFY(opened);
    QVERIFY(c.header && c.hasExif && c.hasRaw);
    QCOMPARE(c.width, 240);
    QCOMPARE(c.height, 320);
    QCOMPARE(c.blockOffset, 230454u);
    QVERIFY(c.fields == sampleFields());
    QVERIFY(c.colourTable == colormap_chamo);
    const QByteArray gray = readGray(path);
    QCOMPARE(gray.size(), 76800);
    for (int i : {0, 1, 239, 240, 76799})
        QCOMPARE(uint8_t(gray[i]), uint8_t(i * 7));
    const QByteArray rawBack = readRaw(path);
    QCOMPARE(rawBack.size(), 98304);
    QVERIFY(std::memcmp(rawBack.constData(), raw.data(), 98304) == 0);
    // The buffer reader agrees with the file reader.
    const Contents m = parse(file.constData(), file.size());
    QVERIFY(m.fields == c.fields && m.hasRaw);
}

void TestSavedImage::colourTables_data()
{
    QTest::addColumn<int>("colorMap");
    QTest::addColumn<const void *>("table");
    QTest::newRow("Iron") << 0 << static_cast<const void *>(&colormap_Iron);
    QTest::newRow("Rainbow") << 1 << static_cast<const void *>(&colormap_RainBow);
    QTest::newRow("White Hot") << 2 << static_cast<const void *>(&colormap_grayscale);
    QTest::newRow("Red Hot") << 3 << static_cast<const void *>(&colormap_chamo);
    QTest::newRow("Black Hot stores the grey table") << 4 << static_cast<const void *>(&colormap_grayscale);
    QTest::newRow("Lava stores its own table") << 5 << static_cast<const void *>(&colormap_Lava);
    QTest::newRow("Rainbow HC") << 6 << static_cast<const void *>(&colormap_RainBowHC);
    QTest::newRow("unknown -1") << -1 << static_cast<const void *>(&colormap_Iron);
    QTest::newRow("unknown 7") << 7 << static_cast<const void *>(&colormap_Iron);
}

void TestSavedImage::colourTables()
{
    QFETCH(int, colorMap);
    QFETCH(const void *, table);
    QCOMPARE(static_cast<const void *>(&colourTableFor(colorMap)), table);
}

void TestSavedImage::lavaTable()
{
    QCOMPARE(colormap_Lava[0], uint16_t(0x0000));
    QCOMPARE(colormap_Lava[64], uint16_t(0x03D2));
    QCOMPARE(colormap_Lava[128], uint16_t(0xA10A));
    QCOMPARE(colormap_Lava[192], uint16_t(0xFB00));
    QCOMPARE(colormap_Lava[255], uint16_t(0xFFFF));
    QVERIFY(colormap_Lava != colormap_rongyan);
    // Smooth: no component jumps by more than a few steps between neighbours.
    for (int i = 1; i < 256; ++i) {
        const int a = colormap_Lava[i - 1], b = colormap_Lava[i];
        QVERIFY2(qAbs((a >> 11) - (b >> 11)) <= 2 && qAbs(((a >> 5) & 63) - ((b >> 5) & 63)) <= 3 &&
                     qAbs((a & 31) - (b & 31)) <= 2,
                 qPrintable(QString::number(i)));
    }
}

void TestSavedImage::temperatures_data()
{
    QTest::addColumn<QString>("centre");
    QTest::addColumn<QString>("max");
    QTest::addColumn<QString>("min");
    QTest::addColumn<bool>("celsius");
    QTest::addColumn<int>("c");
    QTest::addColumn<int>("mx");
    QTest::addColumn<int>("mn");
    QTest::addColumn<int>("unit");
    QTest::newRow("Celsius") << "21.3" << "36.5" << "-5.2" << true << 213 << 365 << -52 << 0;
    QTest::newRow("Fahrenheit 98.6 is 370") << "70.4" << "98.6" << "32.0" << false << 213 << 370 << 0 << 1;
    QTest::newRow("Fahrenheit below zero") << "-4.0" << "212.0" << "-40.0" << false << -200 << 1000 << -400 << 1;
    QTest::newRow("empty texts before the first refresh") << "" << "" << "" << true << 0 << 0 << 0 << 0;
    QTest::newRow("beyond 16 bits is held") << "9999.9" << "40000" << "-40000" << true << 32767 << 32767 << -32768
                                            << 0;
}

void TestSavedImage::temperatures()
{
    QFETCH(QString, centre);
    QFETCH(QString, max);
    QFETCH(QString, min);
    QFETCH(bool, celsius);
    const StoredTemperatures t = storedTemperatures(centre, max, min, celsius);
    QTEST(int(t.centre), "c");
    QTEST(int(t.max), "mx");
    QTEST(int(t.min), "mn");
    QTEST(int(t.unitFlag), "unit");
}

void TestSavedImage::emissivity_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("stored");
    QTest::newRow("0.95") << "0.95" << 95;
    QTest::newRow("0.10") << "0.10" << 10;
    QTest::newRow("1.00") << "1.00" << 100;
    QTest::newRow("0.57") << "0.57" << 57;
    QTest::newRow("garbage") << "abc" << 0;
    QTest::newRow("too big is held") << "9.5" << 255;
}

void TestSavedImage::emissivity()
{
    QFETCH(QString, text);
    QTEST(int(storedEmissivity(text)), "stored");
}

void TestSavedImage::clamping_data()
{
    QTest::addColumn<int>("minTemp");
    QTest::addColumn<int>("maxTemp");
    QTest::addColumn<int>("in");
    QTest::addColumn<int>("out");
    // lo = (0 + 273.15) x 16 = 4370, hi = (100 + 273.15) x 16 = 5970 for 0..100 degC.
    QTest::newRow("inside") << 5 << 1005 << 5000 << 5000;
    QTest::newRow("at lo") << 5 << 1005 << 4370 << 4370;
    QTest::newRow("below lo") << 5 << 1005 << 100 << 4370;
    QTest::newRow("at hi") << 5 << 1005 << 5970 << 5970;
    QTest::newRow("above hi") << 5 << 1005 << 6500 << 5970;
    // 12210 becomes 12338 before clamping (490 degC range: hi = (500 + 273.15) x 16 = 12370).
    QTest::newRow("12210 gains 128") << 200 << 5000 << 12210 << 12338;
    QTest::newRow("12209 does not") << 200 << 5000 << 12209 << 12209;
    QTest::newRow("gain then held at hi") << 200 << 5000 << 12300 << 12370;
    QTest::newRow("negative minimum") << -205 << 300 << 1000 << 4050;   // (-20 + 273.15) x 16 = 4050.4
    QTest::newRow("top word does not wrap") << 200 << 32767 << 65500 << 56786;
}

void TestSavedImage::clamping()
{
    QFETCH(int, minTemp);
    QFETCH(int, maxTemp);
    QFETCH(int, in);
    uint16_t v = static_cast<uint16_t>(in);
    clampRaw(&v, 1, static_cast<int16_t>(minTemp), static_cast<int16_t>(maxTemp));
    QTEST(int(v), "out");
}

void TestSavedImage::enlargement()
{
    std::vector<uint8_t> g(256 * 192);
    for (int r = 0; r < 256; ++r)
        for (int c = 0; c < 192; ++c)
            g[r * 192 + c] = static_cast<uint8_t>((r * 31 + c * 17) ^ (r * c));
    std::vector<uint8_t> out(240 * 320);
    enlargeGray(g.data(), out.data());
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            if (out[y * 240 + x] != enlargedPixel(g.data(), x, y))
                QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
    // Every fifth output pixel falls exactly on a source pixel.
    QCOMPARE(out[0], g[0]);
    QCOMPARE(out[5 * 240 + 5], g[4 * 192 + 4]);
    QCOMPARE(out[315 * 240 + 235], g[252 * 192 + 188]);
}

void TestSavedImage::badFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("header");
    QTest::addColumn<bool>("exif");
    QTest::addColumn<bool>("raw");
    const QByteArray good = sampleFile();
    QByteArray hugeField = good;
    hugeField[2] = hugeField[3] = hugeField[4] = char(0xFF);
    hugeField[5] = char(0x7F);
    QByteArray negativeField = good;
    negativeField[5] = char(0x80);
    QByteArray justInside = good.left(230454 + 77338);
    QByteArray notBmp = good;
    notBmp[0] = 'G';
    notBmp[1] = 'I';
    QTest::newRow("complete") << good << true << true << true;
    QTest::newRow("zero length") << QByteArray() << false << false << false;
    QTest::newRow("one byte") << QByteArray("B") << false << false << false;
    QTest::newRow("header cut") << good.left(25) << false << false << false;
    QTest::newRow("no blocks (abandoned save)") << good.left(230454) << true << false << false;
    QTest::newRow("block cut by one byte") << good.left(230454 + 77337) << true << false << false;
    QTest::newRow("block without raw") << justInside << true << true << false;
    QTest::newRow("raw cut") << good.left(406095) << true << true << false;
    QTest::newRow("huge size field") << hugeField << true << false << false;
    QTest::newRow("negative size field") << negativeField << true << false << false;
    QTest::newRow("not a BMP") << notBmp << false << false << false;
    QTest::newRow("garbage") << QByteArray(5000, char(0xA5)) << false << false << false;
}

void TestSavedImage::badFiles()
{
    QFETCH(QByteArray, bytes);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "IMG_0005.bmp", bytes);
    const Contents c = readFile(path);
    QTEST(c.header, "header");
    QTEST(c.hasExif, "exif");
    QTEST(c.hasRaw, "raw");
    const Contents m = parse(bytes.constData(), bytes.size());
    QCOMPARE(m.header, c.header);
    QCOMPARE(m.hasExif, c.hasExif);
    QCOMPARE(readGray(path).isEmpty(), !c.hasExif);
    QCOMPARE(readRaw(path).isEmpty(), !c.hasRaw);
    bool opened = true;
    readFile(dir.filePath("missing.bmp"), &opened);
    QVERIFY(!opened);
}

void TestSavedImage::cardSpace_data()
{
    QTest::addColumn<bool>("ok");
    QTest::addColumn<int>("freeMb");
    QTest::addColumn<bool>("low");
    QTest::newRow("empty card") << true << 0 << true;
    QTest::newRow("1 MB") << true << 1 << true;
    QTest::newRow("2 MB") << true << 2 << false;
    QTest::newRow("plenty") << true << 3000 << false;
    QTest::newRow("unreadable") << false << 0 << false;
}

void TestSavedImage::cardSpace()
{
    QFETCH(bool, ok);
    QFETCH(int, freeMb);
    board::DiskSpace s;
    s.ok = ok;
    s.freeMb = static_cast<quint64>(freeMb);
    s.totalMb = 4000;
    QTEST(cardspace::isLow(s), "low");
}

QTEST_APPLESS_MAIN(TestSavedImage)
#include "tst_savedimage.moc"
