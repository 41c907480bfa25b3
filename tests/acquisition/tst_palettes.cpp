// The six colour tables and the seven palette slots.
#include "acquisition/acquisitionstate.h"
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "app/config.h"
#include "common/testboard.h"

#include <QtTest>

#include <cstdlib>

Q_DECLARE_METATYPE(const ColourTable *)

class TestPalettes : public QObject {
    Q_OBJECT
private slots:
    void tellingEntries_data();
    void tellingEntries();
    void rampsAreSmooth_data();
    void rampsAreSmooth();
    void slotsStoreTheChoice_data();
    void slotsStoreTheChoice();
    void unknownStoredValueIsIron();
};

void TestPalettes::tellingEntries_data()
{
    QTest::addColumn<const ColourTable *>("table");
    QTest::addColumn<QVector<int>>("entries");   // at 0, 64, 128, 192, 255
    QTest::newRow("Iron") << &colormap_Iron << QVector<int>{0x00A3, 0x9014, 0xF2A7, 0xFE00, 0xF7FE};
    QTest::newRow("Rainbow") << &colormap_RainBow << QVector<int>{0x0044, 0x035A, 0xEE83, 0xE96A, 0xF75C};
    QTest::newRow("grey") << &colormap_grayscale << QVector<int>{0x0000, 0x39E7, 0x7BEF, 0xBDF7, 0xF7DE};
    QTest::newRow("Red Hot") << &colormap_chamo << QVector<int>{0x41E7, 0xB577, 0xFFFF, 0xEFA3, 0xF800};
    QTest::newRow("Lava") << &colormap_rongyan << QVector<int>{0x0000, 0x03D2, 0xA10A, 0xFB20, 0xFFFF};
    QTest::newRow("Rainbow HC") << &colormap_RainBowHC << QVector<int>{0x0000, 0x9819, 0x0409, 0x7820, 0xFFBE};
}

void TestPalettes::tellingEntries()
{
    QFETCH(const ColourTable *, table);
    QFETCH(QVector<int>, entries);
    const int at[5] = {0, 64, 128, 192, 255};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(static_cast<int>((*table)[at[i]]), entries[i]);
}

void TestPalettes::rampsAreSmooth_data() { tellingEntries_data(); }

void TestPalettes::rampsAreSmooth()
{
    // No jump between neighbouring grey levels larger than a ramp between
    // two stops 32 levels apart can make.
    QFETCH(const ColourTable *, table);
    for (int g = 1; g < 256; ++g) {
        uint8_t a[3], b[3];
        framepath::expand565((*table)[g - 1], a);
        framepath::expand565((*table)[g], b);
        for (int ch = 0; ch < 3; ++ch)
            QVERIFY2(std::abs(a[ch] - b[ch]) <= 16, qPrintable(QStringLiteral("level %1 channel %2").arg(g).arg(ch)));
    }
}

void TestPalettes::slotsStoreTheChoice_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1") << 1 << "Iron";
    QTest::newRow("2") << 2 << "Rainbow";
    QTest::newRow("3") << 3 << "WhiteHot";
    QTest::newRow("4") << 4 << "RedHot";
    QTest::newRow("5") << 5 << "BlackHot";
    QTest::newRow("6") << 6 << "Lava";
    QTest::newRow("7") << 7 << "RainbowHC";
}

void TestPalettes::slotsStoreTheChoice()
{
    QFETCH(int, number);
    QFETCH(QString, stored);
    TestBoard board;
    ThermalCameraThread t;
    const char *slotNames[] = {"radioButtonSelectOne", "radioButtonSelectTwo", "radioButtonSelectThree",
                           "radioButtonSelectFour", "radioButtonSelectFive", "radioButtonSelectSix",
                           "radioButtonSelectSeven"};
    paletteNumber.store(0);
    QVERIFY(QMetaObject::invokeMethod(&t, slotNames[number - 1]));
    QCOMPARE(paletteNumber.load(), number);
    QCOMPARE(config::readString(config::Main, QStringLiteral("color")), stored);
    // Selecting it again keeps the same value.
    QVERIFY(QMetaObject::invokeMethod(&t, slotNames[number - 1]));
    QCOMPARE(config::readString(config::Main, QStringLiteral("color")), stored);
    QCOMPARE(palettes::byStoredValue(stored.toLatin1().constData()).number, number);
}

void TestPalettes::unknownStoredValueIsIron()
{
    QCOMPARE(palettes::byStoredValue("Sepia").number, 1);
    QCOMPARE(palettes::byStoredValue(nullptr).number, 1);
    QVERIFY(!palettes::byNumber(0));
    QVERIFY(!palettes::byNumber(8));
}

QTEST_MAIN(TestPalettes)
#include "tst_palettes.moc"
