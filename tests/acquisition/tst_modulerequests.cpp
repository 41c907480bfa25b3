// What the acquisition side sends to the module: parameter codes and their
// "sent once" rule, gain and shutter requests, module commands with their
// follow-ups, calibration modes, and the loop's pacing.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/modulerequests.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "common/testboard.h"

#include <QtTest>

using Calls = QStringList;

namespace {

Calls callList(std::initializer_list<const char *> skip = {})
{
    Calls out;
    for (const std::string &c : acqtest::callsWithout(skip))
        out << QString::fromStdString(c);
    return out;
}

void recordTableCommand(int code) { irsim::note("table command " + std::to_string(code)); }
// Where the loop reports a finished calibration.
void noteFinished(void *) { irsim::note("finished"); }

// A mode posted by the GUI thread while a calibration runs.
std::atomic<uint8_t> *lateModeTarget = nullptr;
void pauseThatPostsAMode(int ms)
{
    irsim::note("pause " + std::to_string(ms));
    if (lateModeTarget && ms == 1000) {
        lateModeTarget->store(acq::kHighPointHigh);
        lateModeTarget = nullptr;
    }
}
void pauseThatPostsACommand(int ms)
{
    irsim::note("pause " + std::to_string(ms));
    if (ms == 2000)
        acqState.pendingModuleCommand.store(kShutterCorrection);
}

const Calls kPointSteps{"pause 300",
                        "ooc_b_update(0)",
                        "pause 300",
                        "ooc_b_update(0)",
                        "set_prop_auto_shutter_params(0,0)",
                        "pause 300",
                        "ooc_b_update(0)",
                        "pause 1000",
                        "ooc_b_update(0)",
                        "pause 200",
                        "set_prop_auto_shutter_params(0,1)",
                        "pause 200",
                        "pause 100"};

}   // namespace

class TestModuleRequests : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void parameterCodes_data();
    void parameterCodes();
    void parametersAreSentOnce_data();
    void parametersAreSentOnce();
    void gainAndShutterRequests_data();
    void gainAndShutterRequests();
    void commandsAndFollowUps_data();
    void commandsAndFollowUps();
    void commandPostedMeanwhileSurvives();
    void calibrationSlotsPickTheGainsMode_data();
    void calibrationSlotsPickTheGainsMode();
    void calibrationModes_data();
    void calibrationModes();
    void modePostedMeanwhileSurvives();
    void pacing_data();
    void pacing();
    void visibleGrab_data();
    void visibleGrab();

private:
    std::unique_ptr<TestBoard> m_board;
};

void TestModuleRequests::initTestCase() { m_board = std::make_unique<TestBoard>(); }

void TestModuleRequests::init()
{
    acqtest::resetAll();
    acqtest::recordPauses();
    QVERIFY(acqtest::openModule());
    irsim::clearCalls();
}

// Codes not already sent in parametersAreSentOnce.
void TestModuleRequests::parameterCodes_data()
{
    QTest::addColumn<QString>("parameter");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("code");
    QTest::newRow("emissivity 1.00") << "emissivity" << 1.00 << 128;
    QTest::newRow("emissivity 0.90 is just below 0.9 as a float") << "emissivity" << 0.90 << 113;
    QTest::newRow("emissivity 0.05") << "emissivity" << 0.05 << 4;
    QTest::newRow("emissivity 0.04") << "emissivity" << 0.04 << 3;
    QTest::newRow("emissivity 0") << "emissivity" << 0.0 << 3;
    QTest::newRow("reflected 0") << "reflected" << 0.0 << 273;
    QTest::newRow("distance 0.6") << "distance" << 0.6 << 77;
    QTest::newRow("distance 10") << "distance" << 10.0 << 1280;
}

void TestModuleRequests::parameterCodes()
{
    QFETCH(QString, parameter);
    QFETCH(double, value);
    const float v = static_cast<float>(value);
    if (parameter == "emissivity")
        QTEST(acq::emissivityCode(v), "code");
    else if (parameter == "reflected")
        QTEST(static_cast<int>(acq::reflectedCode(acq::reflectedKelvin(static_cast<int>(value)))), "code");
    else
        QTEST(static_cast<int>(acq::distanceCode(v)), "code");
}

void TestModuleRequests::parametersAreSentOnce_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<double>("first");
    QTest::addColumn<double>("second");
    QTest::addColumn<QString>("firstSent");
    QTest::addColumn<QString>("secondSent");
    QTest::addColumn<QString>("logged");
    QTest::newRow("emissivity, the default included") << "emissivity" << 0.95 << 0.5 << "set_prop_tpd_params(3,120)"
                                                      << "set_prop_tpd_params(3,61)"
                                                      << "TPD_PROP_EMS = 120";
    QTest::newRow("reflected temperature") << "tu" << 25.0 << -10.0 << "set_prop_tpd_params(1,298)"
                                           << "set_prop_tpd_params(1,263)"
                                           << "TPD_PROP_TU = 298";
    QTest::newRow("distance") << "distance" << 0.25 << 1.0 << "set_prop_tpd_params(0,32)"
                              << "set_prop_tpd_params(0,128)"
                              << "";
}

void TestModuleRequests::parametersAreSentOnce()
{
    QFETCH(QString, slot);
    QFETCH(double, first);
    QFETCH(double, second);
    QFETCH(QString, firstSent);
    QFETCH(QString, secondSent);
    QFETCH(QString, logged);
    ThermalCameraThread t;
    auto send = [&](double v) {
        if (slot == "emissivity")
            t.settingTriggerEmissivity(static_cast<float>(v));
        else if (slot == "tu")
            t.settingTriggerTu(static_cast<int>(v));
        else
            t.settingTriggerDistance(static_cast<float>(v));
    };
    acq::LogCapture log;
    send(first);
    send(first);
    QCOMPARE(callList({"get_"}).filter("set_").count(), 1);
    QCOMPARE(callList({"get_"}).first(), firstSent);
    if (!logged.isEmpty())
        QVERIFY(QString::fromStdString(log.text()).contains(logged + "\n"));
    send(second);
    send(second);
    send(first);
    QCOMPARE(callList({"get_"}), (Calls{firstSent, secondSent, firstSent}));
}

void TestModuleRequests::gainAndShutterRequests_data()
{
    QTest::addColumn<QString>("request");
    QTest::addColumn<int>("gainBefore");
    QTest::addColumn<int>("command");
    QTest::addColumn<int>("gainAfter");
    QTest::addColumn<int>("storedAfter");   // -1: not touched
    QTest::newRow("gain 0 asks for low gain") << "settingTempGain 0" << 1 << 19 << 0 << -1;
    QTest::newRow("gain 1 asks for high gain") << "settingTempGain 1" << 0 << 20 << 1 << -1;
    QTest::newRow("any other gain is high") << "settingTempGain 7" << 0 << 20 << 7 << -1;
    QTest::newRow("switch from high") << "switchTempGain" << 1 << 19 << 0 << 0;
    QTest::newRow("switch from low") << "switchTempGain" << 0 << 20 << 1 << 1;
    QTest::newRow("shutter") << "settingTempShutter 0" << 1 << 1 << 1 << -1;
    QTest::newRow("background shutter") << "settingTempShutter 1" << 1 << 2 << 1 << -1;
}

void TestModuleRequests::gainAndShutterRequests()
{
    QFETCH(QString, request);
    QFETCH(int, gainBefore);
    QFETCH(int, command);
    QFETCH(int, gainAfter);
    QFETCH(int, storedAfter);
    ThermalCameraThread t;
    acqState.currentGain.store(static_cast<uint8_t>(gainBefore));
    acqState.temperature_scale.store(5);
    acqState.pendingModuleCommand.store(kShutterCorrection);   // replaced by the newer request
    const QStringList words = request.split(' ');
    if (words[0] == "settingTempGain")
        t.settingTempGain(static_cast<unsigned char>(words[1].toInt()));
    else if (words[0] == "switchTempGain")
        t.switchTempGain();
    else
        t.settingTempShutter(static_cast<qint8>(words[1].toInt()));
    QCOMPARE(acqState.pendingModuleCommand.load(), command);
    QCOMPARE(static_cast<int>(acqState.currentGain.load()), gainAfter);
    QCOMPARE(static_cast<int>(acqState.temperature_scale.load()), storedAfter < 0 ? 5 : storedAfter);
    QVERIFY(irsim::calls().empty());   // nothing reaches the module before the loop runs it
}

void TestModuleRequests::commandsAndFollowUps_data()
{
    QTest::addColumn<int>("command");
    QTest::addColumn<Calls>("calls");
    QTest::addColumn<QStringList>("messages");
    QTest::addColumn<int>("dde");
    QTest::newRow("low gain") << 19
                              << Calls{"set_prop_tpd_params(5,0)", "pause 2000", "set_prop_image_params(2,0)",
                                       "spi_config_save(12)", "get_prop_image_params(2)"}
                              << QStringList{"set_prop_tpd_params to low", "test lowgain dde", "IMAGE_PROP_LEVEL_DDE 0"}
                              << 0;
    QTest::newRow("high gain") << 20
                               << Calls{"set_prop_tpd_params(5,1)", "pause 2000", "set_prop_image_params(2,2)",
                                        "spi_config_save(12)", "get_prop_image_params(2)"}
                               << QStringList{"set_prop_tpd_params to high", "test highgain dde",
                                              "IMAGE_PROP_LEVEL_DDE 2"}
                               << 2;
    QTest::newRow("shutter") << 1 << Calls{"ooc_b_update(0)"} << QStringList{} << -1;
    QTest::newRow("background shutter") << 2
                                        << Calls{"shutter_sta_set(0)", "shutter_manual_switch(0)", "ooc_b_update(0)",
                                                 "shutter_sta_set(1)"}
                                        << QStringList{"shutter background"} << -1;
    QTest::newRow("calibration tables go to their handler") << 29 << Calls{"table command 29"} << QStringList{} << -1;
}

void TestModuleRequests::commandsAndFollowUps()
{
    QFETCH(int, command);
    QFETCH(Calls, calls);
    QFETCH(QStringList, messages);
    QFETCH(int, dde);
    acq::setTableCommandHandler(recordTableCommand);
    acqState.currentDDELevel.store(77);
    std::atomic<uint8_t> mode{acq::kCalibrationIdle};
    acqState.pendingModuleCommand.store(command);
    acq::LogCapture log;
    QVERIFY(!acq::carryOutRequests(mode));
    QCOMPARE(callList(), calls);
    QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
    QString expected;
    for (const QString &m : messages)
        expected += m + "\n";
    QCOMPARE(QString::fromStdString(log.text()), expected);
    QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()), dde < 0 ? 77 : dde);
    // Nothing pending: nothing happens.
    irsim::clearCalls();
    QVERIFY(!acq::carryOutRequests(mode));
    QVERIFY(irsim::calls().empty());
}

void TestModuleRequests::commandPostedMeanwhileSurvives()
{
    // A shutter request posted during the gain command's 2 s wait is not lost.
    acq::setPause(pauseThatPostsACommand);
    std::atomic<uint8_t> mode{acq::kCalibrationIdle};
    acqState.pendingModuleCommand.store(kHighGainCommand);
    acq::carryOutRequests(mode);
    QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kShutterCorrection));
}

void TestModuleRequests::calibrationSlotsPickTheGainsMode_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("highGainMode");
    QTest::addColumn<int>("lowGainMode");
    QTest::newRow("remove cover") << "calTempRmcover" << 0 << 1;
    QTest::newRow("low point") << "calLowTempPoint" << 2 << 5;
    QTest::newRow("middle point") << "calMiddleTempPoint" << 3 << 6;
    QTest::newRow("high point") << "calHighTempPoint" << 4 << 7;
    QTest::newRow("reset") << "calTempReset" << 8 << 9;
}

void TestModuleRequests::calibrationSlotsPickTheGainsMode()
{
    QFETCH(QString, slot);
    QFETCH(int, highGainMode);
    QFETCH(int, lowGainMode);
    ThermalCameraThread t;
    QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
    for (int gain : {1, 0, 3}) {
        acqState.currentGain.store(static_cast<uint8_t>(gain));
        t.calibrationMode.store(42);
        QVERIFY(QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
        const int expected = gain == 1 ? highGainMode : gain == 0 ? lowGainMode : 42;
        QCOMPARE(static_cast<int>(t.calibrationMode.load()), expected);
    }
    QVERIFY(irsim::calls().empty());
}

void TestModuleRequests::calibrationModes_data()
{
    QTest::addColumn<QString>("slot");
    QTest::addColumn<int>("gain");
    QTest::addColumn<int>("pendingBefore");
    QTest::addColumn<Calls>("calls");
    const Calls rmcover{"ooc_b_update(0)", "pause 3000",
                        "ooc_b_update(0)", "set_prop_auto_shutter_params(0,0)",
                        "ooc_b_update(0)", "rmcover_auto_calc(1)",
                        "pause 3000",      "set_prop_auto_shutter_params(0,1)",
                        "ooc_b_update(0)", "pause 100"};
    const Calls finished{"finished"};
    QTest::newRow("remove cover") << "calTempRmcover" << 1 << -1 << rmcover + finished;
    QTest::newRow("low point, low gain") << "calLowTempPoint" << 0 << -1 << kPointSteps + finished;
    // The calibration steps come first and are reported at once; then the
    // pending command runs, in the same frame.
    QTest::newRow("high point precedes a pending gain command")
        << "calHighTempPoint" << 1 << 19
        << (kPointSteps + finished +
            Calls{"set_prop_tpd_params(5,0)", "pause 2000", "set_prop_image_params(2,0)", "spi_config_save(12)",
                  "get_prop_image_params(2)"});
    Calls reset{"pause 300", "ooc_b_update(0)", "pause 300", "restore_default_cfg(2)",
                "pause 300", "ooc_b_update(0)", "pause 3000"};
    // The reset saves the tables of its gain; a pending command runs after it.
    QTest::newRow("reset in high gain, then the pending gain command")
        << "calTempReset" << 1 << 20
        << (reset +
            Calls{"table command 29", "pause 100", "finished", "set_prop_tpd_params(5,1)", "pause 2000",
                  "set_prop_image_params(2,2)", "spi_config_save(12)", "get_prop_image_params(2)"});
    QTest::newRow("reset in low gain, then the pending shutter")
        << "calTempReset" << 0 << 1 << (reset + Calls{"table command 30", "pause 100", "finished", "ooc_b_update(0)"});
    QTest::newRow("new recalibration, high gain")
        << "newRecal" << 1 << -1 << Calls{"table command 31", "pause 100", "finished"};
    QTest::newRow("new recalibration, low gain")
        << "newRecal" << 0 << -1 << Calls{"table command 32", "pause 100", "finished"};
}

void TestModuleRequests::calibrationModes()
{
    QFETCH(QString, slot);
    QFETCH(int, gain);
    QFETCH(int, pendingBefore);
    QFETCH(Calls, calls);
    acq::setTableCommandHandler(recordTableCommand);
    ThermalCameraThread t;
    acqState.currentGain.store(static_cast<uint8_t>(gain));
    acqState.pendingModuleCommand.store(pendingBefore);
    QVERIFY(QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
    QVERIFY(acq::carryOutRequests(t.calibrationMode, noteFinished));
    QCOMPARE(callList(), calls);
    QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
    QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
    // Done: the next frame has nothing to do.
    irsim::clearCalls();
    QVERIFY(!acq::carryOutRequests(t.calibrationMode, noteFinished));
    QVERIFY(irsim::calls().empty());
}

void TestModuleRequests::modePostedMeanwhileSurvives()
{
    std::atomic<uint8_t> mode{acq::kLowPointHigh};
    lateModeTarget = &mode;
    acq::setPause(pauseThatPostsAMode);
    QVERIFY(acq::carryOutRequests(mode));
    QCOMPARE(static_cast<int>(mode.load()), static_cast<int>(acq::kHighPointHigh));
}

void TestModuleRequests::pacing_data()
{
    QTest::addColumn<int>("imageMode");
    QTest::addColumn<int>("calibrationMenu");
    QTest::addColumn<int>("uvc");
    QTest::addColumn<int>("ms");
    QTest::newRow("thermal") << 0 << 0 << 0 << 20;
    QTest::newRow("visible") << 1 << 0 << 0 << 20;
    QTest::newRow("fusion") << 2 << 0 << 0 << 40;
    QTest::newRow("picture in picture") << 3 << 0 << 0 << 40;
    QTest::newRow("alignment") << 4 << 0 << 0 << 40;
    QTest::newRow("thermal, calibration menu open") << 0 << 1 << 0 << 40;
    QTest::newRow("visible, USB video client") << 1 << 0 << 1 << 40;
}

void TestModuleRequests::pacing()
{
    QFETCH(int, imageMode);
    QFETCH(int, calibrationMenu);
    QFETCH(int, uvc);
    QFETCH(int, ms);
    QCOMPARE(acq::framePauseMs(imageMode, calibrationMenu, uvc), ms);
}

void TestModuleRequests::visibleGrab_data()
{
    QTest::addColumn<int>("imageMode");
    QTest::addColumn<int>("frameCounter");
    QTest::addColumn<bool>("grab");
    QTest::newRow("thermal, frame 4") << 0 << 4 << false;
    QTest::newRow("thermal, frame 5") << 0 << 5 << true;
    QTest::newRow("thermal, frame 100") << 0 << 100 << true;
    QTest::newRow("visible, frame 1") << 1 << 1 << true;
    QTest::newRow("fusion, frame 3") << 2 << 3 << true;
}

void TestModuleRequests::visibleGrab()
{
    QFETCH(int, imageMode);
    QFETCH(int, frameCounter);
    QFETCH(bool, grab);
    QCOMPARE(acq::visibleWanted(imageMode, frameCounter), grab);
}

QTEST_MAIN(TestModuleRequests)
#include "tst_modulerequests.moc"
