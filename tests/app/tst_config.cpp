#include "core/config.h"
#include "common/testboard.h"
#include "settings/maintenance.h"

#include <QSettings>
#include <QtTest>

using namespace config;

class TestConfig : public QObject {
    Q_OBJECT
private slots:
    void readChoice_data();
    void readChoice();
    void garbledFileGivesDefaults_data();
    void garbledFileGivesDefaults();
    void numbersWithDefaults_data();
    void numbersWithDefaults();
    void numbersInRange_data();
    void numbersInRange();
    void batchReadsWhatTheFileHolds();
    void valuesQtWouldBuildReadAsText_data();
    void valuesQtWouldBuildReadAsText();
    void factoryValues();
};

void TestConfig::readChoice_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QVariant>("stored");   // invalid: key absent
    QTest::addColumn<int>("index");
    QTest::addColumn<QVariant>("after");   // what the file holds afterwards; invalid: still absent

    const QVariant none;
    QTest::newRow("auto_power_off absent") << "auto_power_off" << none << 2 << QVariant("30Minutes");
    QTest::newRow("auto_power_off unknown") << "auto_power_off" << QVariant("7Minutes") << 2 << QVariant("30Minutes");
    QTest::newRow("texts are case-sensitive") << "auto_power_off" << QVariant("off") << 2 << QVariant("30Minutes");
    QTest::newRow("color absent: first, nothing written") << "color" << none << 0 << none;
    QTest::newRow("color unknown: first, left as is") << "color" << QVariant("Purple") << 0 << QVariant("Purple");
    QTest::newRow("color menu label is not the stored form")
        << QString("color") << QVariant("White Hot") << 0 << QVariant("White Hot");
    QTest::newRow("temp_unit F") << "temp_unit" << QVariant("F") << 1 << QVariant("F");
    QTest::newRow("language absent") << "language" << none << 1 << QVariant("Chinese");
    QTest::newRow("wifi_switch absent: not written") << "wifi_switch" << none << 1 << none;
}

void TestConfig::readChoice()
{
    QFETCH(QString, key);
    QFETCH(QVariant, stored);
    QFETCH(int, index);
    QFETCH(QVariant, after);
    TestBoard b(true, false);
    if (stored.isValid())
        write(Main, key, stored);
    const Choice *c = choice(key);
    QVERIFY(c);
    QCOMPARE(config::readChoice(*c), index);
    QCOMPARE(value(Main, key).isValid(), after.isValid());
    if (after.isValid())
        QCOMPARE(readString(Main, key), after.toString());
}

void TestConfig::garbledFileGivesDefaults_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[config\x01\x02=\x00\x80", 14);
    QTest::newRow("cut off mid-value") << QByteArray("[config]\nauto_power_off=5Min");
    QTest::newRow("values that do not parse") << QByteArray("[config]\ntrans=abc\npiptrans=1e\nalignment=x.y\n");
}

void TestConfig::garbledFileGivesDefaults()
{
    QFETCH(QByteArray, content);
    TestBoard b;
    b.write(Main.file, content);
    QCOMPARE(config::readChoice(*choice("auto_power_off")), 2);
    QCOMPARE(readTrans(), 50);
    QCOMPARE(readPipTrans(), 100);
    QCOMPARE(readAlignment(), 1.0f);
    QCOMPARE(readInt(Main, "image_count"), 0);
}

void TestConfig::numbersWithDefaults_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");   // empty: absent
    QTest::addColumn<double>("read");
    QTest::newRow("trans 0") << "trans" << QString("0") << 50.0;
    QTest::newRow("trans 250 pinned") << "trans" << QString("250") << 100.0;
    QTest::newRow("piptrans 0") << "piptrans" << QString("0") << 100.0;
    QTest::newRow("piptrans 10 pinned") << "piptrans" << QString("10") << 25.0;
    QTest::newRow("alignment 0.0") << "alignment" << QString("0.0") << 1.0;
    QTest::newRow("alignment 9 pinned") << "alignment" << QString("9") << 3.0;
    QTest::newRow("vlc_post_x 500 pinned") << "vlc_post_x" << QString("500") << 72.0;
    QTest::newRow("vlc_post_x text") << "vlc_post_x" << QString("left") << 36.0;
    QTest::newRow("vlc_post_y 97 pinned") << "vlc_post_y" << QString("97") << 96.0;
}

void TestConfig::numbersWithDefaults()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    QFETCH(double, read);
    TestBoard b;
    if (!stored.isEmpty())
        write(key.startsWith("vlc_post") ? ImageCal : Main, key, stored);
    const double got = key == "trans" ? readTrans()
        : key == "piptrans"           ? readPipTrans()
        : key == "vlc_post_x"         ? readVlcPostX()
        : key == "vlc_post_y"         ? readVlcPostY()
                                      : readAlignment();
    QCOMPARE(got, read);
}

void TestConfig::numbersInRange_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("lo");
    QTest::addColumn<double>("hi");
    QTest::addColumn<double>("fallback");
    QTest::addColumn<double>("asFloat");
    QTest::addColumn<int>("asInt");
    QTest::newRow("distance with blanks") << " 2.00 " << 0.25 << 4.0 << 0.25 << 2.0 << 2;
    QTest::newRow("nan keeps default") << "nan" << -10.0 << 50.0 << 25.0 << 25.0 << 25;
    QTest::newRow("decimal integer rounds") << "30.6" << -10.0 << 50.0 << 25.0 << 30.6 << 31;
    QTest::newRow("huge integer") << "99999999999999999999" << -10.0 << 50.0 << 25.0 << 50.0 << 50;
}

void TestConfig::numbersInRange()
{
    QFETCH(QString, text);
    QFETCH(double, lo);
    QFETCH(double, hi);
    QFETCH(double, fallback);
    QFETCH(double, asFloat);
    QFETCH(int, asInt);
    const int ilo = int(std::floor(lo)), ihi = int(std::ceil(hi)), ifb = int(std::lround(fallback));
    // The file readers and the text rules agree.
    TestBoard b;
    write(Main, "x", text);
    QCOMPARE(readFloatInRange(Main, "x", float(lo), float(hi), float(fallback)), float(asFloat));
    QCOMPARE(readIntInRange(Main, "x", ilo, ihi, ifb), asInt);
    QCOMPARE(floatInRange(text, float(lo), float(hi), float(fallback)), float(asFloat));
}

// Reads sharing one opening of a file give what separate reads give, writes
// made meanwhile included, and leave other files alone.
void TestConfig::batchReadsWhatTheFileHolds()
{
    TestBoard b;
    write(Main, "high_temp_c", "120");
    write(Image, "image_count", 7);
    {
        Batch batch(Main);
        QCOMPARE(readInt(Image, "image_count"), 7);
        write(Main, "high_temp_c", "130");
        QCOMPARE(readString(Main, "high_temp_c"), QString("130"));
        QVERIFY(b.read(Main.file).contains("high_temp_c=130"));
        {
            Batch inner(Image);
            write(Image, "image_count", 8);
            QCOMPARE(readInt(Image, "image_count"), 8);
            QCOMPARE(readString(Main, "high_temp_c"), QString("130"));
        }
    }
    // A file replaced behind our back (a shell copy) is read anew, by a plain
    // read and by the next batch; it differs in size because two writes a few
    // milliseconds apart can share a modification time.
    b.write(Main.file, "[config]\nhigh_temp_c=99\nlow_temp_c=1\n");
    QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
    {
        Batch again(Main);
        QCOMPARE(readString(Main, "high_temp_c"), QString("99"));
    }
    QFile::remove(filePath(Main));
    {
        Batch gone(Main);
        QCOMPARE(readString(Main, "high_temp_c"), QString());
    }
}

void TestConfig::valuesQtWouldBuildReadAsText_data()
{
    // An int 7 as Qt stores one: type 2, not null, then the value. Qt would
    // read `trans` as 7; it must read as the text, which is no number.
    const QByteArray raw = "@Variant(\\0\\0\\0\\x2\\0\\0\\0\\0\\x7)";
    const QString text = QString::fromLatin1(QByteArray("@Variant(\0\0\0\x02\0\0\0\0\x07)", 19));
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("text");   // what `trans` reads
    QTest::addColumn<bool>("kept");      // the file is left byte for byte
    QTest::newRow("plain") << raw << text << false;
    QTest::newRow("quoted, its @ escaped") << "  \"\\x40" + raw.mid(1) + "\"" << text << false;
    QTest::newRow("in a list") << "5, " + raw << "5, " + text << false;
    QTest::newRow("a date") << QByteArray("@DateTime(\\0)") << QString("@DateTime(") + QChar(0) + ")" << false;
    QTest::newRow("a text that starts with @") << QByteArray("@@home") << QString("@home") << true;
}

void TestConfig::valuesQtWouldBuildReadAsText()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, text);
    QFETCH(bool, kept);
    TestBoard b;
    const QByteArray content = "; kept\n[config]\ncolor=Lava\ntrans=" + value + " ; a comment\nzone=Yes\n";
    b.write(Main.file, content);
    QCOMPARE(readTrans(), 50);
    QCOMPARE(readString(Main, "trans"), text);
    QCOMPARE(readString(Main, "color"), QString("Lava"));
    QCOMPARE(readString(Main, "zone"), QString("Yes"));
    QCOMPARE(b.read(Main.file) == content, kept);
    write(Main, "zone", "No");   // a later write keeps the text
    QCOMPARE(readString(Main, "trans"), text);
}

void TestConfig::factoryValues()
{
    TestBoard b;
    write(Main, "auto_power_off", "Off");
    write(Main, "vlc_post_y", "12");   // not a factory key: survives
    write(System, "language", "English");
    maintenance::writeFactoryValues();
    QSettings s(b.file(Main.file), QSettings::IniFormat);
    s.beginGroup("config");
    QCOMPARE(s.childKeys().size(), 37);   // 36 factory keys and vlc_post_y
    QCOMPARE(s.value("auto_power_off").toString(), QString("30Minutes"));
    QCOMPARE(s.value("high_temp_k").toString(), QString("403"));
    QCOMPARE(s.value("vlc_post_y").toString(), QString("12"));
    QVERIFY(!s.contains("piptrans"));
    QCOMPARE(readString(System, "language"), QString("none"));
    QCOMPARE(b.commands(), QStringList{"sync"});
}

QTEST_GUILESS_MAIN(TestConfig)
#include "tst_config.moc"
