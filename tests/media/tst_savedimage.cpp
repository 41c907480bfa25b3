// The saved image format: what the writer stores, the reader gives back, at
// the offsets any other tool expects; the numbers of a capture; files that
// are not what their name says; and the gallery's rules without a screen.
#include "board/cardspace.h"
#include "media/mediafolder.h"
#include "media/mediatexts.h"
#include "media/savedimage.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>
#include <vector>

using namespace savedimage;

namespace {

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
    return buildFile(testScreen(), exifBlock(gray.data(), colourTableFor(5), sampleFields()), raw.data());
}

}   // namespace

class TestSavedImage : public QObject {
    Q_OBJECT
private slots:
    void layoutOfTheFile();
    void bytesAtTheirOffsets_data();
    void bytesAtTheirOffsets();
    void roundTrip();
    void colourTables_data();
    void colourTables();
    void temperatures_data();
    void temperatures();
    void emissivity_data();
    void emissivity();
    void clamping_data();
    void clamping();
    void enlargement();
    void badFiles_data();
    void badFiles();
    void cardSpace();
    void stems_data();
    void stems();
    void scrollBack_data();
    void scrollBack();
    void numbers_data();
    void numbers();
    void sizes_data();
    void sizes();
    void lengths_data();
    void lengths();
    void details_data();
    void details();
    void creationTime();
};

void TestSavedImage::layoutOfTheFile()
{
    const QByteArray file = sampleFile();
    QCOMPARE(file.size(), 406096);
    // Any reader of BMP files sees the screen, top row first.
    QImage back;
    QVERIFY(back.loadFromData(file, "BMP"));
    QCOMPARE(back.size(), QSize(240, 320));
    const QImage screen = testScreen();
    for (QPoint p : {QPoint(0, 0), QPoint(239, 0), QPoint(0, 319), QPoint(123, 201)})
        QCOMPARE(back.pixel(p), screen.pixel(p));
}

// The bytes other tools read, at their absolute offsets in the file written
// for sampleFields() with the Lava table; the block starts at 230454.
void TestSavedImage::bytesAtTheirOffsets_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("hex");
    const int p = 230454;
    const struct {
        const char *what;
        int offset;
        const char *hex;
    } rows[] = {
        {"BM", 0, "424d"},
        {"file size = block offset", 2, "36840300"},
        {"reserved", 6, "00000000"},
        {"pixel offset", 10, "36000000"},
        {"info header size", 14, "28000000"},
        {"width", 18, "f0000000"},
        {"height", 22, "40010000"},
        {"planes, 24 bits", 26, "01001800"},
        {"uncompressed, pixel bytes", 30, "0000000000840300"},
        {"colours used and important", 46, "0000000000000000"},
        {"gray picture first bytes", p, "00070e15"},
        {"gray picture last bytes", p + 76798, "f2f9"},
        {"Lava 0", p + 76800, "0000"},
        {"Lava 64", p + 76800 + 128, "d203"},
        {"Lava 72, halves rounded away from zero", p + 76800 + 144, "511b"},
        {"Lava 128", p + 76800 + 256, "0aa1"},
        {"Lava 192", p + 76800 + 384, "00fb"},
        {"Lava 255", p + 76800 + 510, "ffff"},
        {"unit flag", p + 77312, "01"},
        {"maximum 370", p + 77313, "7201"},
        {"minimum -52", p + 77315, "ccff"},
        {"255 then 0", p + 77317, "ff00"},
        {"centre 215", p + 77319, "d700"},
        {"emissivity 95", p + 77321, "5f"},
        {"machine ID", p + 77322, "06000000"},
        {"minimum marker 16, 336", p + 77326, "10005001"},
        {"maximum marker 200, 40", p + 77330, "c8002800"},
        {"centre spot 120, 160", p + 77334, "7800a000"},
        {"raw first word 4000", p + 77338, "a00f"},
        {"raw last word 5151", 406094, "1f14"},
    };
    for (const auto &r : rows)
        QTest::newRow(r.what) << r.offset << QByteArray(r.hex);
}

void TestSavedImage::bytesAtTheirOffsets()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, hex);
    static const QByteArray file = sampleFile();
    const QByteArray want = QByteArray::fromHex(hex);
    QCOMPARE(file.mid(offset, want.size()).toHex(), want.toHex());
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
    QVERIFY(c.fields == sampleFields());
    QVERIFY(c.colourTable == colormap_Lava);
    const QByteArray gray = readGray(path);
    QCOMPARE(gray.size(), 76800);
    QCOMPARE(uint8_t(gray[76799]), uint8_t(76799 * 7));
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
    QTest::newRow("Black Hot stores the grey table") << 4 << static_cast<const void *>(&colormap_grayscale);
    QTest::newRow("Lava stores its own table") << 5 << static_cast<const void *>(&colormap_Lava);
    QTest::newRow("unknown -1") << -1 << static_cast<const void *>(&colormap_Iron);
}

void TestSavedImage::colourTables()
{
    QFETCH(int, colorMap);
    QTEST(static_cast<const void *>(&colourTableFor(colorMap)), "table");
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
    QTest::newRow("Celsius") << "21.3"
                             << "36.5"
                             << "-5.2" << true << 213 << 365 << -52 << 0;
    QTest::newRow("Fahrenheit 98.6 is 370") << "70.4"
                                            << "98.6"
                                            << "32.0" << false << 213 << 370 << 0 << 1;
    QTest::newRow("Fahrenheit below zero") << "-4.0"
                                           << "212.0"
                                           << "-40.0" << false << -200 << 1000 << -400 << 1;
    QTest::newRow("empty texts before the first refresh") << ""
                                                          << ""
                                                          << "" << true << 0 << 0 << 0 << 0;
    QTest::newRow("beyond 16 bits is held") << "9999.9"
                                            << "40000"
                                            << "-40000" << true << 32767 << 32767 << -32768 << 0;
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
    QTest::newRow("below lo") << 5 << 1005 << 100 << 4370;
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
    QByteArray justInside = good.left(230454 + 77338);
    QByteArray notBmp = good;
    notBmp[0] = 'G';
    notBmp[1] = 'I';
    QTest::newRow("complete") << good << true << true << true;
    QTest::newRow("zero length") << QByteArray() << false << false << false;
    QTest::newRow("header cut") << good.left(25) << false << false << false;
    QTest::newRow("no blocks (abandoned save)") << good.left(230454) << true << false << false;
    QTest::newRow("block cut by one byte") << good.left(230454 + 77337) << true << false << false;
    QTest::newRow("block without raw") << justInside << true << true << false;
    QTest::newRow("raw cut") << good.left(406095) << true << true << false;
    QTest::newRow("huge size field") << hugeField << true << false << false;
    QTest::newRow("not a BMP") << notBmp << false << false << false;
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

void TestSavedImage::cardSpace()
{
    // 1 MB is too little to save in; a card whose space cannot be read is not refused.
    board::DiskSpace s;
    s.ok = true;
    s.totalMb = 4000;
    s.freeMb = 1;
    QVERIFY(cardspace::isLow(s));
    s.freeMb = 2;
    QVERIFY(!cardspace::isLow(s));
    s.ok = false;
    s.freeMb = 0;
    QVERIFY(!cardspace::isLow(s));
}

void TestSavedImage::stems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("file");
    QTest::newRow("image") << "IMG_0001.bmp"
                           << "IMG_0001"
                           << "IMG_0001.bmp";
    QTest::newRow("video placeholder") << "Qel_0003.bmp"
                                       << "Qel_0003"
                                       << "Qel_0003.avi";
    QTest::newRow("short name") << "a.bmp"
                                << "a"
                                << "a";
    QTest::newRow("longer name is not taken for another") << "IMG_0001_copy.bmp"
                                                          << "IMG_0001_copy"
                                                          << "IMG_0001_copy.bmp";
    QTest::newRow("upper-case extension") << "IMG_0002.BMP"
                                          << "IMG_0002"
                                          << "IMG_0002.bmp";
}

void TestSavedImage::stems()
{
    QFETCH(QString, name);
    QTEST(mediafolder::stem(name), "stem");
    QTEST(mediafolder::fileOfItem(mediafolder::stem(name)), "file");
}

// The rows the gallery's own keys do not reach.
void TestSavedImage::scrollBack_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    QTest::newRow("row 3 is no scroll-back row") << 20 << 3;
    QTest::newRow("not found") << -1 << 0;
}

void TestSavedImage::scrollBack()
{
    QFETCH(int, index);
    QFETCH(int, row);
    bool reached = false;
    QCOMPARE(mediafolder::scrollBackStart(index, row, &reached), -1);
    QVERIFY(!reached);
}

void TestSavedImage::numbers_data()
{
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<int>("number");
    QStringList allBut7;
    for (int i = 1; i <= 9999; ++i)
        if (i != 7)
            allBut7 << mediafolder::imageName(i, "bmp");
    QTest::newRow("other case on the card") << 3 << QStringList{"img_0003.BMP", "IMG_0004.bmp"} << 5;
    QTest::newRow("wraps from 9999 to 1") << 9999 << QStringList{"IMG_9999.bmp"} << 1;
    QTest::newRow("out of range counts from 1") << 0 << QStringList{} << 1;
    QTest::newRow("one number free") << 9000 << allBut7 << 7;
}

void TestSavedImage::numbers()
{
    QFETCH(int, wanted);
    QFETCH(QStringList, taken);
    QTEST(mediafolder::nextFreeNumber(wanted, taken), "number");
}

void TestSavedImage::sizes_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("empty file") << qint64(0) << "0 Bytes";
    QTest::newRow("1023") << qint64(1023) << "1023 Bytes";
    QTest::newRow("1024") << qint64(1024) << "1.00 K Bytes";
    QTest::newRow("1536") << qint64(1536) << "1.50 K Bytes";
    QTest::newRow("3 MiB") << qint64(3 * 1048576) << "3.00 M Bytes";
    QTest::newRow("just under 1 GiB") << qint64(1073741823) << "1024.00 M Bytes";
    QTest::newRow("1 GiB leaves it") << qint64(1073741824) << "";
}

void TestSavedImage::sizes()
{
    QFETCH(qint64, size);
    QTEST(mediatexts::sizeText(size, "Bytes").value_or(QString()), "text");
}

void TestSavedImage::lengths_data()
{
    QTest::addColumn<double>("frames");
    QTest::addColumn<double>("fps");
    QTest::addColumn<QString>("text");
    QTest::newRow("rate truncated") << 250.0 << 8.9 << "00:00:31";
    QTest::newRow("an hour and more") << 8.0 * 3725 << 8.0 << "01:02:05";
    QTest::newRow("a whole day does not read 00:00:00") << 8.0 * 86400 << 8.0 << "";
    QTest::newRow("no frames") << 0.0 << 8.0 << "";
    QTest::newRow("no rate") << 240.0 << 0.0 << "";
}

void TestSavedImage::lengths()
{
    QFETCH(double, frames);
    QFETCH(double, fps);
    QTEST(mediatexts::lengthText(frames, fps).value_or(QString()), "text");
}

void TestSavedImage::details_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<QString>("centreText");
    QTest::newRow("Celsius below zero") << 0 << "-5.2\u2103 ";
    QTest::newRow("unknown unit leaves them") << 7 << "";
}

void TestSavedImage::details()
{
    QFETCH(int, unit);
    Contents c;
    c.header = c.hasExif = true;
    c.width = 240;
    c.height = 320;
    c.fields.unitFlag = static_cast<uint8_t>(unit);
    c.fields.centerTemp = -52;
    c.fields.emissivity = 95;
    const mediatexts::ImageDetails d = mediatexts::imageDetails(c);
    QCOMPARE(d.emissivity.value_or(QString()), QString("0.95"));
    QTEST(d.centre.value_or(QString()), "centreText");
    c.hasExif = false;
    QVERIFY(!mediatexts::imageDetails(c).resolution);
}

// A file changed after it was made still shows when it was made.
void TestSavedImage::creationTime()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "IMG_0001.bmp", "x");
    if (!QFileInfo(path).birthTime().isValid())
        QSKIP("this file system keeps no creation time");
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4)), QFileDevice::FileModificationTime));
    f.close();
    QCOMPARE(mediatexts::fileTime(path, "yyyy"), QString::number(QDate::currentDate().year()));
}

QTEST_APPLESS_MAIN(TestSavedImage)
#include "tst_savedimage.moc"
