// norvik7-export on images the camera itself saved: the simulated module
// looking at the office, the trigger key pressed twice. Every format is
// checked against the file's bytes decoded here, and against what the screen
// showed when the picture was frozen.
#include "common/acqtestsupport.h"
#include "common/livedevice.h"

#include "core/config.h"
#include "liveview/viewstate.h"

#include <QBuffer>
#include <QImageReader>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSplashScreen>
#include <QTemporaryDir>
#include <QtEndian>

#include <cmath>

namespace {

// What the camera showed and saved.
struct Capture {
    QString path;
    QByteArray file;
    double max = 0, min = 0, centre = 0;   // on-screen texts, display unit
    bool fahrenheit = false;
    QPoint maxMark, minMark;   // marker label centres on screen
    QString palette;

    uint32_t block() const { return qFromLittleEndian<uint32_t>(file.constData() + 2); }
    uint16_t word(int row, int column) const
    {
        return qFromLittleEndian<uint16_t>(file.constData() + block() + 77338 + 2 * (row * 192 + column));
    }
    QRgb colour(int x, int y) const
    {
        return tableColour(uint8_t(file[block() + y * 240 + x]));
    }   // the stored grey picture
    QRgb tableColour(int index) const
    {
        const uint16_t e = qFromLittleEndian<uint16_t>(file.constData() + block() + 76800 + 2 * index);
        return qRgb((e >> 8) & 0xF8, (e & 0x07E0) >> 3, (e << 3) & 0xFF);
    }
};

// A temperature in degrees Celsius in `unit`.
double inUnit(double c, const QString &unit) { return unit == "F" ? c * 9 / 5 + 32 : unit == "K" ? c + 273.15 : c; }
double degrees(uint16_t word, const QString &unit) { return inUnit(word * 0.0625 - 273.15, unit); }

// The ImageDescription tag of a little-endian TIFF's first directory.
QByteArray tiffDescription(const QByteArray &t)
{
    const uint32_t ifd = qFromLittleEndian<uint32_t>(t.constData() + 4);
    for (int i = 0; i < qFromLittleEndian<uint16_t>(t.constData() + ifd); ++i) {
        const char *e = t.constData() + ifd + 2 + 12 * i;
        if (qFromLittleEndian<uint16_t>(e) == 270)
            return t.mid(qFromLittleEndian<uint32_t>(e + 8), qFromLittleEndian<uint32_t>(e + 4) - 1);
    }
    return {};
}

QByteArray contents(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

struct Run {
    int status = -1;
    QString out, err;
};

Run exportCommand(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(NORVIK7_EXPORT_COMMAND), arguments);
    Run r;
    if (!p.waitForFinished(60000))
        return r;
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// Independent statistics of a rectangle of the frame, in the unit.
struct Stats {
    double mean = 0, min = 1e9, max = -1e9, sd = 0;
};
Stats statsOf(const Capture &c, QRect r, const QString &unit)
{
    Stats s;
    double sum = 0, squares = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const double t = degrees(c.word(y, x), unit);
            sum += t;
            squares += t * t;
            s.min = std::min(s.min, t);
            s.max = std::max(s.max, t);
        }
    const int n = r.width() * r.height();
    s.mean = sum / n;
    s.sd = std::sqrt(std::max(0.0, squares / n - s.mean * s.mean));
    return s;
}

void compareStats(const QJsonObject &got, const Stats &want)
{
    const std::pair<const char *, double> values[] = {
        {"mean", want.mean}, {"min", want.min}, {"max", want.max}, {"stddev", want.sd}};
    for (const auto &[key, value] : values)
        QVERIFY2(std::abs(got[key].toDouble() - value) <= 0.0051, key);
}

}   // namespace

class TestExport : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void formats_data();
    void formats();
    void badFilesAmongGoodOnes_data();
    void badFilesAmongGoodOnes();
    void usageErrors_data();
    void usageErrors();
    void cleanupTestCase();

private:
    QTemporaryDir m_dir;
    QList<Capture> m_captures;
};

// Two images saved by keys: Iron in Celsius, Lava in Fahrenheit.
void TestExport::initTestCase()
{
    for (const auto &[palette, unit] : {std::pair{"Iron", "C"}, std::pair{"Lava", "F"}}) {
        viewState.max_temp.clear();
        LiveDevice d([&](TestBoard &b) {
            acqtest::resetAll(40000);   // the core powered on afresh
            viewState.saveImageEnable.store(false);
            b.write(QStringLiteral("/sim/scene"), "office");
            config::write(config::Main, QStringLiteral("color"), QString::fromLatin1(palette));
            config::write(config::Main, QStringLiteral("temp_unit"), QString::fromLatin1(unit));
        });
        d.boot();
        QTRY_VERIFY_WITH_TIMEOUT(!viewState.max_temp.isEmpty(), 30000);   // a refresh frame shown
        d.w->updateMaxMinTempColorMap();   // as the 500 ms timer does: the colour bar follows the palette
        d.press(keycode::Trigger);         // frozen: what is shown now is saved
        QVERIFY(viewState.saveImageEnable.load());
        Capture c;
        c.max = viewState.max_temp.toDouble();
        c.min = viewState.min_temp.toDouble();
        c.centre = viewState.center_temp.toDouble();
        c.fahrenheit = QLatin1String(unit) == "F";
        c.maxMark = d.w->HighTempLabel->pos() + QPoint(16, 16);
        c.minMark = d.w->LowTempLabel->pos() + QPoint(16, 16);
        c.palette = QString::fromLatin1(palette);
        d.press(keycode::Trigger);   // save
        const QString saved = d.board.file(QStringLiteral("/media/mmcblk0p1/DCIM_100/IMG_0001.bmp"));
        c.file = contents(saved);
        QCOMPARE(c.file.size(), 406096);
        c.path = m_dir.filePath(QStringLiteral("card%1/IMG_0001.bmp").arg(m_captures.size()));
        QDir().mkpath(QFileInfo(c.path).path());
        QVERIFY(QFile::copy(saved, c.path));
        m_captures << c;
    }
}

void TestExport::formats_data()
{
    QTest::addColumn<int>("image");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<int>("scale");
    QTest::newRow("Iron, Celsius") << 0 << "C" << 1;
    QTest::newRow("Lava shown in Fahrenheit, exported in Fahrenheit") << 1 << "F" << 2;
    QTest::newRow("Iron in kelvin") << 0 << "K" << 3;
}

void TestExport::formats()
{
    QFETCH(int, image);
    QFETCH(QString, unit);
    QFETCH(int, scale);
    const Capture &c = m_captures[image];
    QTemporaryDir out;
    const Run r =
        exportCommand({"--csv", "--tiff", "--png", "--json", "--unit", unit, "--scale", QString::number(scale), "--box",
                       "40,60,30,20", "--spot", "96,128", "--out", out.path(), c.path});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.err, QString());   // no progress bar when not on a terminal
    QVERIFY2(r.out.contains(out.filePath("IMG_0001.csv") + ", .tiff, .png, .json\n1 image exported, 4 files written\n"),
             qPrintable(r.out));
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{"IMG_0001.csv", "IMG_0001.json", "IMG_0001.png", "IMG_0001.tiff"}));
    // Stored values are whole tenths of a degree Celsius: what the screen showed, to the conversion.
    const double shownTolerance = c.fahrenheit || unit != "C" ? 0.2 : 0.0001;

    // CSV: a header naming the unit, then every word in degrees, two decimals.
    const QList<QByteArray> lines = contents(out.filePath("IMG_0001.csv")).split('\n');
    const char *unitWords = unit == "C" ? "degrees Celsius" : unit == "F" ? "degrees Fahrenheit" : "kelvin";
    QVERIFY2(lines[0].startsWith("# IMG_0001.bmp") && lines[0].contains(unitWords), lines[0].constData());
    QCOMPARE(lines.size(), 258);   // header, 256 rows, and the empty rest after the last line end
    for (int row = 0; row < 256; ++row) {
        const QList<QByteArray> values = lines[row + 1].split(',');
        QCOMPARE(values.size(), 192);
        for (int col = 0; col < 192; ++col) {
            QCOMPARE(values[col].size() - values[col].indexOf('.'), 3);
            if (std::abs(values[col].toDouble() - degrees(c.word(row, col), unit)) > 0.0051)
                QFAIL(qPrintable(QString("row %1 column %2: %3").arg(row).arg(col).arg(values[col].constData())));
        }
    }

    // TIFF, read by the system's TIFF library: the words themselves, the scale in the description.
    const QImage tiff = QImageReader(out.filePath("IMG_0001.tiff")).read();
    QCOMPARE(tiff.format(), QImage::Format_Grayscale16);
    QCOMPARE(tiff.size(), QSize(192, 256));
    for (int row = 0; row < 256; ++row)
        for (int col = 0; col < 192; ++col)
            if (reinterpret_cast<const quint16 *>(tiff.constScanLine(row))[col] != c.word(row, col))
                QFAIL(qPrintable(QString("TIFF row %1 column %2").arg(row).arg(col)));
    const QByteArray description = tiffDescription(contents(out.filePath("IMG_0001.tiff")));
    QVERIFY2(description.contains("degrees Celsius = value * 0.0625 - 273.15"), description.constData());

    // PNG: the stored picture through the stored table, enlarged, beside the colour bar; three marks.
    const QImage png(out.filePath("IMG_0001.png"));
    QCOMPARE(png.size(), QSize((240 + 64) * scale, 320 * scale));
    const QList<QPoint> marks{c.maxMark, c.minMark, QPoint(120, 160)};
    int compared = 0;
    for (int y = 4; y < 320; y += 23)
        for (int x = 4; x < 240; x += 19) {
            const bool nearMark = std::any_of(marks.begin(), marks.end(), [&](QPoint m) {
                return std::abs(m.y() - y) < 18 && x > m.x() - 50 && x < m.x() + 50;
            });
            if (nearMark)
                continue;
            QCOMPARE(png.pixel(x * scale + scale - 1, y * scale), c.colour(x, y));
            ++compared;
        }
    QVERIFY(compared > 100);
    QCOMPARE(png.pixel((240 + 32) * scale, 22 * scale), c.tableColour(255));   // hottest at the top
    QCOMPARE(png.pixel((240 + 32) * scale, (320 - 23) * scale), c.tableColour(0));
    for (QPoint m : marks)
        QVERIFY2(png.pixel(m * scale) != c.colour(m.x(), m.y()), qPrintable(QString("%1,%2").arg(m.x()).arg(m.y())));

    // JSON: the stored summary as the screen showed it; statistics of the decoded words.
    const QJsonObject j = QJsonDocument::fromJson(contents(out.filePath("IMG_0001.json"))).object();
    QCOMPARE(j["unit"].toString(), unit);
    QCOMPARE(j["palette"].toString(), c.palette);
    QCOMPARE(j["emissivity"].toDouble(), 0.95);
    QCOMPARE(j["display_unit"].toString(), c.fahrenheit ? "F" : "C");
    for (const auto &[key, shown] : {std::pair{"max", c.max}, {"min", c.min}, {"center", c.centre}})
        QVERIFY2(std::abs(j[key].toDouble() - inUnit(c.fahrenheit ? (shown - 32) * 5 / 9 : shown, unit)) <=
                     shownTolerance,
                 key);
    const QJsonObject markers = j["markers"].toObject();
    QCOMPARE(QPoint(markers["max"]["x"].toInt(), markers["max"]["y"].toInt()), c.maxMark);
    QCOMPARE(QPoint(markers["min"]["x"].toInt(), markers["min"]["y"].toInt()), c.minMark);
    compareStats(j["frame"].toObject(), statsOf(c, QRect(0, 0, 192, 256), unit));
    const QJsonArray regions = j["regions"].toArray();
    QCOMPARE(regions.size(), 2);
    compareStats(regions[0].toObject(), statsOf(c, QRect(40, 60, 30, 20), unit));
    compareStats(regions[1].toObject(), statsOf(c, QRect(96, 128, 1, 1), unit));
    QCOMPARE(regions[1]["spot"].toArray(), (QJsonArray{96, 128}));

    // No format: one line on the terminal, nothing written.
    QTemporaryDir quiet;
    const Run info = exportCommand({"--unit", unit, "--out", quiet.path(), c.path});
    QCOMPARE(info.status, 0);
    const QString sign = unit == "K" ? " K" : unit == "F" ? "°F" : "°C";
    const int decimals = unit == "K" ? 2 : 1;
    QCOMPARE(info.out,
             c.path + ": max " + QString::number(j["max"].toDouble(), 'f', decimals) + sign + ", min " +
                 QString::number(j["min"].toDouble(), 'f', decimals) + sign + ", center " +
                 QString::number(j["center"].toDouble(), 'f', decimals) + sign + ", emissivity 0.95, palette " +
                 c.palette + "\n");
    QVERIFY(QDir(quiet.path()).isEmpty());
}

void TestExport::badFilesAmongGoodOnes_data()
{
    const QByteArray good = m_captures[0].file;
    QByteArray outside = good;
    qToLittleEndian<uint32_t>(500000, outside.data() + 2);
    QByteArray foreign;
    QBuffer buffer(&foreign);
    QImage(100, 80, QImage::Format_RGB888).save(&buffer, "BMP");
    QTest::addColumn<QByteArray>("bad");
    QTest::addColumn<QString>("reason");
    QTest::newRow("cut in the temperature block") << good.left(350000) << "ends inside the temperature block";
    QTest::newRow("cut in the information block") << good.left(250000) << "ends inside the information block";
    QTest::newRow("the screen alone (save abandoned)") << good.left(230454) << "a plain BMP";
    QTest::newRow("a foreign BMP") << foreign << "a 100 x 80 BMP";
    QTest::newRow("blocks outside the file") << outside << "lie outside the file";
    QTest::newRow("not a BMP") << QByteArray(1000, 'x') << "not a BMP file";
    QTest::newRow("empty") << QByteArray() << "too short for a BMP";
    QTest::newRow("an output name taken by a folder") << good << "cannot write";
}

// A card folder holding a good image and a bad one: the good one exported,
// the bad one named with its reason, nothing else written, status 1.
void TestExport::badFilesAmongGoodOnes()
{
    QFETCH(QByteArray, bad);
    QFETCH(QString, reason);
    QTemporaryDir card, out;
    QVERIFY(QFile::copy(m_captures[0].path, card.filePath("IMG_0001.bmp")));
    QFile f(card.filePath("IMG_0002.bmp"));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bad);
    f.close();
    const bool blocked = reason == "cannot write";
    if (blocked)
        QVERIFY(QDir().mkpath(out.filePath("IMG_0002.json")));
    const Run r = exportCommand({"--csv", "--json", "--out", out.path(), card.path()});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(card.filePath("IMG_0002.bmp") + ": skipped: ") && r.err.contains(reason),
             qPrintable(r.err));
    QVERIFY2(r.out.contains(card.filePath("IMG_0001.bmp")), qPrintable(r.out));
    QStringList expected{"IMG_0001.csv", "IMG_0001.json"};
    if (blocked)
        expected << "IMG_0002.csv";   // written whole before the JSON was refused
    QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name), expected);
}

void TestExport::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("unit") << QStringList{"--csv", "--unit", "R", "IMAGE"};
    QTest::newRow("scale") << QStringList{"--png", "--scale", "0", "IMAGE"};
    QTest::newRow("box past the frame") << QStringList{"--json", "--box", "180,0,20,10", "IMAGE"};
    QTest::newRow("spot of one number") << QStringList{"--json", "--spot", "7", "IMAGE"};
    QTest::newRow("box without JSON") << QStringList{"--csv", "--box", "1,1,2,2", "IMAGE"};
    QTest::newRow("unknown option") << QStringList{"--xls", "IMAGE"};
    QTest::newRow("no image") << QStringList{"--csv"};
}

void TestExport::usageErrors()
{
    QFETCH(QStringList, arguments);
    QTemporaryDir out;
    arguments.replaceInStrings("IMAGE", m_captures[0].path);
    const Run r = exportCommand(arguments << "--out" << out.path());
    QCOMPARE(r.status, 2);
    QVERIFY(r.err.contains("--help"));
    QVERIFY(QDir(out.path()).isEmpty());
}

QTEST_MAIN(TestExport)
// The "Saved" splashes of the captures close themselves 3 s after a save.
void TestExport::cleanupTestCase()
{
    const auto splashes = [] {
        int n = 0;
        for (QWidget *w : QApplication::topLevelWidgets())
            n += qobject_cast<QSplashScreen *>(w) != nullptr;
        return n;
    };
    QTRY_COMPARE_WITH_TIMEOUT(splashes(), 0, 10000);
}

#include "tst_export.moc"
