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
    void initTestCase();
    void init();
    void finding_data();
    void finding();
    void failures_data();
    void failures();
    void absentModule();
    void streamStart();
    void frameSetKeepsItsBuffers();

private:
    std::unique_ptr<TestBoard> m_board;
};

void TestModuleConnection::initTestCase() { m_board = std::make_unique<TestBoard>(); }

void TestModuleConnection::init()
{
    acqtest::resetAll();
    m_board->remove(QStringLiteral("/sim/ir_module"));
}

void TestModuleConnection::finding_data()
{
    QTest::addColumn<std::vector<DevCfg_t>>("devices");
    QTest::addColumn<int>("result");
    QTest::addColumn<QString>("log");
    const QString formats = "width:256 height: 192\nwidth:256 height: 384\n";
    QTest::newRow("the module alone") << std::vector<DevCfg_t>{dev(0x0BDA, 0x5840, "core")} << 0
                                      << "name=core\ncur_index=0\n" + formats;
    QTest::newRow("the older product id is found on the second scan")
        << std::vector<DevCfg_t>{dev(0x1234, 0x5840, "other maker"), dev(0x0BDA, 0x1111, "webcam"),
                                 dev(0x0BDA, 0x5830, "older core")}
        << 0 << "can not get this device! just try other pid\nname=older core\ncur_index=2\n" + formats;
    QTest::newRow("two modules: the lower index wins")
        << std::vector<DevCfg_t>{dev(0x0BDA, 0x1111, "webcam"), dev(0x0BDA, 0x1111, "webcam"),
                                 dev(0x0BDA, 0x1111, "webcam"), dev(0x0BDA, 0x5840, "first"),
                                 dev(0x0BDA, 0x5840, "second")}
        << 0 << "name=first\ncur_index=3\n" + formats;
    QTest::newRow("the newer product id wins over a lower older one")
        << std::vector<DevCfg_t>{dev(0x0BDA, 0x5830, "older"), dev(0x0BDA, 0x5840, "newer")} << 0
        << "name=newer\ncur_index=1\n" + formats;
    QTest::newRow("no module") << std::vector<DevCfg_t>{dev(0x1234, 0x5678, "mouse")} << -1
                               << "can not get this device! just try other pid\ncan not get this device!\n";
}

void TestModuleConnection::finding()
{
    QFETCH(std::vector<DevCfg_t>, devices);
    QFETCH(int, result);
    QFETCH(QString, log);
    irsim::setDevices(devices);
    acq::LogCapture capture;
    CameraParam_t p{};
    QCOMPARE(ir_camera_openm(&p), result);
    QCOMPARE(QString::fromStdString(capture.text()), log);
    if (result == 0) {
        // The grey image over the temperature words.
        QCOMPARE(QVector<int>({int(p.width), int(p.height), int(p.frame_size)}),
                 QVector<int>({256, 384, 256 * 384 * 2}));
        const int index = log.section("cur_index=", 1).section('\n', 0, 0).toInt();
        QCOMPARE(QString::fromLatin1(p.dev_cfg.name), QString::fromLatin1(devices[index].name));
    }
}

void TestModuleConnection::failures_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message");
    QTest::newRow("init") << "uvc_camera_init" << -3 << "uvc_camera_init:-3\n";
    QTest::newRow("list") << "uvc_camera_list" << -4 << "uvc_camera_list:-4\n";
    QTest::newRow("info") << "uvc_camera_info_get" << -5 << "uvc_camera_info_get:-5\n";
    QTest::newRow("open") << "uvc_camera_open" << -6 << "uvc_camera_open:-6\n";
}

void TestModuleConnection::failures()
{
    QFETCH(QString, call);
    QFETCH(int, code);
    QFETCH(QString, message);
    irsim::setCallResult(call.toStdString(), code);
    acq::LogCapture capture;
    CameraParam_t p{};
    QCOMPARE(ir_camera_openm(&p), code);
    const QString text = QString::fromStdString(capture.text());
    QVERIFY2(text.endsWith(message), qPrintable(text));
    QVERIFY(!text.contains("width:"));
}

void TestModuleConnection::absentModule()
{
    m_board->write(QStringLiteral("/sim/ir_module"), "absent\n");
    CameraParam_t p{};
    acq::LogCapture capture;
    QCOMPARE(ir_camera_openm(&p), -1);
    QVERIFY(QString::fromStdString(capture.text()).endsWith("can not get this device!\n"));
    m_board->remove(QStringLiteral("/sim/ir_module"));
    QCOMPARE(ir_camera_openm(&p), 0);
}

void TestModuleConnection::streamStart()
{
    CameraParam_t p{};
    QCOMPARE(ir_camera_openm(&p), 0);
    irsim::clearCalls();
    QCOMPARE(ir_camera_stream_on(&streamFrameInfo, p), 0);
    const auto calls = irsim::calls();
    QVERIFY(calls.size() >= 2);
    QCOMPARE(calls[0], std::string("vdcmd_set_polling_wait_time(10000)"));
    QCOMPARE(calls[1], std::string("vdcmd_init()"));
    QCOMPARE(streamFrameInfo.image_byte_size, 98304u);
    QCOMPARE(streamFrameInfo.temp_byte_size, 98304u);

    irsim::setCallResult("uvc_camera_stream_start", -7);
    acq::LogCapture capture;
    QCOMPARE(ir_camera_stream_on(&streamFrameInfo, p), -7);
    QCOMPARE(QString::fromStdString(capture.text()), QStringLiteral("uvc_camera_stream_start:-7\n"));
}

void TestModuleConnection::frameSetKeepsItsBuffers()
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
    // The halves are the caller's (the module keeps the raw buffer).
    std::free(info.image_frame);
    std::free(info.temp_frame);
    QVERIFY(kept);
}

QTEST_MAIN(TestModuleConnection)
#include "tst_moduleconnection.moc"
