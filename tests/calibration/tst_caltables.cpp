// The calibration's side of the module without a screen: the table files the
// reset saves, the recalibration that computes new tables from the recorded
// points (and refuses to when it cannot), and the tau data it reads.
#include "acquisition/acqlog.h"
#include "common/acqtestsupport.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "acquisition/modulerequests.h"
#include "acquisition/sdk/simcontrol.h"
#include "core/config.h"
#include "calibration/caltables.h"
#include "common/testboard.h"

#include <QSettings>
#include <QtTest>

#include <memory>
#include <vector>

namespace {

struct ModuleTables {
    std::vector<uint16_t> kt = std::vector<uint16_t>(TPD_KT_BT_LEN);
    std::vector<int16_t> bt = std::vector<int16_t>(TPD_KT_BT_LEN);
    std::vector<uint16_t> nuc = std::vector<uint16_t>(TPD_NUC_T_LEN);
    bool operator==(const ModuleTables &o) const { return kt == o.kt && bt == o.bt && nuc == o.nuc; }
};

ModuleTables moduleTables()
{
    ModuleTables t;
    ir::get_tpd_kt_array(t.kt.data());
    ir::get_tpd_bt_array(t.bt.data());
    ir::get_tpd_nuc_t_array(t.nuc.data());
    return t;
}

std::vector<uint16_t> wordsOf(const QByteArray &b)
{
    std::vector<uint16_t> w(b.size() / 2);
    for (size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<uint16_t>(static_cast<uint8_t>(b[2 * i]) | static_cast<uint8_t>(b[2 * i + 1]) << 8);
    return w;
}

void setGain(int gain)
{
    ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, static_cast<uint16_t>(gain));
    acqState.currentGain.store(static_cast<uint8_t>(gain));
}

// Points a technician could have recorded: the factory tables read a little off.
void recordPlausiblePoints(int gain)
{
    const float offBy[3] = {0.4f, 0.7f, 1.2f};
    for (int p = 0; p < 3; ++p) {
        const auto point = static_cast<caltables::Point>(p);
        caltables::recordPoint(gain, point, caltables::setPoint(gain, point) + offBy[p], 8600);
    }
}

int setCalls()
{
    int n = 0;
    for (const std::string &c : irsim::calls())
        n += c.rfind("set_tpd_", 0) == 0;
    return n;
}

}   // namespace

class TestCalTables : public QObject {
    Q_OBJECT
private slots:
    void init();
    void savedTableFiles_data();
    void savedTableFiles();
    void recalibrationNeedsItsPointsAndTables_data();
    void recalibrationNeedsItsPointsAndTables();
    void tauFile_data();
    void tauFile();
    void tableWrite_data();
    void tableWrite();

private:
    std::unique_ptr<TestBoard> m_board;
};

void TestCalTables::init()
{
    m_board.reset();   // one board at a time: each sets and gives back the root
    m_board = std::make_unique<TestBoard>();
    acqtest::resetAll();
    caltables::forgetWorkingTables();
    caltables::install();
    QVERIFY(acqtest::openModule());
    irsim::clearCalls();
}

void TestCalTables::savedTableFiles_data()
{
    QTest::addColumn<int>("gain");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("failure");   // an SDK call that fails, or what else goes wrong
    QTest::newRow("high gain") << 1 << "H" << QString("");
    QTest::newRow("low gain") << 0 << "L" << QString("");
    QTest::newRow("kt not read: no file") << 1 << "H" << QString("get_tpd_kt_array");
    QTest::newRow("nuc-t not read: no file") << 0 << "L" << QString("get_tpd_nuc_t_array");
    QTest::newRow("the core in the other range: no file") << 1 << "H" << QString("other range");
    QTest::newRow("bt not written") << 0 << "L" << QString("bt unwritable");
}

void TestCalTables::savedTableFiles()
{
    QFETCH(int, gain);
    QFETCH(QString, suffix);
    QFETCH(QString, failure);
    setGain(gain);
    const ModuleTables module = moduleTables();
    if (failure == "other range")
        ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, static_cast<uint16_t>(1 - gain));
    else if (failure == "bt unwritable")
        QVERIFY(QDir().mkpath(m_board->file("/root/bt_" + suffix + ".bin")));
    else if (!failure.isEmpty())
        irsim::setCallResult(failure.toStdString(), -1);
    acq::LogCapture log;
    acq::runModuleCommand(gain ? kSaveHighGainTables : kSaveLowGainTables);
    // A failure is reported once, to the page.
    QCOMPARE(caltables::takeFailedSave(), !failure.isEmpty());
    QVERIFY(!caltables::takeFailedSave());
    if (!failure.isEmpty()) {
        const QStringList written = QDir(m_board->file("/root")).entryList({"*.bin*"}, QDir::Files);
        QCOMPARE(written, (failure == "bt unwritable" ? QStringList{"kt_L.bin", "nuct_L.bin"} : QStringList{}));
        return;
    }

    const QByteArray kt = m_board->read("/root/kt_" + suffix + ".bin");
    const QByteArray bt = m_board->read("/root/bt_" + suffix + ".bin");
    const QByteArray nuc = m_board->read("/root/nuct_" + suffix + ".bin");
    QCOMPARE(kt.size(), 2402);
    QCOMPARE(bt.size(), 2402);
    QCOMPARE(nuc.size(), 16384);
    QVERIFY(wordsOf(kt) == module.kt);
    QVERIFY(wordsOf(nuc) == module.nuc);
    const std::vector<uint16_t> btWords = wordsOf(bt);
    QVERIFY(std::equal(btWords.begin(), btWords.end(), module.bt.begin(),
                       [](uint16_t a, int16_t b) { return static_cast<int16_t>(a) == b; }));
    // Nothing of the other gain, nothing left beside.
    const QString other = suffix == "H" ? "L" : "H";
    QVERIFY(!QFile::exists(m_board->file("/root/kt_" + other + ".bin")));
    QCOMPARE(QDir(m_board->file("/root")).entryList({"*.bin*"}, QDir::Files).size(), 3);

    // Each file's first and last word in the log.
    const QString text = QString::fromStdString(log.text());
    for (const QString &line : {QStringLiteral("kt_%1.bin: kt_array[0]=%2 kt_array[1200]=%3\n")
                                    .arg(suffix)
                                    .arg(module.kt[0])
                                    .arg(module.kt[1200]),
                                QStringLiteral("bt_%1.bin: bt_array[0]=%2 bt_array[1200]=%3\n")
                                    .arg(suffix)
                                    .arg(module.bt[0])
                                    .arg(module.bt[1200]),
                                QStringLiteral("nuct_%1.bin: nuc_t_array[0]=%2 nuc_t_array[8191]=%3\n")
                                    .arg(suffix)
                                    .arg(module.nuc[0])
                                    .arg(module.nuc[8191])})
        QVERIFY2(text.contains(line), qPrintable(line + QLatin1String(" not in:\n") + text));
    QVERIFY(text.contains(QRegularExpression("Ktemp=\\d+ Btemp=\\d+ AddressCA=\\d+\n")));
    QVERIFY2(!text.contains("failed"), qPrintable(text));
    QCOMPARE(setCalls(), 0);
}

void TestCalTables::recalibrationNeedsItsPointsAndTables_data()
{
    QTest::addColumn<QString>("points");   // all / reset / one missing / other gain / equal
    QTest::addColumn<QString>("files");    // saved / cut kt / missing nuc / cut kt, none saved this run / none
    QTest::addColumn<bool>("changes");
    QTest::newRow("recorded points and saved tables") << "all" << QString("saved") << true;
    QTest::newRow("reset followed at once by a recalibration") << "reset" << QString("saved") << false;
    QTest::newRow("one point still 500.0") << "one missing" << QString("saved") << false;
    QTest::newRow("only the other gain's points") << "other gain" << QString("saved") << false;
    QTest::newRow("points the module cannot use") << "equal" << QString("saved") << false;
    QTest::newRow("a point that is not a number") << "unparsable" << QString("saved") << false;
    QTest::newRow("a point without its reference reading") << "no vtemp" << QString("saved") << false;
    QTest::newRow("the highest reference reading") << "reading 65535" << QString("saved") << true;
    QTest::newRow("a reference reading past 16 bits") << "reading 65536" << QString("saved") << false;
    QTest::newRow("the core's reference unreadable") << "no reference" << QString("saved") << false;
    QTest::newRow("a cut kt file keeps the tables saved in this run") << "all" << QString("cut kt") << true;
    QTest::newRow("a missing nuc-t file keeps the tables saved in this run") << "all" << QString("missing nuc") << true;
    QTest::newRow("the files of an earlier run, nothing saved in this run")
        << "all" << QString("saved, none saved") << true;
    QTest::newRow("a cut kt file and nothing saved in this run") << "all" << QString("cut kt, none saved") << false;
    QTest::newRow("no table files and nothing saved in this run") << "all" << QString("none") << false;
}

void TestCalTables::recalibrationNeedsItsPointsAndTables()
{
    QFETCH(QString, points);
    QFETCH(QString, files);
    QFETCH(bool, changes);
    for (int gain : {0, 1}) {
        setGain(gain);
        ModuleTables t = moduleTables();   // entries 0 and 1 apart, so that the log tells them apart
        --t.nuc[0];
        ir::set_tpd_nuc_t_array(t.nuc.data());
        acq::runModuleCommand(gain ? kSaveHighGainTables : kSaveLowGainTables);
    }
    const int gain = 1;
    setGain(gain);

    caltables::resetPoints();
    if (points != "reset" && points != "other gain" && points != "equal")
        recordPlausiblePoints(gain);
    if (points == "one missing")
        config::write(config::CalTemp, caltables::tempKey(2), QStringLiteral("500.0"));
    if (points == "unparsable")
        config::write(config::CalTemp, caltables::tempKey(1), QStringLiteral("-9,6"));
    if (points == "no vtemp")
        QSettings(config::filePath(config::CalTemp), QSettings::IniFormat).remove("config/" + caltables::vtempKey(3));
    if (points.startsWith("reading "))
        config::write(config::CalTemp, caltables::vtempKey(3), points.mid(8));
    if (points == "reset")   // the six temperatures, nothing else
        QCOMPARE(QSettings(config::filePath(config::CalTemp), QSettings::IniFormat).allKeys().size(), 6);
    if (points == "no reference")
        irsim::setCallResult("cur_vtemp_get", -1);
    if (points == "other gain")
        recordPlausiblePoints(0);
    if (points == "equal")
        for (int p = 0; p < 3; ++p)
            caltables::recordPoint(gain, static_cast<caltables::Point>(p), 20.0f, 8600);

    if (files.startsWith("cut kt"))
        m_board->write("/root/kt_H.bin", m_board->read("/root/kt_H.bin").left(2400));
    if (files == "missing nuc")
        m_board->remove("/root/nuct_H.bin");
    if (files == "none")
        for (const char *f : {"/root/kt_H.bin", "/root/bt_H.bin", "/root/nuct_H.bin"})
            m_board->remove(f);
    if (files.endsWith("none saved") || files == "none")
        caltables::forgetWorkingTables();

    const ModuleTables before = moduleTables();
    const QByteArray savedKt = m_board->read("/root/kt_H.bin");
    irsim::clearCalls();
    acq::LogCapture log;
    acq::runModuleCommand(kRecalHighGain);
    const ModuleTables after = moduleTables();
    QCOMPARE(!(after == before), changes);
    QCOMPARE(setCalls(), changes ? 3 : 0);
    QCOMPARE(caltables::lastRecalResult() == 0, changes);
    // The files keep the tables saved at the reset.
    QCOMPARE(m_board->read("/root/kt_H.bin"), savedKt);
    if (changes) {
        // Steeper: the points read above their set points, so the new kt is smaller.
        QVERIFY(after.kt[600] < before.kt[600]);
        // The log shows the tables as the module gives them back.
        const QString readBack = QStringLiteral("read again:\nkt_array[0]=%1 kt_array[1200]=%2\nbt_array[0]=%3 "
                                                "bt_array[1200]=%4\nnuc_t_array[0]=%5 nuc_t_array[8191]=%6\n")
                                     .arg(after.kt[0])
                                     .arg(after.kt[1200])
                                     .arg(after.bt[0])
                                     .arg(after.bt[1200])
                                     .arg(after.nuc[0])
                                     .arg(after.nuc[8191]);
        QVERIFY2(QString::fromStdString(log.text()).contains(readBack), qPrintable(readBack));
        // The low gain's tables are not touched.
        setGain(0);
        QVERIFY(wordsOf(m_board->read("/root/kt_L.bin")) == moduleTables().kt);
    }
}

void TestCalTables::tauFile_data()
{
    QTest::addColumn<int>("size");   // -1: no file
    QTest::newRow("no file") << -1;
    QTest::newRow("short") << 100;
    QTest::newRow("exactly the buffer") << 7168;
    QTest::newRow("longer than the buffer: its first 7168 bytes") << 9000;
}

void TestCalTables::tauFile()
{
    QFETCH(int, size);
    QByteArray data;
    for (int i = 0; i < std::max(size, 0); ++i)
        data.append(static_cast<char>(1 + i % 251));
    if (size >= 0)
        m_board->write("/root/tau_H.bin", data);
    std::vector<uint8_t> buffer(caltables::kTauBytes + 16, 0xEE);
    QCOMPARE(caltables::readTau(caltables::filesOf(1).tau, buffer.data()), size >= 0);
    const int kept = std::min(std::max(size, 0), caltables::kTauBytes);
    for (int i = 0; i < caltables::kTauBytes; ++i)
        QCOMPARE(buffer[i], i < kept ? static_cast<uint8_t>(data[i]) : uint8_t{0});
    QCOMPARE(buffer[caltables::kTauBytes], uint8_t{0xEE});   // nothing past the buffer
}

void TestCalTables::tableWrite_data()
{
    QTest::addColumn<QString>("in");   // what stands where the file goes
    QTest::addColumn<bool>("written");
    QTest::newRow("an old file") << "file" << true;
    QTest::newRow("a folder of that name") << "folder" << false;
    QTest::newRow("no folder to write in") << "missing folder" << false;
}

// A table file is written whole or not at all, and a failed write is no success.
void TestCalTables::tableWrite()
{
    QFETCH(QString, in);
    QFETCH(bool, written);
    const QString file =
        in == "missing folder" ? QStringLiteral("/root/gone/kt_H.bin") : QStringLiteral("/root/kt_H.bin");
    if (in == "file")
        m_board->write(file, "old");
    if (in == "folder")
        QVERIFY(QDir().mkpath(m_board->file(file)));
    const QByteArray bytes(2402, '\x5a');
    QCOMPARE(caltables::writeTable(file, bytes), written);
    if (written)
        QCOMPARE(m_board->read(file), bytes);
    QCOMPARE(QDir(m_board->file("/root")).entryList({"kt_H.bin.*"}, QDir::Files).size(), 0);
}

QTEST_MAIN(TestCalTables)
#include "tst_caltables.moc"
