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
#include <QProcess>
#include <QSplashScreen>
#include <QtEndian>

namespace {

// What the camera showed and saved.
struct Capture {
    QList<double> shown;   // on-screen texts of max, min, centre; display unit
    QList<QPoint> marks;   // the max and min marker label centres and the centre spot
    bool fahrenheit = false;
    QString palette, path;
    QByteArray file;

    uint32_t block = 0;   // where the information block starts

    // The stored words, grey picture and colour table.
    const char *at(int offset) const { return file.constData() + block + offset; }
    uint16_t word(int row, int col) const { return qFromLittleEndian<uint16_t>(at(77338 + 2 * (row * 192 + col))); }
    QRgb colour(int x, int y) const { return tableColour(uint8_t(*at(y * 240 + x))); }
    QRgb tableColour(int index) const
    {
        const uint16_t e = qFromLittleEndian<uint16_t>(at(76800 + 2 * index));
        return qRgb((e >> 8) & 0xF8, (e & 0x07E0) >> 3, (e << 3) & 0xFF);
    }
};

// A temperature in degrees Celsius in `unit`.
double inUnit(double c, const QString &unit) { return unit == "F" ? c * 9 / 5 + 32 : unit == "K" ? c + 273.15 : c; }
double degrees(uint16_t word, const QString &unit) { return inUnit(word * 0.0625 - 273.15, unit); }

// The status, standard output and standard error of a run.
std::tuple<int, QString, QString> exportCommand(const QStringList &arguments)
{
    QProcess p;
    p.start(QStringLiteral(NORVIK7_EXPORT_COMMAND), arguments);
    const bool ended = p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit;
    return {ended ? p.exitCode() : -1, p.readAllStandardOutput(), p.readAllStandardError()};
}

// The statistics of a rectangle of the frame in the unit, worked out here, against the JSON's.
void compareStats(const QJsonObject &got, const Capture &c, QRect r, const QString &unit)
{
    double sum = 0, squares = 0, lo = 1e9, hi = -1e9;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const double t = degrees(c.word(y, x), unit);
            sum += t;
            squares += t * t;
            lo = std::min(lo, t);
            hi = std::max(hi, t);
        }
    const double n = r.width() * r.height(), mean = sum / n;
    const double want[] = {mean, lo, hi, std::sqrt(std::max(0.0, squares / n - mean * mean))};
    const char *const keys[] = {"mean", "min", "max", "stddev"};
    for (int i = 0; i < 4; ++i)
        QVERIFY2(std::abs(got[keys[i]].toDouble() - want[i]) <= 0.0051, keys[i]);
}

}   // namespace

class TestExport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QList<Capture> m_captures;

private slots:
    // Two images saved by keys: Iron in Celsius, Lava in Fahrenheit.
    void initTestCase()
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
            c.shown = {viewState.max_temp.toDouble(), viewState.min_temp.toDouble(), viewState.center_temp.toDouble()};
            c.marks = {
                d.w->HighTempLabel->pos() + QPoint(16, 16), d.w->LowTempLabel->pos() + QPoint(16, 16), {120, 160}};
            c.fahrenheit = QLatin1String(unit) == "F";
            c.palette = QString::fromLatin1(palette);
            c.path = m_dir.filePath(QString("card%1/IMG_0001.bmp").arg(m_captures.size()));
            d.press(keycode::Trigger);   // save
            c.file = d.board.read(QStringLiteral("/media/mmcblk0p1/DCIM_100/IMG_0001.bmp"));
            QCOMPARE(c.file.size(), 406096);
            c.block = qFromLittleEndian<uint32_t>(c.file.constData() + 2);
            QVERIFY(QDir().mkpath(QFileInfo(c.path).path()) && QFile::copy(d.folder() + "IMG_0001.bmp", c.path));
            m_captures << c;
        }
    }

    void formats_data()
    {
        QTest::addColumn<int>("image");
        QTest::addColumn<QString>("unit");
        QTest::addColumn<int>("scale");
        QTest::newRow("Iron, Celsius") << 0 << "C" << 1;
        QTest::newRow("Lava shown in Fahrenheit, exported in Fahrenheit") << 1 << "F" << 2;
        QTest::newRow("Iron in kelvin") << 0 << "K" << 3;
    }

    void formats()
    {
        QFETCH(int, image);
        QFETCH(QString, unit);
        QFETCH(int, scale);
        const Capture &c = m_captures[image];
        QTemporaryDir out;
        const auto [status, said, errors] =
            exportCommand({"--csv", "--tiff", "--png", "--json", "--unit", unit, "--scale", QString::number(scale),
                           "--box", "40,60,30,20", "--spot", "96,128", "--out", out.path(), c.path});
        // No progress bar when not on a terminal.
        const QString summary =
            out.filePath("IMG_0001.csv") + ", .tiff, .png, .json\n1 image exported, 4 files written\n";
        QVERIFY2(status == 0 && errors.isEmpty() && said.contains(summary), qPrintable(said + errors));
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{"IMG_0001.csv", "IMG_0001.json", "IMG_0001.png", "IMG_0001.tiff"}));

        // CSV: a header naming the unit, then every word in degrees, two decimals.
        const auto contents = [&](const char *name) {
            QFile f(out.filePath(name));
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QList<QByteArray> lines = contents("IMG_0001.csv").split('\n');
        const char *unitWords = unit == "C" ? "degrees Celsius" : unit == "F" ? "degrees Fahrenheit" : "kelvin";
        QVERIFY2(lines[0].startsWith("# IMG_0001.bmp") && lines[0].contains(unitWords), lines[0].constData());
        QCOMPARE(lines.size(), 258);   // header, 256 rows, and the empty rest after the last line end
        // TIFF, read by the system's TIFF library: the words themselves, the scale in the description.
        const QImage tiff = QImageReader(out.filePath("IMG_0001.tiff")).read();
        QVERIFY(tiff.format() == QImage::Format_Grayscale16 && tiff.size() == QSize(192, 256));
        for (int row = 0; row < 256; ++row) {
            const QList<QByteArray> values = lines[row + 1].split(',');
            QCOMPARE(values.size(), 192);
            for (int col = 0; col < 192; ++col)
                if (values[col].size() - values[col].indexOf('.') != 3 ||
                    std::abs(values[col].toDouble() - degrees(c.word(row, col), unit)) > 0.0051 ||
                    reinterpret_cast<const quint16 *>(tiff.constScanLine(row))[col] != c.word(row, col))
                    QFAIL(qPrintable(QString("row %1 column %2: %3").arg(row).arg(col).arg(values[col].constData())));
        }
        QVERIFY(contents("IMG_0001.tiff").contains("degrees Celsius = value * 0.0625 - 273.15"));

        // PNG: the stored picture through the stored table, enlarged, beside the colour bar; three marks.
        const QImage png(out.filePath("IMG_0001.png"));
        QCOMPARE(png.size(), QSize((240 + 64) * scale, 320 * scale));
        for (int y = 4; y < 320; y += 23)   // away from the marks
            for (int x = 4; x < 240; x += 19)
                if (std::none_of(c.marks.begin(), c.marks.end(),
                                 [&](QPoint m) { return std::abs(m.y() - y) < 18 && std::abs(m.x() - x) < 50; }))
                    QCOMPARE(png.pixel(x * scale + scale - 1, y * scale), c.colour(x, y));
        QCOMPARE(png.pixel((240 + 32) * scale, 22 * scale), c.tableColour(255));   // hottest at the top
        QCOMPARE(png.pixel((240 + 32) * scale, (320 - 23) * scale), c.tableColour(0));
        for (QPoint m : c.marks)
            QVERIFY(png.pixel(m * scale) != c.colour(m.x(), m.y()));

        // JSON: the stored summary as the screen showed it (whole tenths of a degree Celsius, to the
        // conversion); statistics of the decoded words.
        const QJsonObject j = QJsonDocument::fromJson(contents("IMG_0001.json")).object();
        QCOMPARE(QStringList({j["unit"].toString(), j["palette"].toString(), j["display_unit"].toString(),
                              QString::number(j["emissivity"].toDouble())}),
                 QStringList({unit, c.palette, c.fahrenheit ? "F" : "C", "0.95"}));
        const char *const keys[] = {"max", "min", "center"};
        for (int i = 0; i < 3; ++i) {
            const double shown = inUnit(c.fahrenheit ? (c.shown[i] - 32) * 5 / 9 : c.shown[i], unit);
            QVERIFY2(std::abs(j[keys[i]].toDouble() - shown) <= (c.fahrenheit || unit != "C" ? 0.2 : 1e-4), keys[i]);
        }
        const QJsonValue markers = j["markers"];
        QCOMPARE((QList<QPoint>{{markers["max"]["x"].toInt(), markers["max"]["y"].toInt()},
                                {markers["min"]["x"].toInt(), markers["min"]["y"].toInt()}}),
                 c.marks.mid(0, 2));
        compareStats(j["frame"].toObject(), c, QRect(0, 0, 192, 256), unit);
        const QJsonArray regions = j["regions"].toArray();
        QVERIFY(regions.size() == 2 && regions[1]["spot"].toArray() == (QJsonArray{96, 128}));
        compareStats(regions[0].toObject(), c, QRect(40, 60, 30, 20), unit);
        compareStats(regions[1].toObject(), c, QRect(96, 128, 1, 1), unit);

        // No format: one line on the terminal, nothing written.
        QTemporaryDir quiet;
        const auto [quietStatus, info, quietErrors] = exportCommand({"--unit", unit, "--out", quiet.path(), c.path});
        const QString max =
            QString::number(j["max"].toDouble(), 'f', unit == "K" ? 2 : 1) + (unit == "K" ? " K" : "°" + unit);
        QVERIFY2(quietStatus == 0 && QDir(quiet.path()).isEmpty() &&
                     info.startsWith(c.path + ": max " + max + ", min ") &&
                     info.endsWith(", emissivity 0.95, palette " + c.palette + "\n"),
                 qPrintable(info + quietErrors));
    }

    // A card folder holding good images and bad ones: the good ones exported, each bad one named with its
    // reason, nothing else written, status 1.
    void badFilesAmongGoodOnes()
    {
        const QByteArray good = m_captures[0].file;
        QByteArray outside = good, foreign;
        qToLittleEndian<uint32_t>(500000, outside.data() + 2);
        QBuffer buffer(&foreign);
        QImage(100, 80, QImage::Format_RGB888).save(&buffer, "BMP");
        // IMG_0009's JSON cannot be written (a folder has its name): its CSV stays, written whole before.
        // The screen alone (IMG_0004) is what an abandoned save leaves.
        const QList<QByteArray> files = {good,    good.left(350000), good.left(250000),     good.left(230454),
                                         foreign, outside,           QByteArray(1000, 'x'), QByteArray(),
                                         good};
        const QStringList reasons = QString("|ends inside the temperature block|ends inside the information block|"
                                            "a plain BMP|a 100 x 80 BMP|lie outside the file|not a BMP file|"
                                            "too short for a BMP|cannot write")
                                        .split('|');
        QTemporaryDir card, out;
        QVERIFY(QDir().mkpath(out.filePath("IMG_0009.json")));
        for (int i = 0; i < 9; ++i) {
            QFile f(card.filePath(QStringLiteral("IMG_000%1.bmp").arg(i + 1)));
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(files[i]) == files[i].size());
        }
        const auto [status, said, err] = exportCommand({"--csv", "--json", "--out", out.path(), card.path()});
        QVERIFY2(status == 1 && said.contains(card.filePath("IMG_0001.bmp")), qPrintable(said));
        const QStringList errors = err.split('\n', Qt::SkipEmptyParts);
        for (int i = 1; i < 9; ++i) {
            const QString skipped = card.filePath(QStringLiteral("IMG_000%1.bmp: skipped: ").arg(i + 1));
            QVERIFY2(errors.filter(skipped).join("").contains(reasons[i]), qPrintable(skipped + '\n' + err));
        }
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
                 (QStringList{"IMG_0001.csv", "IMG_0001.json", "IMG_0009.csv"}));
    }

    // The "Saved" splashes of the captures close themselves 3 s after a save.
    void cleanupTestCase()
    {
        const auto splashes = [] {
            const QWidgetList l = QApplication::topLevelWidgets();
            return std::count_if(l.begin(), l.end(), [](QWidget *w) { return qobject_cast<QSplashScreen *>(w); });
        };
        QTRY_COMPARE_WITH_TIMEOUT(splashes(), 0, 10000);
    }
};

QTEST_MAIN(TestExport)
#include "tst_export.moc"
