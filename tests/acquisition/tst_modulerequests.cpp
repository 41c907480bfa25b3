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

namespace {

// The module's calls since the last clear, ';' between them.
QString calls(std::initializer_list<const char *> skip = {})
{
    QStringList out;
    for (const std::string &c : acqtest::callsWithout(skip))
        out << QString::fromStdString(c);
    return out.join(';');
}

void recordTableCommand(int code) { irsim::note("table command " + std::to_string(code)); }
void noteFinished(void *) { irsim::note("finished"); }   // where the loop reports a finished calibration

// Requests the GUI thread posts while the loop waits: a shutter during the
// gain command's 2 s, a calibration mode during a calibration's 1 s.
std::atomic<uint8_t> *lateMode = nullptr;
void pausePostingRequests(int ms)
{
    irsim::note("pause " + std::to_string(ms));
    if (ms == 2000)
        acqState.pendingModuleCommand.store(kShutterCorrection);
    if (ms == 1000 && lateMode)
        std::exchange(lateMode, nullptr)->store(acq::kHighPointHigh);
}

const QString kLowGain = "set_prop_tpd_params(5,0);pause 2000;set_prop_image_params(2,0);spi_config_save(12);"
                         "get_prop_image_params(2)";
const QString kHighGain = "set_prop_tpd_params(5,1);pause 2000;set_prop_image_params(2,2);spi_config_save(12);"
                          "get_prop_image_params(2)";

}   // namespace

class TestModuleRequests : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_board = std::make_unique<TestBoard>(); }
    void init()
    {
        acqtest::resetAll();
        acqtest::recordPauses();
        QVERIFY(acqtest::openModule());
        irsim::clearCalls();
    }

    void parameterCodes_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("code");
        QTest::newRow("emissivity 1.00") << 1.00 << 128;
        QTest::newRow("emissivity 0.90 is just below 0.9 as a float") << 0.90 << 113;
        QTest::newRow("emissivity 0.05") << 0.05 << 4;
        QTest::newRow("emissivity 0.04") << 0.04 << 3;
        QTest::newRow("emissivity 0") << 0.0 << 3;
        QTest::newRow("reflected 0") << 0.0 << 273;
        QTest::newRow("distance 0.6") << 0.6 << 77;
        QTest::newRow("distance 10") << 10.0 << 1280;
    }
    void parameterCodes()
    {
        QFETCH(double, value);
        const QByteArray parameter = QByteArray(QTest::currentDataTag()).split(' ')[0];
        const float v = static_cast<float>(value);
        if (parameter == "emissivity")
            QTEST(acq::emissivityCode(v), "code");
        else if (parameter == "reflected")
            QTEST(static_cast<int>(acq::reflectedCode(acq::reflectedKelvin(static_cast<int>(value)))), "code");
        else
            QTEST(static_cast<int>(acq::distanceCode(v)), "code");
    }

    void parametersAreSentOnce_data()
    {
        QTest::addColumn<QVector<double>>("values");   // a first and a second
        QTest::addColumn<QString>("sent");             // the first, the second sent, and what the first logs
        QTest::newRow("emissivity") << QVector<double>{0.95, 0.5}
                                    << "set_prop_tpd_params(3,120);set_prop_tpd_params(3,61);TPD_PROP_EMS = 120";
        QTest::newRow("tu") << QVector<double>{25, -10}
                            << "set_prop_tpd_params(1,298);set_prop_tpd_params(1,263);TPD_PROP_TU = 298";
        QTest::newRow("distance") << QVector<double>{0.25, 1}
                                  << "set_prop_tpd_params(0,32);set_prop_tpd_params(0,128);";
    }
    void parametersAreSentOnce()
    {
        QFETCH(QVector<double>, values);
        QFETCH(QString, sent);
        const QStringList s = sent.split(';');
        const QByteArray slot = QByteArray(QTest::currentDataTag()).split(',')[0].split(':')[0];
        ThermalCameraThread t;
        acq::LogCapture log;
        for (double v : {values[0], values[0], values[1], values[1], values[0]}) {
            if (slot == "emissivity")
                t.settingTriggerEmissivity(static_cast<float>(v));
            else if (slot == "tu")
                t.settingTriggerTu(static_cast<int>(v));
            else
                t.settingTriggerDistance(static_cast<float>(v));
        }
        QCOMPARE(calls({"get_"}), QStringList({s[0], s[1], s[0]}).join(';'));
        QVERIFY(QString::fromStdString(log.text()).contains(s[2]));
    }

    void gainAndShutterRequests_data()
    {
        using V = QVector<int>;
        QTest::addColumn<QString>("request");
        QTest::addColumn<QVector<int>>("result");   // gain before; then command, gain, stored gain (5: untouched)
        QTest::newRow("gain 0 asks for low gain") << "settingTempGain 0" << V{1, 19, 0, 5};
        QTest::newRow("gain 1 asks for high gain") << "settingTempGain 1" << V{0, 20, 1, 5};
        QTest::newRow("any other gain is high") << "settingTempGain 7" << V{0, 20, 7, 5};
        QTest::newRow("switch from high") << "switchTempGain" << V{1, 19, 0, 0};
        QTest::newRow("switch from low") << "switchTempGain" << V{0, 20, 1, 1};
        QTest::newRow("shutter") << "settingTempShutter 0" << V{1, 1, 1, 5};
        QTest::newRow("background shutter") << "settingTempShutter 1" << V{1, 2, 1, 5};
        QTest::newRow("a shutter keeps a waiting switch") << "switchTempGain;settingTempShutter 0" << V{1, 19, 0, 0};
    }
    void gainAndShutterRequests()
    {
        QFETCH(QString, request);
        QFETCH(QVector<int>, result);
        ThermalCameraThread t;
        acqState.currentGain.store(static_cast<uint8_t>(result[0]));
        acqState.temperature_scale.store(5);
        acqState.pendingModuleCommand.store(kShutterCorrection);   // replaced by the newer request
        for (const QString &one : request.split(';')) {
            const QStringList words = one.split(' ');
            if (words[0] == "settingTempGain")
                t.settingTempGain(static_cast<unsigned char>(words[1].toInt()));
            else if (words[0] == "switchTempGain")
                t.switchTempGain();
            else
                t.settingTempShutter(static_cast<qint8>(words[1].toInt()));
        }
        QCOMPARE(QVector<int>({acqState.pendingModuleCommand.load(), acqState.currentGain.load(),
                               acqState.temperature_scale.load()}),
                 result.mid(1));
        QVERIFY(irsim::calls().empty());   // nothing reaches the module before the loop runs it
    }

    void commandsAndFollowUps_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("log");
        QTest::addColumn<int>("dde");
        QTest::newRow("low gain") << 19 << kLowGain
                                  << "set_prop_tpd_params to low\ntest lowgain dde\nIMAGE_PROP_LEVEL_DDE 0\n"
                                  << 0;
        QTest::newRow("high gain") << 20 << kHighGain
                                   << "set_prop_tpd_params to high\ntest highgain dde\nIMAGE_PROP_LEVEL_DDE 2\n"
                                   << 2;
        QTest::newRow("shutter") << 1 << "ooc_b_update(0)" << QString() << 77;
        QTest::newRow("background shutter") << 2
                                            << "shutter_sta_set(0);shutter_manual_switch(0);ooc_b_update(0);"
                                               "shutter_sta_set(1)"
                                            << "shutter background\n"
                                            << 77;
        QTest::newRow("calibration tables go to their handler") << 29 << "table command 29" << QString() << 77;
    }
    void commandsAndFollowUps()
    {
        QFETCH(int, command);
        acq::setTableCommandHandler(recordTableCommand);
        acqState.currentDDELevel.store(77);
        std::atomic<uint8_t> mode{acq::kCalibrationIdle};
        acqState.pendingModuleCommand.store(command);
        acq::LogCapture log;
        QVERIFY(!acq::carryOutRequests(mode));
        QTEST(calls(), "calls");
        QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
        QTEST(QString::fromStdString(log.text()), "log");
        QTEST(static_cast<int>(acqState.currentDDELevel.load()), "dde");
        irsim::clearCalls();   // nothing pending: nothing happens
        QVERIFY(!acq::carryOutRequests(mode));
        QVERIFY(irsim::calls().empty());
    }

    void requestsPostedMeanwhileSurvive()
    {
        acq::setPause(pausePostingRequests);
        std::atomic<uint8_t> mode{acq::kCalibrationIdle};
        acqState.pendingModuleCommand.store(kHighGainCommand);
        acq::carryOutRequests(mode);
        QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kShutterCorrection));
        acqState.pendingModuleCommand.store(kNoCommand);
        mode.store(acq::kLowPointHigh);
        lateMode = &mode;
        QVERIFY(acq::carryOutRequests(mode));
        QCOMPARE(static_cast<int>(mode.load()), static_cast<int>(acq::kHighPointHigh));
    }

    void calibrationModes_data()
    {
        QTest::addColumn<QString>("slot");
        QTest::addColumn<QVector<int>>("modes");   // chosen in high gain, in low gain
        QTest::addColumn<int>("gain");
        QTest::addColumn<int>("pendingBefore");
        QTest::addColumn<QString>("calls");
        const QString rmcover = "ooc_b_update(0);pause 3000;ooc_b_update(0);set_prop_auto_shutter_params(0,0);"
                                "ooc_b_update(0);rmcover_auto_calc(1);pause 3000;set_prop_auto_shutter_params(0,1);"
                                "ooc_b_update(0);pause 100;finished";
        const QString point = "pause 300;ooc_b_update(0);pause 300;ooc_b_update(0);set_prop_auto_shutter_params(0,0);"
                              "pause 300;ooc_b_update(0);pause 1000;ooc_b_update(0);pause 200;"
                              "set_prop_auto_shutter_params(0,1);pause 200;pause 100;finished";
        const QString reset = "pause 300;ooc_b_update(0);pause 300;restore_default_cfg(2);pause 300;ooc_b_update(0);"
                              "pause 3000;table command ";
        using V = QVector<int>;
        QTest::newRow("remove cover") << "calTempRmcover" << V{0, 1} << 1 << -1 << rmcover;
        QTest::newRow("low point, low gain") << "calLowTempPoint" << V{2, 5} << 0 << -1 << point;
        QTest::newRow("middle point") << "calMiddleTempPoint" << V{3, 6} << 1 << -1 << point;
        // The calibration steps come first and are reported at once; then the
        // pending command runs, in the same frame.
        QTest::newRow("high point, then gain") << "calHighTempPoint" << V{4, 7} << 1 << 19 << point + ";" + kLowGain;
        // The reset saves the tables of its gain; a pending command runs after it.
        QTest::newRow("reset high, gain")
            << "calTempReset" << V{8, 9} << 1 << 20 << reset + "29;pause 100;finished;" + kHighGain;
        QTest::newRow("reset low, shutter")
            << "calTempReset" << V{8, 9} << 0 << 1 << reset + "30;pause 100;finished;ooc_b_update(0)";
        QTest::newRow("recal high") << "newRecal" << V{} << 1 << -1 << "table command 31;pause 100;finished";
        QTest::newRow("recal low") << "newRecal" << V{} << 0 << -1 << "table command 32;pause 100;finished";
    }
    void calibrationModes()
    {
        QFETCH(QString, slot);
        QFETCH(QVector<int>, modes);
        QFETCH(int, gain);
        QFETCH(int, pendingBefore);
        acq::setTableCommandHandler(recordTableCommand);
        ThermalCameraThread t;
        QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
        // The slot picks its mode by the gain; another gain leaves the mode as it is.
        for (int g = 0; !modes.isEmpty() && g < 3; ++g) {
            acqState.currentGain.store(static_cast<uint8_t>(g == 2 ? 3 : 1 - g));
            t.calibrationMode.store(42);
            QVERIFY(QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
            QCOMPARE(static_cast<int>(t.calibrationMode.load()), g < 2 ? modes.value(g) : 42);
        }
        QVERIFY(irsim::calls().empty());
        acqState.currentGain.store(static_cast<uint8_t>(gain));
        acqState.pendingModuleCommand.store(pendingBefore);
        QVERIFY(QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
        QVERIFY(acq::carryOutRequests(t.calibrationMode, noteFinished));
        QTEST(calls(), "calls");
        QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
        QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
        irsim::clearCalls();   // done: the next frame has nothing to do
        QVERIFY(!acq::carryOutRequests(t.calibrationMode, noteFinished));
        QVERIFY(irsim::calls().empty());
    }

    void pacingAndVisibleGrab_data()
    {
        using V = QVector<int>;
        // Image mode, calibration menu open, a USB video client; the pause
        // between frames; a visible grab every frame (or on multiples of 5 only).
        QTest::addColumn<QVector<int>>("state");
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("everyFrame");
        QTest::newRow("thermal") << V{0, 0, 0} << 20 << false;
        QTest::newRow("visible") << V{1, 0, 0} << 20 << true;
        QTest::newRow("fusion") << V{2, 0, 0} << 40 << true;
        QTest::newRow("picture in picture") << V{3, 0, 0} << 40 << true;
        QTest::newRow("alignment") << V{4, 0, 0} << 40 << true;
        QTest::newRow("thermal, calibration menu open") << V{0, 1, 0} << 40 << false;
        QTest::newRow("visible, USB video client") << V{1, 0, 1} << 40 << true;
    }
    void pacingAndVisibleGrab()
    {
        QFETCH(QVector<int>, state);
        QFETCH(bool, everyFrame);
        QTEST(acq::framePauseMs(state[0], state[1], state[2]), "ms");
        QCOMPARE(QVector<bool>({acq::visibleWanted(state[0], 1), acq::visibleWanted(state[0], 4),
                                acq::visibleWanted(state[0], 5), acq::visibleWanted(state[0], 100)}),
                 QVector<bool>({everyFrame, everyFrame, true, true}));
    }

private:
    std::unique_ptr<TestBoard> m_board;
};

QTEST_MAIN(TestModuleRequests)
#include "tst_modulerequests.moc"
