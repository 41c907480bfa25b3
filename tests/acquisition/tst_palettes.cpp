// The colour tables and the seven palette slots.
#include "acquisition/acquisitionstate.h"
#include "acquisition/framepath.h"
#include "acquisition/palettes.h"
#include "acquisition/thermalcamerathread.h"
#include "common/testboard.h"
#include "core/config.h"

#include <QtTest>

class TestPalettes : public QObject {
    Q_OBJECT
private slots:
    void eachSlot_data()
    {
        // Every colour of every slot, as the live view shows it and saved
        // pictures keep it: a changed stop or a turned table shows here.
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("sha1");
        QTest::addColumn<QString>("stored");
        QTest::newRow("Iron") << 1 << "183ae317432d"
                              << "Iron";
        QTest::newRow("Rainbow") << 2 << "3d3fc8a584f2"
                                 << "Rainbow";
        QTest::newRow("White Hot") << 3 << "4b06dde10f0f"
                                   << "WhiteHot";
        QTest::newRow("Red Hot") << 4 << "84799adb852a"
                                 << "RedHot";
        QTest::newRow("Black Hot") << 5 << "a3eb0423d486"
                                   << "BlackHot";
        QTest::newRow("Lava") << 6 << "d62c03e4c033"
                              << "Lava";
        QTest::newRow("Rainbow HC") << 7 << "6ce6b1ba46b0"
                                    << "RainbowHC";
    }
    void eachSlot()
    {
        QFETCH(int, number);
        QFETCH(QString, sha1);
        QFETCH(QString, stored);
        const Palette *p = palettes::byNumber(number);
        QVERIFY(p);
        const framepath::Rgb888Table t = framepath::expand(*p->table, p->inverted);
        const QByteArray bytes(reinterpret_cast<const char *>(t.rgb), sizeof t.rgb);
        QCOMPARE(QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(12), sha1.toLatin1());
        // The thread's slot of that number uses and stores it.
        const char *names[] = {"One", "Two", "Three", "Four", "Five", "Six", "Seven"};
        TestBoard board;
        ThermalCameraThread thread;
        acqState.paletteNumber.store(0);
        QVERIFY(
            QMetaObject::invokeMethod(&thread, qPrintable(QStringLiteral("radioButtonSelect") + names[number - 1])));
        QCOMPARE(acqState.paletteNumber.load(), number);
        QCOMPARE(config::readString(config::Main, QStringLiteral("color")), stored);
        QCOMPARE(palettes::byStoredValue(stored.toLatin1().constData()).number, number);
    }

    void unknownStoredValueIsIron()
    {
        QCOMPARE(palettes::byStoredValue("Sepia").number, 1);
        QCOMPARE(palettes::byStoredValue(nullptr).number, 1);
        QVERIFY(!palettes::byNumber(0) && !palettes::byNumber(8));
    }
};

QTEST_MAIN(TestPalettes)
#include "tst_palettes.moc"
