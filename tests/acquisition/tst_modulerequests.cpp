// The module: finding and opening it, the visible camera's picture of the
// same scene, and what the acquisition side sends it: parameter codes and
// their "sent once" rule, gain and shutter requests, module commands with
// their follow-ups, calibration modes, and the loop's pacing.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/modulerequests.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "acquisition/yuv.h"
#include "common/testboard.h"

#include <QtTest>

#include <cstdlib>

Q_DECLARE_METATYPE(std::vector<DevCfg_t>)

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
        m_board->remove(QStringLiteral("/sim/scene"));
        acqtest::resetAll();
        acqtest::recordPauses();
        QVERIFY(acqtest::openModule());
        irsim::clearCalls();
    }

    void visibleCameraSeesTheSameScene()
    {
        // Turned, exchanged and enlarged the way the loop does it, the visible
        // picture's crop at (36, 48) lines up with the infrared view: the
        // blackbody's dark emitter inside its light housing, the wall around.
        acqtest::resetAll();
        qputenv("NORVIK7_SCENE", "blackbody:40");
        QVERIFY(acqtest::openModule());
        std::vector<uint16_t> frame(2 * 256 * 192);
        ir::uvc_frame_get(frame.data());
        std::vector<uint8_t> yuyv(320 * 240 * 2), rgb(320 * 240 * 3), out(264 * 352 * 3);
        irsim::renderVisible(yuyv.data());
        yuv::toRgb(yuyv.data(), rgb.data(), 320, 240);
        yuv::Enlarger().run(rgb.data(), out.data(), 264 * 3);
        auto at = [&](int px, int py) {
            const uint8_t *p = &out[((py + 48) * 264 + (px + 36)) * 3];
            return QColor(p[0], p[1], p[2]);
        };
        QVERIFY(at(96, 112).value() < 50);                                     // emitter
        QVERIFY(at(46, 112).value() > 130 && at(46, 112).saturation() < 40);   // housing, grey
        QVERIFY2(at(20, 30).red() > at(20, 30).blue() + 15,
                 qPrintable(at(20, 30).name()));   // beige wall: red and blue in place
        QVERIFY(at(-30, 112).value() > 150);       // the visible camera sees beyond the infrared view
    }

    void opening_data()
    {
        QTest::addColumn<std::vector<DevCfg_t>>("devices");
        QTest::addColumn<QString>("failing");   // a call and its result, or "absent": the module unplugged
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("log");   // all of it when opened, its end when not
        using D = std::vector<DevCfg_t>;
        const QString formats = "width:256 height: 192\nwidth:256 height: 384\n";
        const QString other = "can not get this device! just try other pid\n";
        const DevCfg_t webcam{0x0BDA, 0x1111, "webcam"};
        QTest::newRow("older id, second scan")
            << D{{0x1234, 0x5840, "other maker"}, webcam, {0x0BDA, 0x5830, "older core"}} << "" << 0
            << other + "name=older core\ncur_index=2\n" + formats;
        QTest::newRow("lower index wins")
            << D{webcam, webcam, webcam, {0x0BDA, 0x5840, "first"}, {0x0BDA, 0x5840, "second"}} << "" << 0
            << "name=first\ncur_index=3\n" + formats;
        QTest::newRow("newer id wins") << D{{0x0BDA, 0x5830, "older"}, {0x0BDA, 0x5840, "newer"}} << "" << 0
                                       << "name=newer\ncur_index=1\n" + formats;
        QTest::newRow("no module") << D{{0x1234, 0x5678, "mouse"}} << "" << -1 << other + "can not get this device!\n";
        QTest::newRow("unplugged") << D{} << "absent" << -1 << "can not get this device!\n";
        QTest::newRow("init fails") << D{} << "uvc_camera_init" << -3 << "uvc_camera_init:-3\n";
        QTest::newRow("list fails") << D{} << "uvc_camera_list" << -4 << "uvc_camera_list:-4\n";
        QTest::newRow("info fails") << D{} << "uvc_camera_info_get" << -5 << "uvc_camera_info_get:-5\n";
        QTest::newRow("open fails") << D{} << "uvc_camera_open" << -6 << "uvc_camera_open:-6\n";
    }
    void opening()
    {
        QFETCH(std::vector<DevCfg_t>, devices);
        QFETCH(QString, failing);
        QFETCH(int, result);
        QFETCH(QString, log);
        acqtest::resetAll();
        if (!devices.empty())   // else the simulated board's module, if plugged in
            irsim::setDevices(devices);
        if (failing == "absent")
            m_board->write(QStringLiteral("/sim/ir_module"), "absent\n");
        else if (!failing.isEmpty())
            irsim::setCallResult(failing.toStdString(), result);
        acq::LogCapture capture;
        CameraParam_t p{};
        QCOMPARE(ir_camera_openm(&p), result);
        const QString text = QString::fromStdString(capture.text());
        m_board->remove(QStringLiteral("/sim/ir_module"));
        if (result != 0) {
            QVERIFY2(text.endsWith(log) && !text.contains("width:"), qPrintable(text));
            return;
        }
        QCOMPARE(text, log);
        // The grey image over the temperature words.
        QCOMPARE(QVector<int>({int(p.width), int(p.height), int(p.frame_size)}),
                 QVector<int>({256, 384, 256 * 384 * 2}));
        const int index = log.section("cur_index=", 1).section('\n', 0, 0).toInt();
        QCOMPARE(QString::fromLatin1(p.dev_cfg.name), QString::fromLatin1(devices[index].name));
        // Streaming sets up the frame's buffers once and keeps them.
        StreamFrameInfo_t info{};
        info.camera_param = p;
        load_stream_frame_info(&info);
        uint8_t *raw = info.raw_frame, *image = info.image_frame;
        QVERIFY(raw && image && info.temp_frame);
        load_stream_frame_info(&info);
        const bool kept = info.raw_frame == raw && info.image_frame == image;
        std::free(info.image_frame);   // the halves are the caller's (the module keeps the raw buffer)
        std::free(info.temp_frame);
        QVERIFY(kept);
    }

    void parametersAreSentOnce_data()
    {
        QTest::addColumn<QVector<double>>("values");   // a first and a second
        QTest::addColumn<QString>("sent");             // the first, the second sent, and what the first logs
        QTest::newRow("emissivity") << QVector<double>{0.90, 0.0}   // just below 0.9 as a float; the least code
                                    << "set_prop_tpd_params(3,113);set_prop_tpd_params(3,3);TPD_PROP_EMS = 113";
        QTest::newRow("emissivity, low") << QVector<double>{0.05, 0.04}
                                         << "set_prop_tpd_params(3,4);set_prop_tpd_params(3,3);TPD_PROP_EMS = 4";
        QTest::newRow("tu") << QVector<double>{0, -10}
                            << "set_prop_tpd_params(1,273);set_prop_tpd_params(1,263);TPD_PROP_TU = 273";
        QTest::newRow("distance") << QVector<double>{0.6, 10}
                                  << "set_prop_tpd_params(0,77);set_prop_tpd_params(0,1280);";
    }
    void parametersAreSentOnce()
    {
        QFETCH(QVector<double>, values);
        QFETCH(QString, sent);
        const QStringList s = sent.split(';');
        const QByteArray slot = QByteArray(QTest::currentDataTag()).split(',')[0];
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
        // A module command alone, in the frame it is found.
        QTest::newRow("background shutter") << "" << V{} << 1 << 2
                                            << "shutter_sta_set(0);shutter_manual_switch(0);ooc_b_update(0);"
                                               "shutter_sta_set(1)";
        QTest::newRow("calibration tables to their handler") << "" << V{} << 1 << 29 << "table command 29";
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
        QVERIFY(slot.isEmpty() || QMetaObject::invokeMethod(&t, slot.toLatin1().constData()));
        QCOMPARE(acq::carryOutRequests(t.calibrationMode, noteFinished), !slot.isEmpty());
        QTEST(calls(), "calls");
        QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
        QCOMPARE(acqState.pendingModuleCommand.load(), static_cast<int>(kNoCommand));
        irsim::clearCalls();   // done: the next frame has nothing to do
        QVERIFY(!acq::carryOutRequests(t.calibrationMode, noteFinished));
        QVERIFY(irsim::calls().empty());
    }

    void pacingAndVisibleGrab()
    {
        // Image mode, calibration menu open, a USB video client; the pause
        // between frames; a visible grab every frame (1, or on multiples of 5 only).
        const int rows[][5] = {{0, 0, 0, 20, 0}, {1, 0, 0, 20, 1}, {2, 0, 0, 40, 1}, {3, 0, 0, 40, 1},
                               {4, 0, 0, 40, 1}, {0, 1, 0, 40, 0}, {1, 0, 1, 40, 1}};
        for (const auto &r : rows) {
            QCOMPARE(acq::framePauseMs(r[0], r[1], r[2]), r[3]);
            QCOMPARE(QVector<bool>({acq::visibleWanted(r[0], 1), acq::visibleWanted(r[0], 4),
                                    acq::visibleWanted(r[0], 5), acq::visibleWanted(r[0], 100)}),
                     QVector<bool>({bool(r[4]), bool(r[4]), true, true}));
        }
    }

private:
    std::unique_ptr<TestBoard> m_board;
};

QTEST_MAIN(TestModuleRequests)
#include "tst_modulerequests.moc"
