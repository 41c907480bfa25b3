// Finding, opening and streaming the infrared module.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "common/testboard.h"

#include <QtTest>

#include <cstdlib>

Q_DECLARE_METATYPE(std::vector<DevCfg_t>)

namespace {
DevCfg_t dev(uint16_t vid, uint16_t pid, const char *name)
{
    DevCfg_t d{};
    d.vid = vid;
    d.pid = pid;
    std::snprintf(d.name, sizeof d.name, "%s", name);
    return d;
}
}   // namespace

class TestModuleConnection : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_board = std::make_unique<TestBoard>(); }
    void init() { acqtest::resetAll(); }

    void opening_data()
    {
        QTest::addColumn<std::vector<DevCfg_t>>("devices");
        QTest::addColumn<QString>("failing");   // a call and its result, or "absent": the module unplugged
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("log");   // all of it when opened, its end when not
        const QString formats = "width:256 height: 192\nwidth:256 height: 384\n";
        const auto webcam = dev(0x0BDA, 0x1111, "webcam");
        QTest::newRow("the module alone")
            << std::vector<DevCfg_t>{dev(0x0BDA, 0x5840, "core")} << "" << 0 << "name=core\ncur_index=0\n" + formats;
        QTest::newRow("the older product id is found on the second scan")
            << std::vector<DevCfg_t>{dev(0x1234, 0x5840, "other maker"), webcam, dev(0x0BDA, 0x5830, "older core")}
            << "" << 0 << "can not get this device! just try other pid\nname=older core\ncur_index=2\n" + formats;
        QTest::newRow("two modules: the lower index wins")
            << std::vector<DevCfg_t>{webcam, webcam, webcam, dev(0x0BDA, 0x5840, "first"),
                                     dev(0x0BDA, 0x5840, "second")}
            << "" << 0 << "name=first\ncur_index=3\n" + formats;
        QTest::newRow("the newer product id wins over a lower older one")
            << std::vector<DevCfg_t>{dev(0x0BDA, 0x5830, "older"), dev(0x0BDA, 0x5840, "newer")} << "" << 0
            << "name=newer\ncur_index=1\n" + formats;
        QTest::newRow("no module") << std::vector<DevCfg_t>{dev(0x1234, 0x5678, "mouse")} << "" << -1
                                   << "can not get this device! just try other pid\ncan not get this device!\n";
        QTest::newRow("unplugged") << std::vector<DevCfg_t>{} << "absent" << -1 << "can not get this device!\n";
        QTest::newRow("init fails") << std::vector<DevCfg_t>{} << "uvc_camera_init" << -3 << "uvc_camera_init:-3\n";
        QTest::newRow("list fails") << std::vector<DevCfg_t>{} << "uvc_camera_list" << -4 << "uvc_camera_list:-4\n";
        QTest::newRow("info fails") << std::vector<DevCfg_t>{} << "uvc_camera_info_get" << -5
                                    << "uvc_camera_info_get:-5\n";
        QTest::newRow("open fails") << std::vector<DevCfg_t>{} << "uvc_camera_open" << -6 << "uvc_camera_open:-6\n";
    }
    void opening()
    {
        QFETCH(std::vector<DevCfg_t>, devices);
        QFETCH(QString, failing);
        QFETCH(int, result);
        QFETCH(QString, log);
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
        if (result != 0) {
            QVERIFY2(text.endsWith(log) && !text.contains("width:"), qPrintable(text));
            m_board->remove(QStringLiteral("/sim/ir_module"));
            return;
        }
        QCOMPARE(text, log);
        // The grey image over the temperature words.
        QCOMPARE(QVector<int>({int(p.width), int(p.height), int(p.frame_size)}),
                 QVector<int>({256, 384, 256 * 384 * 2}));
        const int index = log.section("cur_index=", 1).section('\n', 0, 0).toInt();
        QCOMPARE(QString::fromLatin1(p.dev_cfg.name), QString::fromLatin1(devices[index].name));
    }

    void streamStart()
    {
        CameraParam_t p{};
        QCOMPARE(ir_camera_openm(&p), 0);
        irsim::clearCalls();
        QCOMPARE(ir_camera_stream_on(&streamFrameInfo, p), 0);
        const auto calls = irsim::calls();
        QVERIFY(calls.size() >= 2);
        QCOMPARE(calls[0] + calls[1], std::string("vdcmd_set_polling_wait_time(10000)vdcmd_init()"));
        QCOMPARE(QVector<unsigned>({streamFrameInfo.image_byte_size, streamFrameInfo.temp_byte_size}),
                 QVector<unsigned>({98304u, 98304u}));
        irsim::setCallResult("uvc_camera_stream_start", -7);
        acq::LogCapture capture;
        QCOMPARE(ir_camera_stream_on(&streamFrameInfo, p), -7);
        QCOMPARE(QString::fromStdString(capture.text()), QStringLiteral("uvc_camera_stream_start:-7\n"));
    }

    void frameSetKeepsItsBuffers()
    {
        StreamFrameInfo_t info{};
        info.camera_param.width = 256;
        info.camera_param.height = 384;
        info.camera_param.frame_size = 256 * 384 * 2;
        load_stream_frame_info(&info);
        QVERIFY(info.raw_frame && info.image_frame && info.temp_frame);
        uint8_t *raw = info.raw_frame, *image = info.image_frame;
        load_stream_frame_info(&info);
        const bool kept = info.raw_frame == raw && info.image_frame == image;
        std::free(info.image_frame);   // the halves are the caller's (the module keeps the raw buffer)
        std::free(info.temp_frame);
        QVERIFY(kept);
    }

private:
    std::unique_ptr<TestBoard> m_board;
};

QTEST_MAIN(TestModuleConnection)
#include "tst_moduleconnection.moc"
