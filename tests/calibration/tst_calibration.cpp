// Calibration: the table files the reset saves and the recalibration from the
// recorded points without a screen, then the temperature and image pages as a
// technician drives them by keys, and a whole calibration of both ranges.
#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "acquisition/modulerequests.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "calibration/caltables.h"
#include "calibration/menus/calimagesubmenu.h"
#include "calibration/menus/caltempsubmenu.h"
#include "common/acqtestsupport.h"
#include "common/livedevice.h"
#include "common/queuedspy.h"
#include "core/config.h"
#include "liveview/menus/measurementsetmenu.h"
#include "liveview/viewstate.h"

#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QtTest>

#include <cmath>

namespace {

template <typename T>
QByteArray bytesOf(const std::vector<T> &v)
{
    return QByteArray(reinterpret_cast<const char *>(v.data()), qsizetype(v.size() * 2));   // little-endian words
}

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

void setGain(int gain)
{
    ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, static_cast<uint16_t>(gain));
    acqState.currentGain.store(static_cast<uint8_t>(gain));
}

int setCalls()
{
    int n = 0;
    for (const std::string &c : irsim::calls())
        n += c.rfind("set_tpd_", 0) == 0;
    return n;
}

// The module opened on a fresh board, without a program around it.
struct Bench {
    TestBoard board;
    Bench()
    {
        acqtest::resetAll();
        caltables::forgetWorkingTables();
        caltables::install();
        QVERIFY(acqtest::openModule());
        irsim::clearCalls();
    }
};

// The camera booted in front of a blackbody at 20 degrees.
struct Device : LiveDevice {
    Device() : LiveDevice((caltables::forgetWorkingTables(), 20.0)) {}
    CalTempSubMenu *page() const { return w->calTempSubMenu; }
};

void fillPoints(const QString &value)
{
    for (int n = 1; n <= 6; ++n) {
        config::write(config::CalTemp, caltables::tempKey(n), value);
        config::write(config::CalTemp, caltables::vtempKey(n), QStringLiteral("1"));
    }
}

struct Check {
    int gain;
    double celsius;
};
// Set points and the temperatures between them, per range.
const Check kChecks[] = {{1, -10}, {1, 20}, {1, 60}, {1, 100}, {0, 120}, {0, 250}, {0, 330}, {0, 400}};

// Error of the centre reading at every check; a blackbody is read with
// emissivity 1.00, a shutter correction just before.
QList<double> errors(LiveDevice &d)
{
    QList<double> out;
    ThermalCameraThread *t = d.w->cameraThread;
    // The measurement menu gives the camera its own emissivity back after a
    // calibration and after start-up; the blackbody is read once it has.
    (void)QTest::qWaitFor([&] { return !d.w->measurementSetMenu->emissivityTimer->isActive(); }, 7000);
    t->settingTriggerEmissivity(1.0f);
    for (const Check &c : kChecks) {
        if (acqState.currentGain.load() != c.gain) {
            t->settingTempGain(static_cast<unsigned char>(c.gain));
            (void)QTest::qWaitFor([] { return acqState.pendingModuleCommand.load() == kNoCommand; }, 5000);
        }
        d.pointAt(c.celsius);
        t->settingTempShutter(0);
        d.waitFrames(3);
        out << d.centreReading() - c.celsius;
    }
    return out;
}

void calibrateRange(LiveDevice &d, const double (&setPoints)[3])
{
    CalTempSubMenu *page = d.w->calTempSubMenu;
    QVERIFY(d.focusByKeys("pushButton_5"));
    QVERIFY(d.okAndWaitForTheLoop());   // Cal Reset: tables saved, points 500.0
    const char *buttons[3] = {"pushButton_3", "pushButton_2", "pushButton_8"};
    for (int p = 0; p < 3; ++p) {
        // The blackbody settles; BACK for a fresh shutter correction; the point.
        d.pointAt(setPoints[p]);
        QTRY_VERIFY_WITH_TIMEOUT(page->shutterReady, 4000);
        d.press(keycode::Back);
        QVERIFY(page->isVisible());
        QTRY_COMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
        QVERIFY(d.waitFrames(3));
        QVERIFY(d.focusByKeys(buttons[p]));
        QVERIFY(d.okAndWaitForTheLoop());
    }
    QVERIFY(d.focusByKeys("pushButton_4"));
    QVERIFY(d.okAndWaitForTheLoop());   // New Recal
    QCOMPARE(caltables::lastRecalResult(), 0);
}

}   // namespace

class TestCalibration : public QObject {
    Q_OBJECT
private slots:
    void savedTableFiles_data();
    void savedTableFiles();
    void recalibrationNeedsItsPointsAndTables_data();
    void recalibrationNeedsItsPointsAndTables();
    void tableWrite_data();
    void tableWrite();

    void pointRecording_data();
    void pointRecording();
    void refusedRecalibration_data();
    void refusedRecalibration();
    void resetSavesTheTablesOfItsGain_data();
    void resetSavesTheTablesOfItsGain();
    void removeCoverReset_data();
    void removeCoverReset();
    void imageCropByArrows_data();
    void imageCropByArrows();
    void bothRangesByKeys();
};

void TestCalibration::savedTableFiles_data()
{
    QTest::addColumn<int>("gain");
    QTest::addColumn<QString>("failure");   // an SDK call that fails, or what else goes wrong
    QTest::newRow("high gain") << 1 << QString("");
    QTest::newRow("low gain") << 0 << QString("");
    QTest::newRow("kt not read: no file") << 1 << QString("get_tpd_kt_array");
    QTest::newRow("nuc-t not read: no file") << 0 << QString("get_tpd_nuc_t_array");
    QTest::newRow("the core in the other range: no file") << 1 << QString("other range");
    QTest::newRow("bt not written") << 0 << QString("bt unwritable");
}

void TestCalibration::savedTableFiles()
{
    QFETCH(int, gain);
    QFETCH(QString, failure);
    Bench b;
    const QString suffix = gain ? "H" : "L";
    setGain(gain);
    const ModuleTables module = moduleTables();
    if (failure == "other range")
        ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, static_cast<uint16_t>(1 - gain));
    else if (failure == "bt unwritable")
        QVERIFY(QDir().mkpath(b.board.file("/root/bt_" + suffix + ".bin")));
    else if (!failure.isEmpty())
        irsim::setCallResult(failure.toStdString(), -1);
    acq::LogCapture log;
    acq::runModuleCommand(gain ? kSaveHighGainTables : kSaveLowGainTables);
    // A failure is reported once, to the page.
    QCOMPARE(caltables::takeFailedSave(), !failure.isEmpty());
    QVERIFY(!caltables::takeFailedSave());
    const QStringList written = QDir(b.board.file("/root")).entryList({"*.bin*"}, QDir::Files);
    if (!failure.isEmpty()) {
        QCOMPARE(written, (failure == "bt unwritable" ? QStringList{"kt_L.bin", "nuct_L.bin"} : QStringList{}));
        return;
    }
    // Nothing of the other gain, nothing left beside.
    QCOMPARE(written, (QStringList{"bt_", "kt_", "nuct_"}).replaceInStrings("_", "_" + suffix + ".bin"));
    QCOMPARE(b.board.read("/root/kt_" + suffix + ".bin"), bytesOf(module.kt));
    QCOMPARE(b.board.read("/root/bt_" + suffix + ".bin"), bytesOf(module.bt));
    QCOMPARE(b.board.read("/root/nuct_" + suffix + ".bin"), bytesOf(module.nuc));
    // Each file's first and last word in the log.
    const QString text = QString::fromStdString(log.text());
    const QString line = QStringLiteral("%1_%2.bin: %3[0]=%4 %3[%5]=%6\n");
    for (const QString &l :
         {line.arg("kt", suffix, "kt_array").arg(module.kt[0]).arg(1200).arg(module.kt[1200]),
          line.arg("bt", suffix, "bt_array").arg(module.bt[0]).arg(1200).arg(module.bt[1200]),
          line.arg("nuct", suffix, "nuc_t_array").arg(module.nuc[0]).arg(8191).arg(module.nuc[8191])})
        QVERIFY2(text.contains(l), qPrintable(l + " not in:\n" + text));
    QVERIFY(text.contains(QRegularExpression("Ktemp=\\d+ Btemp=\\d+ AddressCA=\\d+\n")));
    QVERIFY2(!text.contains("failed"), qPrintable(text));
    QCOMPARE(setCalls(), 0);
}

void TestCalibration::recalibrationNeedsItsPointsAndTables_data()
{
    QTest::addColumn<QString>("points");
    QTest::addColumn<QString>("files");
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
    QTest::newRow("cut kt, tables saved in this run") << "all" << QString("cut kt") << true;
    QTest::newRow("missing nuc-t, tables saved in this run") << "all" << QString("missing nuc") << true;
    QTest::newRow("files of an earlier run, none saved in this run") << "all" << QString("saved, none saved") << true;
    QTest::newRow("cut kt, none saved in this run") << "all" << QString("cut kt, none saved") << false;
    QTest::newRow("no table files, none saved in this run") << "all" << QString("none") << false;
}

void TestCalibration::recalibrationNeedsItsPointsAndTables()
{
    QFETCH(QString, points);
    QFETCH(QString, files);
    QFETCH(bool, changes);
    Bench b;
    for (int gain : {0, 1}) {
        setGain(gain);
        ModuleTables t = moduleTables();   // entries 0 and 1 apart, so that the log tells them apart
        --t.nuc[0];
        ir::set_tpd_nuc_t_array(t.nuc.data());
        acq::runModuleCommand(gain ? kSaveHighGainTables : kSaveLowGainTables);
    }
    const int gain = 1;
    setGain(gain);
    // Points a technician could have recorded: the factory tables read a little off.
    const auto recordPlausible = [](int g) {
        const float offBy[3] = {0.4f, 0.7f, 1.2f};
        for (int p = 0; p < 3; ++p) {
            const auto point = static_cast<caltables::Point>(p);
            caltables::recordPoint(g, point, caltables::setPoint(g, point) + offBy[p], 8600);
        }
    };
    caltables::resetPoints();
    QSettings store(config::filePath(config::CalTemp), QSettings::IniFormat);
    if (points == "reset")   // the six temperatures, nothing else
        QCOMPARE(store.allKeys().size(), 6);
    if (points != "reset" && points != "other gain" && points != "equal")
        recordPlausible(gain);
    if (points == "one missing")
        config::write(config::CalTemp, caltables::tempKey(2), QStringLiteral("500.0"));
    if (points == "unparsable")
        config::write(config::CalTemp, caltables::tempKey(1), QStringLiteral("-9,6"));
    if (points == "no vtemp")
        store.remove("config/" + caltables::vtempKey(3));
    store.sync();
    if (points.startsWith("reading "))
        config::write(config::CalTemp, caltables::vtempKey(3), points.mid(8));
    if (points == "no reference")
        irsim::setCallResult("cur_vtemp_get", -1);
    if (points == "other gain")
        recordPlausible(0);
    for (int p = 0; p < 3 && points == "equal"; ++p)
        caltables::recordPoint(gain, static_cast<caltables::Point>(p), 20.0f, 8600);

    if (files.startsWith("cut kt"))
        b.board.write("/root/kt_H.bin", b.board.read("/root/kt_H.bin").left(2400));
    if (files == "missing nuc")
        b.board.remove("/root/nuct_H.bin");
    for (const char *f : {"/root/kt_H.bin", "/root/bt_H.bin", "/root/nuct_H.bin"})
        if (files == "none")
            b.board.remove(f);
    if (files.endsWith("none saved") || files == "none")
        caltables::forgetWorkingTables();

    const ModuleTables before = moduleTables();
    const QByteArray savedKt = b.board.read("/root/kt_H.bin");
    irsim::clearCalls();
    acq::LogCapture log;
    acq::runModuleCommand(kRecalHighGain);
    const ModuleTables after = moduleTables();
    QCOMPARE(!(after == before), changes);
    QCOMPARE(setCalls(), changes ? 3 : 0);
    QCOMPARE(caltables::lastRecalResult() == 0, changes);
    // The files keep the tables saved at the reset.
    QCOMPARE(b.board.read("/root/kt_H.bin"), savedKt);
    if (!changes)
        return;
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
    QCOMPARE(b.board.read("/root/kt_L.bin"), bytesOf(moduleTables().kt));
}

void TestCalibration::tableWrite_data()
{
    QTest::addColumn<QString>("in");   // what stands where the file goes
    QTest::addColumn<bool>("written");
    QTest::newRow("an old file") << "file" << true;
    QTest::newRow("a folder of that name") << "folder" << false;
    QTest::newRow("no folder to write in") << "missing folder" << false;
}

// A table file is written whole or not at all, and a failed write is no success.
void TestCalibration::tableWrite()
{
    QFETCH(QString, in);
    QFETCH(bool, written);
    Bench b;
    const QString file = in == "missing folder" ? "/root/gone/kt_H.bin" : "/root/kt_H.bin";
    if (in == "file")
        b.board.write(file, "old");
    if (in == "folder")
        QVERIFY(QDir().mkpath(b.board.file(file)));
    const QByteArray bytes(2402, '\x5a');
    QCOMPARE(caltables::writeTable(file, bytes), written);
    if (written)
        QCOMPARE(b.board.read(file), bytes);
    QCOMPARE(QDir(b.board.file("/root")).entryList({"kt_H.bin.*"}, QDir::Files).size(), 0);
}

// ---- the pages, by keys ---------------------------------------------------------------------------

void TestCalibration::pointRecording_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("tip");
    QTest::newRow("high gain, low point") << "pushButton_3" << 1 << "Cal Low: -10℃ ";
    QTest::newRow("reference unreadable") << "pushButton_2" << 2 << "No reference reading, point not recorded";
}

// OK on a point writes that point of the gain in use and nothing else.
void TestCalibration::pointRecording()
{
    QFETCH(QString, button);
    QFETCH(int, key);
    QFETCH(QString, tip);
    Device d;
    fillPoints(QStringLiteral("7.7"));
    const bool recorded = !tip.startsWith("No reference");
    if (!recorded)
        irsim::setCallResult("cur_vtemp_get", -1);
    acqState.currentGain.store(1);
    QueuedSpy agc(d.w->cameraThread, &ThermalCameraThread::closeThermalModuleAGC);
    d.openTemperatureCalibration();
    // The loop sees the page open once.
    QTRY_COMPARE_WITH_TIMEOUT(agc.count(), 1, 2000);
    QVERIFY(d.waitFrames(3));
    QCOMPARE(agc.count(), 1);
    QVERIFY(d.focusByKeys(button.toLatin1().constData()));
    d.board.clearCommands();
    // The frame on screen reads 37.46 degrees in its centre when OK is pressed.
    QueuedSpy done(d.w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    d.w->cameraThread->blockSignals(true);
    QCoreApplication::processEvents();   // frames already on their way
    viewState.centerTempValue = static_cast<uint16_t>(std::lround((37.46 + 273.15) * 16));
    d.press(keycode::Ok);
    d.w->cameraThread->blockSignals(false);
    for (int n = 1; n <= 6; ++n) {
        const QString text = n != key ? "7.7" : recorded ? "37.5" : "500.0";
        QCOMPARE(config::readString(config::CalTemp, caltables::tempKey(n)), text);
        QCOMPARE(d.page()->pointLabel(n)->text(), text);
        const int vtemp = config::readInt(config::CalTemp, caltables::vtempKey(n));
        QVERIFY2(n != key ? vtemp == 1 : !recorded || (vtemp > 8000 && vtemp < 9200),
                 qPrintable(QString::number(vtemp)));
    }
    QVERIFY(d.board.commands().contains(QStringLiteral("sync")));
    QCOMPARE(d.page()->tipsLabel->text(), tip);
    QVERIFY(d.page()->tipsLabel->isVisible());
    // The loop runs the point's shutter sequence and then hides the tip.
    QVERIFY(done.wait(10000));
    QTRY_VERIFY(!d.page()->tipsLabel->isVisible());
}

void TestCalibration::refusedRecalibration_data()
{
    // Recalibration right after the reset (all points back to 500.0), or with
    // points of an earlier day but no reset in this run and no table files.
    QTest::addColumn<bool>("resetFirst");
    QTest::addColumn<QString>("tip");
    QTest::newRow("reset at once before") << true << "Record all three points first";
    QTest::newRow("no saved tables") << false << "Recal failed, tables unchanged";
}

void TestCalibration::refusedRecalibration()
{
    QFETCH(bool, resetFirst);
    QFETCH(QString, tip);
    Device d;
    fillPoints(QStringLiteral("19.6"));
    QSignalSpy forCal(d.page(), &CalTempSubMenu::setEmissivityForCal);
    QSignalSpy toDefault(d.page(), &CalTempSubMenu::setEmissivityDefault);
    d.openTemperatureCalibration();
    const QString flashPath = QString::fromLatin1(irsim::kFlashBoardPath);
    if (resetFirst) {
        QVERIFY(d.okAndWaitForTheLoop());   // "Cal Reset", where the page opens
        QCOMPARE(forCal.count(), 1);
        QCOMPARE(d.page()->pointLabel(1)->text(), QStringLiteral("500.0"));
        QCOMPARE(d.board.read("/root/kt_H.bin").size(), 2402);
    }
    const QByteArray flash = d.board.read(flashPath);
    QVERIFY(d.focusByKeys("pushButton_4"));
    irsim::clearCalls();
    QVERIFY(d.okAndWaitForTheLoop());
    for (const std::string &c : irsim::calls())
        QVERIFY2(c.rfind("set_tpd_", 0) != 0 && (!resetFirst || c.find("calc") == std::string::npos), c.c_str());
    QCOMPARE(d.board.read(flashPath), flash);
    QVERIFY(resetFirst || !QFile::exists(d.board.file(flashPath)));
    // The tip says why; after the reset the emissivity stays for the calibration.
    QTRY_COMPARE(d.page()->tipsLabel->text(), tip);
    QVERIFY(d.page()->tipsLabel->isVisible());
    QVERIFY(!resetFirst || toDefault.isEmpty());
}

void TestCalibration::resetSavesTheTablesOfItsGain_data()
{
    QTest::addColumn<QString>("failing");   // an SDK call that fails
    QTest::addColumn<bool>("switchMeanwhile");
    QTest::newRow("a table not read: no file, the page says so") << "get_tpd_bt_array" << false;
    QTest::newRow("save and switch pressed during the reset") << "" << true;
}

void TestCalibration::resetSavesTheTablesOfItsGain()
{
    QFETCH(QString, failing);
    QFETCH(bool, switchMeanwhile);
    Device d;
    std::vector<uint16_t> highKt(TPD_KT_BT_LEN);
    ir::get_tpd_kt_array(highKt.data());
    if (!failing.isEmpty())
        irsim::setCallResult(failing.toStdString(), -1);
    d.openTemperatureCalibration();
    QueuedSpy done(d.w->cameraThread, &ThermalCameraThread::SignalCalibrationFinish);
    d.press(keycode::Ok);   // "Cal Reset", in high gain
    if (switchMeanwhile) {
        QVERIFY(d.focusByKeys("pushButton_6"));
        d.press(keycode::Ok);
    }
    QTRY_VERIFY_WITH_TIMEOUT(!done.isEmpty(), 15000);
    QVERIFY(!QFile::exists(d.board.file("/root/kt_L.bin")));
    if (!failing.isEmpty()) {
        QVERIFY(!QFile::exists(d.board.file("/root/kt_H.bin")) && !QFile::exists(d.board.file("/root/bt_H.bin")));
        QTRY_COMPARE(d.page()->tipsLabel->text(), QStringLiteral("Cal Reset failed, tables not saved"));
        QVERIFY(d.page()->tipsLabel->isVisible());
        QVERIFY(d.page()->tipsLabel->x() >= 0 && d.page()->tipsLabel->geometry().right() < 240);
        return;
    }
    QCOMPARE(d.board.read("/root/kt_H.bin"), bytesOf(highKt));
    // The switch asked meanwhile is carried out after the reset.
    QTRY_COMPARE_WITH_TIMEOUT(d.page()->gainStatusLabel->text(), QStringLiteral("Low Gain"), 5000);
    QTRY_COMPARE_WITH_TIMEOUT(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand), 5000);
    uint16_t moduleGain = 9;
    ir::get_prop_tpd_params(TPD_PROP_GAIN_SEL, &moduleGain);
    QCOMPARE(moduleGain, uint16_t{0});
}

void TestCalibration::removeCoverReset_data()
{
    QTest::addColumn<bool>("node");
    QTest::newRow("the module answers") << true;
    QTest::newRow("no module node") << false;
}

void TestCalibration::removeCoverReset()
{
    QFETCH(bool, node);
    Device d;
    if (!node)
        d.board.remove(QStringLiteral("/dev/usb_thermal"));
    QSignalSpy close(d.page(), &CalTempSubMenu::closeThermalCamera);
    QueuedSpy restart(d.w->cameraThread, &ThermalCameraThread::resetThermalCameraDevice);
    d.openTemperatureCalibration();
    QVERIFY(d.focusByKeys("pushButton_9"));
    d.press(keycode::Ok);
    QTRY_COMPARE(close.count(), node ? 1 : 0);
    QTRY_COMPARE(d.page()->tipsLabel->text(), node ? QString("RMVC_RESET") : QString("RMVC_RESET failed"));
    if (!node)
        return;
    QCOMPARE(close.at(0).at(0).toInt(), 2);
    QVERIFY(d.board.read(QStringLiteral("/sim/usb_control.log")).contains("41 20 0000 0543 8"));
    QTRY_VERIFY_WITH_TIMEOUT(!restart.isEmpty(), 15000);   // the loop restarts the module (perhaps already)
    QTRY_VERIFY(d.w->initializingLabel->isVisible());
}

void TestCalibration::imageCropByArrows_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("x");   // from 68, 94: two pixels a press, up to the limit
    QTest::addColumn<int>("y");
    QTest::addColumn<bool>("save");   // OK on Save, else BACK
    QTest::newRow("left stops at 72, saved") << int(keycode::Left) << 72 << 94 << true;
    QTest::newRow("up stops at 96, left") << int(keycode::Up) << 68 << 96 << false;
}

// The image page: the arrows move the visible crop; Save stores it, BACK
// leaves it in memory only.
void TestCalibration::imageCropByArrows()
{
    QFETCH(int, key);
    QFETCH(int, x);
    QFETCH(int, y);
    QFETCH(bool, save);
    LiveDevice d(30.0);
    config::write(config::ImageCal, QStringLiteral("vlc_post_x"), 36);
    CalImageSubMenu *page = d.w->calImageSubMenu;
    d.openImageCalibration();
    QVERIFY(page->isVisible());
    // The live view blends both pictures while the page is open.
    QVERIFY(d.waitFrames(2));
    QTRY_COMPARE(acqState.image_mode.load(), 2);
    viewState.vlcPostX = 68;
    viewState.vlcPostY = 94;
    d.press(key, 3);
    QCOMPARE((QList<int>{viewState.vlcPostX, viewState.vlcPostY}), (QList<int>{x, y}));
    d.press(save ? keycode::Ok : keycode::Back);
    QCOMPARE(page->isVisible(), save);
    QCOMPARE(config::readInt(config::ImageCal, QStringLiteral("vlc_post_x")), save ? x : 36);
    QCOMPARE(config::contains(config::ImageCal, QStringLiteral("vlc_post_y")), save);
    if (save)
        QCOMPARE(page->tipsLabel->text(), QStringLiteral("Saved!"));
    else   // back in the live view, the arrows no longer move the crop
        d.press(keycode::Up);
    QCOMPARE(viewState.vlcPostY, y);
}

// A factory technician calibrates both gain ranges from the keys alone,
// pointing the camera at a blackbody at each set point; afterwards the
// camera reads a blackbody within 0.3 degrees at the set points and between
// them, in both ranges, also after the program and the core restart.
void TestCalibration::bothRangesByKeys()
{
    Device d;
    if (viewState.centerTempValue == 0)
        QSKIP("the live view does not keep the centre reading (centerTempValue) yet");
    config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("high_gain"));
    const QList<double> before = errors(d);

    CalTempSubMenu *page = d.page();
    d.w->cameraThread->settingTempGain(1);
    QTRY_COMPARE_WITH_TIMEOUT(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand), 5000);
    d.openTemperatureCalibration();
    QVERIFY(page->isVisible());
    d.w->cameraThread->settingTriggerEmissivity(1.0f);   // the measurement menu's part of the reset
    calibrateRange(d, {-10, 20, 100});
    QVERIFY(d.focusByKeys("pushButton_6"));
    d.press(keycode::Ok);   // save and switch gain: relabelled once the module has switched
    QCOMPARE(page->pushButton_3->text(), QStringLiteral("Cal -10 ℃ "));
    d.press(keycode::Back);   // busy switching: BACK does not leave the page
    QVERIFY(page->isVisible());
    QTRY_COMPARE_WITH_TIMEOUT(page->pushButton_3->text(), QStringLiteral("Cal 120"), 5000);
    QCOMPARE(config::readString(config::Main, QStringLiteral("temperature_scale")), QStringLiteral("low_gain"));
    d.w->cameraThread->settingTriggerEmissivity(1.0f);
    calibrateRange(d, {120, 250, 400});
    // The second reset marked every point unrecorded again; the high range's
    // calibration lives on in the core's tables.
    for (int n = 1; n <= 6; ++n)
        QCOMPARE(std::fabs(caltables::pointValue(n) - caltables::kUnrecorded) > 1, n >= 4);
    d.openTemperatureCalibration();   // the same keys close the page
    QTRY_VERIFY(!page->isVisible());

    const QList<double> after = errors(d);
    d.restart();
    const QList<double> afterRestart = errors(d);
    double worstBefore = 0;
    for (int i = 0; i < before.size(); ++i) {
        worstBefore = std::max(worstBefore, std::fabs(before[i]));
        QVERIFY2(std::fabs(after[i]) <= 0.3 && std::fabs(afterRestart[i]) <= 0.3,
                 qPrintable(QStringLiteral("%1 degrees: %2 after, %3 after restart")
                                .arg(kChecks[i].celsius)
                                .arg(after[i])
                                .arg(afterRestart[i])));
    }
    // The factory tables were off by about a degree somewhere.
    QVERIFY2(worstBefore > 0.6, qPrintable(QString::number(worstBefore)));
}

QTEST_MAIN(TestCalibration)
#include "tst_calibration.moc"
