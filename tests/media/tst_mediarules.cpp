// The rules of the gallery and the information pages, without a screen:
// names, the grid's window, image numbers, size, length and detail texts.
#include "media/mediafolder.h"
#include "media/mediatexts.h"

#include <QtTest>

using namespace mediafolder;

class TestMediaRules : public QObject {
    Q_OBJECT
private slots:
    void stems_data();
    void stems();
    void window_data();
    void window();
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
};

void TestMediaRules::stems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("file");
    QTest::newRow("image") << "IMG_0001.bmp" << "IMG_0001" << "IMG_0001.bmp";
    QTest::newRow("video placeholder") << "Qel_0003.bmp" << "Qel_0003" << "Qel_0003.avi";
    QTest::newRow("short name") << "a.bmp" << "a" << "a";
    QTest::newRow("longer name is not taken for another") << "IMG_0001_copy.bmp" << "IMG_0001_copy"
                                                         << "IMG_0001_copy.bmp";
    QTest::newRow("upper-case extension") << "IMG_0002.BMP" << "IMG_0002" << "IMG_0002.bmp";
}

void TestMediaRules::stems()
{
    QFETCH(QString, name);
    QTEST(stem(name), "stem");
    QTEST(fileOfItem(stem(name)), "file");
}

void TestMediaRules::window_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("first");
    QTest::newRow("none") << 0 << 0;
    QTest::newRow("8") << 8 << 0;
    QTest::newRow("9") << 9 << 0;
    QTest::newRow("12: the last nine") << 12 << 3;
    QTest::newRow("9999") << 9999 << 9990;
}

void TestMediaRules::window()
{
    QFETCH(int, count);
    QTEST(firstShown(count), "first");
}

void TestMediaRules::scrollBack_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("reachedBefore");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("reachedAfter");
    QTest::newRow("row 0: one grid row back") << 20 << 0 << false << 17 << false;
    QTest::newRow("row 1") << 20 << 1 << false << 16 << false;
    QTest::newRow("row 2") << 20 << 2 << false << 15 << false;
    QTest::newRow("index 5 starts at the first") << 5 << 2 << false << 0 << true;
    QTest::newRow("below 5 the first time") << 3 << 0 << false << 0 << true;
    QTest::newRow("below 5 once reached: nothing") << 3 << 0 << true << -1 << true;
    QTest::newRow("row 3 is no scroll-back row") << 20 << 3 << false << -1 << false;
    QTest::newRow("not found") << -1 << 0 << false << -1 << false;
}

void TestMediaRules::scrollBack()
{
    QFETCH(int, index);
    QFETCH(int, row);
    QFETCH(bool, reachedBefore);
    bool reached = reachedBefore;
    QTEST(scrollBackStart(index, row, &reached), "start");
    QTEST(reached, "reachedAfter");
}

void TestMediaRules::numbers_data()
{
    QTest::addColumn<int>("wanted");
    QTest::addColumn<QStringList>("taken");
    QTest::addColumn<int>("number");
    QStringList all;
    for (int i = 1; i <= 9999; ++i)
        all << imageName(i, "bmp");
    QStringList allBut7 = all;
    allBut7.removeAll("IMG_0007.bmp");
    QTest::newRow("free") << 1 << QStringList{} << 1;
    QTest::newRow("image taken") << 1 << QStringList{"IMG_0001.bmp"} << 2;
    QTest::newRow("only its JPEG left") << 1 << QStringList{"IMG_0001.jpg"} << 2;
    QTest::newRow("other case on the card") << 3 << QStringList{"img_0003.BMP", "IMG_0004.bmp"} << 5;
    QTest::newRow("wraps from 9999 to 1") << 9999 << QStringList{"IMG_9999.bmp"} << 1;
    QTest::newRow("after the wrap, past early images") << 1 << QStringList{"IMG_0001.bmp", "IMG_0002.bmp"} << 3;
    QTest::newRow("out of range counts from 1") << 0 << QStringList{} << 1;
    QTest::newRow("one number free") << 9000 << allBut7 << 7;
    QTest::newRow("all taken") << 5 << all << 0;
}

void TestMediaRules::numbers()
{
    QFETCH(int, wanted);
    QFETCH(QStringList, taken);
    QTEST(nextFreeNumber(wanted, taken), "number");
}

void TestMediaRules::sizes_data()
{
    QTest::addColumn<qint64>("size");
    QTest::addColumn<QString>("text");
    QTest::newRow("0") << qint64(0) << "0 Bytes";
    QTest::newRow("1023") << qint64(1023) << "1023 Bytes";
    QTest::newRow("1024") << qint64(1024) << "1.00 K Bytes";
    QTest::newRow("1536") << qint64(1536) << "1.50 K Bytes";
    QTest::newRow("3 MiB") << qint64(3 * 1048576) << "3.00 M Bytes";
    QTest::newRow("just under 1 GiB") << qint64(1073741823) << "1024.00 M Bytes";
    QTest::newRow("1 GiB leaves it") << qint64(1073741824) << "";
}

void TestMediaRules::sizes()
{
    QFETCH(qint64, size);
    QTEST(mediatexts::sizeText(size, "Bytes").value_or(QString()), "text");
}

void TestMediaRules::lengths_data()
{
    QTest::addColumn<double>("frames");
    QTest::addColumn<double>("fps");
    QTest::addColumn<QString>("text");
    QTest::newRow("240 frames at 8") << 240.0 << 8.0 << "00:00:30";
    QTest::newRow("rate truncated") << 250.0 << 8.9 << "00:00:31";
    QTest::newRow("an hour and more") << 8.0 * 3725 << 8.0 << "01:02:05";
    QTest::newRow("no frames") << 0.0 << 8.0 << "";
    QTest::newRow("no rate") << 240.0 << 0.0 << "";
}

void TestMediaRules::lengths()
{
    QFETCH(double, frames);
    QFETCH(double, fps);
    QTEST(mediatexts::lengthText(frames, fps).value_or(QString()), "text");
}

void TestMediaRules::details_data()
{
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("centre");
    QTest::addColumn<int>("max");
    QTest::addColumn<QString>("unitText");
    QTest::addColumn<QString>("centreText");
    QTest::addColumn<QString>("maxText");
    QTest::newRow("Celsius") << 0 << -52 << 365 << "\u2103 " << "-5.2\u2103 " << "36.5\u2103 ";
    QTest::newRow("Fahrenheit") << 1 << 0 << 370 << "\u2109 " << "32.0\u2109 " << "98.6\u2109 ";
    QTest::newRow("unknown unit leaves them") << 7 << 1 << 2 << "" << "" << "";
}

void TestMediaRules::details()
{
    QFETCH(int, unit);
    QFETCH(int, centre);
    QFETCH(int, max);
    savedimage::Contents c;
    c.header = c.hasExif = true;
    c.width = 240;
    c.height = 320;
    c.fields.unitFlag = static_cast<uint8_t>(unit);
    c.fields.centerTemp = static_cast<int16_t>(centre);
    c.fields.maxTemp = static_cast<int16_t>(max);
    c.fields.emissivity = 95;
    const mediatexts::ImageDetails d = mediatexts::imageDetails(c);
    QCOMPARE(d.resolution.value_or(QString()), QString("240x320"));
    QCOMPARE(d.emissivity.value_or(QString()), QString("0.95"));
    QTEST(d.unit.value_or(QString()), "unitText");
    QTEST(d.centre.value_or(QString()), "centreText");
    QTEST(d.max.value_or(QString()), "maxText");
    c.hasExif = false;
    QVERIFY(!mediatexts::imageDetails(c).resolution);
}

QTEST_APPLESS_MAIN(TestMediaRules)
#include "tst_mediarules.moc"
