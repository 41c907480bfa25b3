// The saved image format: what the writer stores, the reader gives back, at
// the offsets any other tool expects; the numbers of a capture; files that
// are not what their name says; and the gallery's rules without a screen.
#include "board/cardspace.h"
#include "media/mediafolder.h"
#include "media/mediatexts.h"
#include "media/savedimage.h"

#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace savedimage;

namespace {

const ExifFields kFields{1, 370, -52, 215, 95, kMachineId, 16, 336, 200, 40};

QImage testScreen()
{
    QImage img(240, 320, QImage::Format_RGB888);
    for (int y = 0; y < 320; ++y)
        for (int x = 0; x < 240; ++x)
            img.setPixel(x, y, qRgb(x, y % 256, (x + y) % 256));
    return img;
}

// The enlargement exactly as described, one pixel at a time, each product and sum rounded to float.
uint8_t enlargedPixel(const uint8_t *g, int x, int y)
{
    const float fy = static_cast<float>(y / 1.25), fx = static_cast<float>(x / 1.25);
    const int r = static_cast<int>(fy), c = static_cast<int>(fx);
    const float wy1 = fy - r, wy0 = (r + 1) - fy, wx1 = fx - c, wx0 = (c + 1) - fx;
    const int r1 = r + 1 == 256 ? 255 : r + 1, c1 = c + 1 == 192 ? 191 : c + 1;
    auto at = [&](int row, int col) { return static_cast<float>(g[row * 192 + col]); };
    volatile float a = at(r, c) * wx0 * wy0, b = at(r1, c) * wx0 * wy1, cc = at(r, c1) * wx1 * wy0;
    volatile float d = at(r1, c1) * wx1 * wy1, sum = a + b;
    sum = sum + cc;
    return static_cast<uint8_t>(sum + d);
}

QString writeFile(const QTemporaryDir &dir, const QByteArray &bytes)
{
    QFile f(dir.filePath("IMG_0001.bmp"));
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size() ? f.fileName() : QString();
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
    return buildFile(testScreen(), exifBlock(gray.data(), colourTableFor(5), kFields), sampleRaw().data());
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
    if (name == "card")
        return cardspace::isLow(board::DiskSpace{a[0] == "read", 4000, a[1].toULongLong()}) ? "low" : "room";
    if (name == "details") {
        Contents c;
        c.header = c.hasExif = true;
        c.fields = {static_cast<uint8_t>(a[2].toInt()), 0, 0, a[0].toShort(), static_cast<uint8_t>(a[1].toInt())};
        const mediatexts::ImageDetails d = mediatexts::imageDetails(c);
        return d.emissivity.value_or("-") + ' ' + d.centre.value_or("-");
    }
    const ColourTable *t = &colourTableFor(a[0].toInt());
    return t == &colormap_Lava ? "Lava" : t == &colormap_grayscale ? "grey" : t == &colormap_Iron ? "Iron" : "?";
}

}   // namespace

class TestSavedImage : public QObject {
    Q_OBJECT
private slots:
    // The bytes other tools read, at their absolute offsets in the file written
    // for kFields with the Lava table; the block starts at 230454.
    void bytesAtTheirOffsets_data()
    {
        QTest::addColumn<int>("offset");
        QTest::addColumn<QByteArray>("hex");
        const int p = 230454;
        QTest::newRow("BM, size, 0, pixels at") << 0 << QByteArray("424d36840300000000003600000028000000");
        QTest::newRow("240 x 320, 24 bits, plain") << 18 << QByteArray("f000000040010000010018000000000000840300");
        QTest::newRow("colours used and important") << 46 << QByteArray("0000000000000000");
        QTest::newRow("gray picture first bytes") << p << QByteArray("00070e15");
        QTest::newRow("gray picture last bytes") << p + 76798 << QByteArray("f2f9");
        QTest::newRow("Lava 0") << p + 76800 << QByteArray("0000");
        QTest::newRow("Lava 64") << p + 76800 + 128 << QByteArray("d203");
        QTest::newRow("Lava 72, halves away from 0") << p + 76800 + 144 << QByteArray("511b");
        QTest::newRow("Lava 128") << p + 76800 + 256 << QByteArray("0aa1");
        QTest::newRow("Lava 192") << p + 76800 + 384 << QByteArray("00fb");
        QTest::newRow("Lava 255") << p + 76800 + 510 << QByteArray("ffff");
        QTest::newRow("unit, 370, -52, 255 0, 215") << p + 77312 << QByteArray("017201ccffff00d700");
        QTest::newRow("emissivity 95, machine ID") << p + 77321 << QByteArray("5f06000000");
        QTest::newRow("markers: min, max, centre") << p + 77326 << QByteArray("10005001c80028007800a000");
        QTest::newRow("raw first word 4000") << p + 77338 << QByteArray("a00f");
        QTest::newRow("raw last word 5151") << 406094 << QByteArray("1f14");
    }

    void bytesAtTheirOffsets()
    {
        QFETCH(int, offset);
        QFETCH(QByteArray, hex);
        static const QByteArray file = sampleFile();
        QCOMPARE(file.size(), 406096);
        QCOMPARE(file.mid(offset, hex.size() / 2).toHex(), hex);
    }

    void roundTrip()
    {
        const QByteArray file = sampleFile();
        QTemporaryDir dir;
        const QString path = writeFile(dir, file);
        // Any reader of BMP files sees the screen, top row first.
        const QImage back(path, "BMP"), screen = testScreen();
        for (QPoint p : {QPoint(0, 0), QPoint(239, 0), QPoint(0, 319), QPoint(123, 201)})
            QCOMPARE(back.pixel(p), screen.pixel(p));
        bool opened = false;
        const Contents c = readFile(path, &opened);
        QVERIFY(opened && c.header && c.hasExif && c.hasRaw && c.fields == kFields);
        ExifFields moved = kFields;
        moved.centerY = 161;
        QVERIFY(!(c.fields == moved) && c.colourTable == colormap_Lava);
        const QByteArray gray = readGray(path);
        QVERIFY(gray.size() == 76800 && uint8_t(gray[76799]) == uint8_t(76799 * 7));
        QCOMPARE(readRaw(path), QByteArray(reinterpret_cast<const char *>(sampleRaw().data()), 98304));
        QVERIFY(parse(file.constData(), file.size()).fields == c.fields);   // the buffer reader agrees
    }

    // Each row: one rule applied to each input (";" between them); the outputs joined by ";".
    void rules_data()
    {
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const char *const rows[][3] = {
            {"size", "0;1023;1024;1536;3145728;1073741823;1073741824",
             "0 Bytes;1023 Bytes;1.00 K Bytes;1.50 K Bytes;3.00 M Bytes;1024.00 M Bytes;-"},
            // The rate truncated; a whole day does not read 00:00:00; no frames; no rate.
            {"length", "250 8.9;29800 8;691200 8;0 8;240 0", "00:00:31;01:02:05;-;-;-"},
            // A longer name is not taken for another; an upper-case extension.
            {"stem", "IMG_0001.bmp;Qel_0003.bmp;IMG_0001_copy.bmp;IMG_0002.BMP",
             "IMG_0001 IMG_0001.bmp;Qel_0003 Qel_0003.avi;IMG_0001_copy IMG_0001_copy.bmp;IMG_0002 IMG_0002.bmp"},
            // Other case on the card; its JPEG alone keeps the number; 9999 wraps to 1; out of range counts from 1.
            {"next", "3 img_0003.BMP IMG_0004.bmp;5 IMG_0005.jpg IMG_0006.bmp;9999 IMG_9999.bmp;0;9000 all-but-7",
             "5;7;1;1;7"},
            // The grid's selection at listing index i on row 0..2 of the nine shown, and whether the first was
            // reached: the first shown from then on. Index 5 shows from the first, so does below 5 the first time;
            // row 3 is no scroll-back row; -1 is not found.
            {"scroll-back", "12 0 0;13 2 0;5 1 0;3 0 0;0 0 0;3 0 1;20 3 0;-1 0 0",
             "9;8;0 first;0 first;0 first;-1 first;-1;-1"},
            {"emissivity", "0.95;abc;9.5", "95;0;255"},
            // Fahrenheit 98.6 is 370; empty texts before the first refresh; beyond 16 bits is held.
            {"temperatures", "21.3 36.5 -5.2 C;70.4 98.6 32.0 F;-4.0 212.0 -40.0 F;_ _ _ C;9999.9 40000 -40000 C",
             "213 365 -52 0;213 370 0 1;-200 1000 -400 1;0 0 0 0;32767 32767 -32768 0"},
            // 0..100 degC: lo = 273.15 x 16 = 4370, hi = 373.15 x 16 = 5970. At 200..5000 degC 12210 becomes 12338
            // before clamping, 12209 does not (hi = (500 + 273.15) x 16 = 12370); the top word does not wrap.
            {"clamp",
             "5 1005 100;5 1005 6500;200 5000 12210;200 5000 12209;200 5000 12300;-205 300 1000;200 32767 65500",
             "4370;5970;12338;12209;12370;4050;56786"},
            // 1 MB is too little to save in; a card whose space cannot be read is not refused.
            {"card", "read 1;read 2;unread 0", "low;room;room"},
            // The details page: emissivity and centre; an unknown unit leaves the temperatures.
            {"details", "-52 95 0;-52 95 7", "0.95 -5.2\u2103 ;0.95 -"},
            // Black Hot stores the grey table, Lava its own.
            {"table", "0;4;5;-1", "Iron;grey;Lava;Iron"},
        };
        for (const auto &r : rows)
            QTest::newRow(r[0]) << r[1] << r[2];
    }

    void rules()
    {
        QFETCH(QString, in);
        QStringList out;
        for (const QString &one : in.split(';'))
            out << rule(QTest::currentDataTag(), one.split(' '));
        QTEST(out.join(';'), "out");
    }

    void enlargement()
    {
        std::vector<uint8_t> g(256 * 192), out(240 * 320);
        for (int r = 0; r < 256; ++r)
            for (int c = 0; c < 192; ++c)
                g[r * 192 + c] = static_cast<uint8_t>((r * 31 + c * 17) ^ (r * c));
        enlargeGray(g.data(), out.data());
        for (int y = 0; y < 320; ++y)
            for (int x = 0; x < 240; ++x)
                if (out[y * 240 + x] != enlargedPixel(g.data(), x, y))
                    QFAIL(qPrintable(QString("pixel %1,%2").arg(x).arg(y)));
    }

    void badFiles()
    {
        const QByteArray good = sampleFile();
        QByteArray hugeField = good, notBmp = good;
        hugeField.replace(2, 4, "\xff\xff\xff\x7f");
        notBmp[0] = 'G';
        // What is found (header, block, raw) in a complete file; zero length; the header cut; no blocks (an
        // abandoned save); the block cut by one byte; a block without raw; the raw cut; a huge size field; no BMP.
        const QList<QByteArray> files = {good,
                                         {},
                                         good.left(25),
                                         good.left(230454),
                                         good.left(230454 + 77337),
                                         good.left(230454 + 77338),
                                         good.left(406095),
                                         hugeField,
                                         notBmp};
        QStringList found;
        QTemporaryDir dir;
        for (const QByteArray &bytes : files) {
            const QString path = writeFile(dir, bytes);
            const Contents c = readFile(path), m = parse(bytes.constData(), bytes.size());
            found << QString("%1%2%3").arg(c.header).arg(c.hasExif).arg(c.hasRaw);
            QVERIFY(m.header == c.header && m.hasExif == c.hasExif);
            QVERIFY(readGray(path).isEmpty() == !c.hasExif && readRaw(path).isEmpty() == !c.hasRaw);
        }
        QCOMPARE(found.join(' '), QString("111 000 000 100 100 110 110 100 000"));
        bool opened = true;
        readFile(dir.filePath("missing.bmp"), &opened);
        QVERIFY(!opened);
    }

    // A file changed after it was made still shows when it was made.
    void creationTime()
    {
        QTemporaryDir dir;
        QFile f(writeFile(dir, "x"));
        if (!QFileInfo(f).birthTime().isValid())
            QSKIP("this file system keeps no creation time");
        QVERIFY(f.open(QIODevice::ReadWrite));
        QVERIFY(f.setFileTime(QDateTime(QDate(2020, 1, 2), QTime(3, 4)), QFileDevice::FileModificationTime));
        f.close();
        QCOMPARE(mediatexts::fileTime(f.fileName(), "yyyy"), QString::number(QDate::currentDate().year()));
    }
};

QTEST_APPLESS_MAIN(TestSavedImage)
#include "tst_savedimage.moc"
