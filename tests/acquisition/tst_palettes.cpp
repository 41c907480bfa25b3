// The colour tables and the seven palette slots.
#include "acquisition/acquisitionstate.h"
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "core/config.h"
#include "common/testboard.h"

#include <QtTest>

#include <cstdlib>

class TestPalettes : public QObject {
    Q_OBJECT
private slots:
    void rampsAreSmooth();
    void tablesAsShipped_data();
    void tablesAsShipped();
    void slotsStoreTheChoice_data();
    void slotsStoreTheChoice();
    void unknownStoredValueIsIron();
};

void TestPalettes::rampsAreSmooth()
{
    // No jump between neighbouring grey levels larger than a ramp between
    // two stops 32 levels apart can make.
    for (const ColourTable *table : {&colormap_Iron, &colormap_RainBow, &colormap_grayscale, &colormap_chamo,
                                     &colormap_rongyan, &colormap_RainBowHC})
        for (int g = 1; g < 256; ++g) {
            uint8_t a[3], b[3];
            framepath::expand565((*table)[g - 1], a);
            framepath::expand565((*table)[g], b);
            for (int ch = 0; ch < 3; ++ch)
                QVERIFY2(std::abs(a[ch] - b[ch]) <= 16,
                         qPrintable(QStringLiteral("level %1 channel %2").arg(g).arg(ch)));
        }
}

void TestPalettes::tablesAsShipped_data()
{
    // Every colour of every slot, as the live view shows it and saved
    // pictures keep it: a changed stop or a turned table shows here.
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("sha1");
    QTest::newRow("Iron") << 1 << "183ae317432d";
    QTest::newRow("Rainbow") << 2 << "3d3fc8a584f2";
    QTest::newRow("White Hot") << 3 << "4b06dde10f0f";
    QTest::newRow("Red Hot") << 4 << "84799adb852a";
    QTest::newRow("Black Hot") << 5 << "a3eb0423d486";
    QTest::newRow("Lava") << 6 << "d62c03e4c033";
    QTest::newRow("Rainbow HC") << 7 << "6ce6b1ba46b0";
}

void TestPalettes::tablesAsShipped()
{
    QFETCH(int, number);
    QFETCH(QString, sha1);
    const Palette *p = palettes::byNumber(number);
    QVERIFY(p);
    const framepath::Rgb888Table t = framepath::expand(*p->table, p->inverted);
    const QByteArray bytes(reinterpret_cast<const char *>(t.rgb), sizeof t.rgb);
    QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12), sha1.toLatin1());
}

void TestPalettes::slotsStoreTheChoice_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("stored");
    QTest::newRow("1") << "radioButtonSelectOne" << 1 << "Iron";
    QTest::newRow("2") << "radioButtonSelectTwo" << 2 << "Rainbow";
    QTest::newRow("3") << "radioButtonSelectThree" << 3 << "WhiteHot";
    QTest::newRow("4") << "radioButtonSelectFour" << 4 << "RedHot";
    QTest::newRow("5") << "radioButtonSelectFive" << 5 << "BlackHot";
    QTest::newRow("6") << "radioButtonSelectSix" << 6 << "Lava";
    QTest::newRow("7") << "radioButtonSelectSeven" << 7 << "RainbowHC";
}

void TestPalettes::slotsStoreTheChoice()
{
    QFETCH(QString, slot);
    QFETCH(int, number);
    QFETCH(QString, stored);
    TestBoard board;
    ThermalCameraThread t;
    acqState.paletteNumber.store(0);
    QVERIFY(QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
    QCOMPARE(acqState.paletteNumber.load(), number);
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
