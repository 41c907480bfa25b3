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
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return f.fileName();
}

std::vector<uint16_t> sampleRaw()
{
    std::vector<uint16_t> raw(256 * 192);
    for (size_t i = 0; i < raw.size(); ++i)
        raw[i] = static_cast<uint16_t>(4000 + i % 3000);
    return raw;
}

QByteArray sampleFile()
{
    std::vector<uint8_t> gray(240 * 320);
    for (size_t i = 0; i < gray.size(); ++i)
        gray[i] = static_cast<uint8_t>(i * 7);
    return buildFile(testScreen(), exifBlock(gray.data(), colourTableFor(5), sampleFields()), sampleRaw().data());
}

// One screenless rule applied to the words of a row's input ("_" is an empty text).
QString rule(const QString &name, QStringList a)
{
    a.replaceInStrings(QRegularExpression("^_$"), QString());
    if (name == "size")
        return mediatexts::sizeText(a[0].toLongLong(), "Bytes").value_or("-");
    if (name == "length")
        return mediatexts::lengthText(a[0].toDouble(), a[1].toDouble()).value_or("-");
    if (name == "stem")
        return mediafolder::stem(a[0]) + ' ' + mediafolder::fileOfItem(mediafolder::stem(a[0]));
    if (name == "next" && a.value(1) == "all-but-7") {
        a = a.mid(0, 1);
        for (int i = 1; i <= 9999; ++i)
            if (i != 7)
                a << mediafolder::imageName(i, "bmp");
    }
    if (name == "next")
        return QString::number(mediafolder::nextFreeNumber(a[0].toInt(), a.mid(1)));
    if (name == "scroll-back") {
        bool reached = a[2] == "1";
        const int start = mediafolder::scrollBackStart(a[0].toInt(), a[1].toInt(), &reached);
        return QString::number(start) + (reached ? " first" : "");
    }
    if (name == "emissivity")
        return QString::number(storedEmissivity(a[0]));
    if (name == "temperatures") {
        const StoredTemperatures t = storedTemperatures(a[0], a[1], a[2], a[3] == "C");
        return QStringLiteral("%1 %2 %3 %4").arg(t.centre).arg(t.max).arg(t.min).arg(t.unitFlag);
    }
    if (name == "clamp") {
        uint16_t v = static_cast<uint16_t>(a[2].toInt());
        clampRaw(&v, 1, static_cast<int16_t>(a[0].toInt()), static_cast<int16_t>(a[1].toInt()));
        return QString::number(v);
    }
    if (name == "card") {
        board::DiskSpace s;
        s.ok = a[0] == "read";
        s.totalMb = 4000;
        s.freeMb = a[1].toInt();
        return cardspace::isLow(s) ? "low" : "room";
    }
    const ColourTable *t = &colourTableFor(a[0].toInt());
    return t == &colormap_Lava ? "Lava" : t == &colormap_grayscale ? "grey" : t == &colormap_Iron ? "Iron" : "?";
}

}   // namespace

class TestSavedImage : public QObject {
    Q_OBJECT
private slots:
    // The bytes other tools read, at their absolute offsets in the file written
    // for sampleFields() with the Lava table; the block starts at 230454.
    void bytesAtTheirOffsets_data()
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

    void bytesAtTheirOffsets()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, hex);
        static const QByteArray file = sampleFile();
        QCOMPARE(file.size(), 406096);
        const QByteArray want = QByteArray::fromHex(hex);
        QCOMPARE(file.mid(offset, want.size()).toHex(), want.toHex());
    }

    void roundTrip()
    {
        const QByteArray file = sampleFile();
        QTemporaryDir dir;
        const QString path = writeFile(dir, "IMG_0001.bmp", file);
        // Any reader of BMP files sees the screen, top row first.
        const QImage back(path, "BMP");
        const QImage screen = testScreen();
        for (QPoint p : {QPoint(0, 0), QPoint(239, 0), QPoint(0, 319), QPoint(123, 201)})
            QCOMPARE(back.pixel(p), screen.pixel(p));
        bool opened = false;
        const Contents c = readFile(path, &opened);
        QVERIFY(opened && c.header && c.hasExif && c.hasRaw);
        QVERIFY(c.fields == sampleFields());
        ExifFields moved = sampleFields();
        moved.centerY = 161;
        QVERIFY(!(c.fields == moved));
        QVERIFY(c.colourTable == colormap_Lava);
        const QByteArray gray = readGray(path);
        QCOMPARE(gray.size(), 76800);
        QCOMPARE(uint8_t(gray[76799]), uint8_t(76799 * 7));
        QCOMPARE(readRaw(path), QByteArray(reinterpret_cast<const char *>(sampleRaw().data()), 98304));
        // The buffer reader agrees with the file reader.
        QVERIFY(parse(file.constData(), file.size()).fields == c.fields);
    }

    void rules_data()
    {
        QTest::addColumn<QString>("rule");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const char *const rows[][4] = {
            {"size of an empty file", "size", "0", "0 Bytes"},
            {"1023", "size", "1023", "1023 Bytes"},
            {"1024", "size", "1024", "1.00 K Bytes"},
            {"1536", "size", "1536", "1.50 K Bytes"},
            {"3 MiB", "size", "3145728", "3.00 M Bytes"},
            {"just under 1 GiB", "size", "1073741823", "1024.00 M Bytes"},
            {"1 GiB leaves it", "size", "1073741824", "-"},
            {"rate truncated", "length", "250 8.9", "00:00:31"},
            {"an hour and more", "length", "29800 8", "01:02:05"},
            {"a whole day does not read 00:00:00", "length", "691200 8", "-"},
            {"no frames", "length", "0 8", "-"},
            {"no rate", "length", "240 0", "-"},
            {"image", "stem", "IMG_0001.bmp", "IMG_0001 IMG_0001.bmp"},
            {"video cover", "stem", "Qel_0003.bmp", "Qel_0003 Qel_0003.avi"},
            {"short name", "stem", "a.bmp", "a a"},
            {"longer name is not taken for another", "stem", "IMG_0001_copy.bmp", "IMG_0001_copy IMG_0001_copy.bmp"},
            {"upper-case extension", "stem", "IMG_0002.BMP", "IMG_0002 IMG_0002.bmp"},
            {"other case on the card", "next", "3 img_0003.BMP IMG_0004.bmp", "5"},
            {"its JPEG alone keeps the number", "next", "5 IMG_0005.jpg IMG_0006.bmp", "7"},
            {"wraps from 9999 to 1", "next", "9999 IMG_9999.bmp", "1"},
            {"out of range counts from 1", "next", "0", "1"},
            {"one number free", "next", "9000 all-but-7", "7"},
            // The grid's selection at listing index i on row 0..2 of the nine shown: the first shown from then on.
            {"top row", "scroll-back", "12 0 0", "9"},
            {"bottom row", "scroll-back", "13 2 0", "8"},
            {"index 5 shows from the first", "scroll-back", "5 1 0", "0 first"},
            {"below 5 the first time", "scroll-back", "3 0 0", "0 first"},
            {"index 0 the first time", "scroll-back", "0 0 0", "0 first"},
            {"below 5 once the first was reached", "scroll-back", "3 0 1", "-1 first"},
            {"row 3 is no scroll-back row", "scroll-back", "20 3 0", "-1"},
            {"not found", "scroll-back", "-1 0 0", "-1"},
            {"0.95", "emissivity", "0.95", "95"},
            {"garbage", "emissivity", "abc", "0"},
            {"too big is held", "emissivity", "9.5", "255"},
            {"Celsius", "temperatures", "21.3 36.5 -5.2 C", "213 365 -52 0"},
            {"Fahrenheit 98.6 is 370", "temperatures", "70.4 98.6 32.0 F", "213 370 0 1"},
            {"Fahrenheit below zero", "temperatures", "-4.0 212.0 -40.0 F", "-200 1000 -400 1"},
            {"empty texts before the first refresh", "temperatures", "_ _ _ C", "0 0 0 0"},
            {"beyond 16 bits is held", "temperatures", "9999.9 40000 -40000 C", "32767 32767 -32768 0"},
            // 0..100 degC: lo = 273.15 x 16 = 4370, hi = 373.15 x 16 = 5970.
            {"below lo", "clamp", "5 1005 100", "4370"},
            {"above hi", "clamp", "5 1005 6500", "5970"},
            // 12210 becomes 12338 before clamping (hi = (500 + 273.15) x 16 = 12370).
            {"12210 gains 128", "clamp", "200 5000 12210", "12338"},
            {"12209 does not", "clamp", "200 5000 12209", "12209"},
            {"gain then held at hi", "clamp", "200 5000 12300", "12370"},
            {"negative minimum", "clamp", "-205 300 1000", "4050"},
            {"top word does not wrap", "clamp", "200 32767 65500", "56786"},
            // 1 MB is too little to save in; a card whose space cannot be read is not refused.
            {"1 MB free", "card", "read 1", "low"},
            {"2 MB free", "card", "read 2", "room"},
            {"space unread", "card", "unread 0", "room"},
            {"Iron", "table", "0", "Iron"},
            {"Black Hot stores the grey table", "table", "4", "grey"},
            {"Lava stores its own table", "table", "5", "Lava"},
            {"unknown -1", "table", "-1", "Iron"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2] << r[3];
    }

    void rules()
    {
        QFETCH(QString, rule);
        QFETCH(QString, in);
        QTEST(::rule(rule, in.split(' ')), "out");
    }

    void enlargement()
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

    void badFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("header");
        QTest::addColumn<bool>("exif");
        QTest::addColumn<bool>("raw");
        const QByteArray good = sampleFile();
        QByteArray hugeField = good;
        hugeField[2] = hugeField[3] = hugeField[4] = char(0xFF);
        hugeField[5] = char(0x7F);
        QByteArray notBmp = good;
        notBmp[0] = 'G';
        QTest::newRow("complete") << good << true << true << true;
        QTest::newRow("zero length") << QByteArray() << false << false << false;
        QTest::newRow("header cut") << good.left(25) << false << false << false;
        QTest::newRow("no blocks (abandoned save)") << good.left(230454) << true << false << false;
        QTest::newRow("block cut by one byte") << good.left(230454 + 77337) << true << false << false;
        QTest::newRow("block without raw") << good.left(230454 + 77338) << true << true << false;
        QTest::newRow("raw cut") << good.left(406095) << true << true << false;
        QTest::newRow("huge size field") << hugeField << true << false << false;
        QTest::newRow("not a BMP") << notBmp << false << false << false;
    }

    void badFiles()
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

    void details()
    {
        Contents c;
        c.header = c.hasExif = true;
        c.fields.centerTemp = -52;
        c.fields.emissivity = 95;
        QCOMPARE(mediatexts::imageDetails(c).emissivity.value_or(QString()), QString("0.95"));
        QCOMPARE(mediatexts::imageDetails(c).centre.value_or(QString()), QString("-5.2\u2103 "));
        c.fields.unitFlag = 7;   // an unknown unit leaves the temperatures
        QVERIFY(!mediatexts::imageDetails(c).centre);
        c.hasExif = false;
        QVERIFY(!mediatexts::imageDetails(c).resolution);
    }

    // A file changed after it was made still shows when it was made.
    void creationTime()
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
};

QTEST_APPLESS_MAIN(TestSavedImage)
#include "tst_savedimage.moc"
