// The simulated infrared module behaves like a radiometric core: readings,
// gain ranges, parameters, tables kept in flash, replays and the visible
// camera's picture; finding, opening and streaming it.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/irmodule.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/yuv.h"
#include "common/testboard.h"

#include <QtTest>

#include <cmath>
#include <cstdio>
#include <cstdlib>

Q_DECLARE_METATYPE(std::vector<DevCfg_t>)

namespace {

constexpr int kW = 256, kH = 192, kN = kW * kH;
using Words = std::vector<uint16_t>;

Words grab()
{
    Words f(2 * kN);
    ir::uvc_frame_get(f.data());
    return f;
}

// Mean and spread inside the blackbody's emitter (sensor x 80..143, y 72..119) over `frames` frames.
struct Area {
    double mean, sd;
};
Area area(int frames = 1)
{
    double sum = 0, sq = 0;
    for (int i = 0; i < frames; ++i) {
        const Words f = grab();
        for (int y = 72; y < 120; ++y)
            for (int x = 80; x < 144; ++x) {
                const double c = f[kN + y * kW + x] / 64.0 - 273.15;
                sum += c;
                sq += c * c;
            }
    }
    const double n = 64.0 * 48 * frames, mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, sq / n - mean * mean))};
}

void setTpd(int prop, int value) { QCOMPARE(ir::set_prop_tpd_params(prop, static_cast<uint16_t>(value)), 0); }

// The current gain's tables as the module reports them.
Words ktTable()
{
    Words t(TPD_KT_BT_LEN);
    return ir::get_tpd_kt_array(t.data()) == 0 ? t : Words{};
}
Words nucTable()
{
    Words t(TPD_NUC_T_LEN);
    return ir::get_tpd_nuc_t_array(t.data()) == 0 ? t : Words{};
}

DevCfg_t dev(uint16_t vid, uint16_t pid, const char *name)
{
    DevCfg_t d{};
    d.vid = vid;
    d.pid = pid;
    std::snprintf(d.name, sizeof d.name, "%s", name);
    return d;
}

std::vector<uint8_t> visible()
{
    std::vector<uint8_t> yuyv(irsim::kVisibleWidth * irsim::kVisibleHeight * 2);
    irsim::renderVisible(yuyv.data());
    return yuyv;
}

}   // namespace

class TestSimModule : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { m_board = std::make_unique<TestBoard>(); }
    void init()
    {
        acqtest::resetAll();
        m_board->remove(QStringLiteral("/sim/scene"));
        m_board->remove(QString::fromLatin1(irsim::kFlashBoardPath));   // a core fresh from the factory
    }
    void cleanup() { qunsetenv("NORVIK7_SCENE"); }

    void readings_data()
    {
        QTest::addColumn<QString>("scene");
        QTest::addColumn<int>("gain");
        QTest::addColumn<double>("reads");
        QTest::addColumn<double>("noise");   // at most, degrees; 0: every word exact
        QTest::newRow("flat 30") << "flat:30" << 1 << 30.0 << 0.0;
        QTest::newRow("flat 200 clips in high gain") << "flat:200" << 1 << 150.0 << 0.0;
        QTest::newRow("flat -30 clips in low gain") << "flat:-30" << 0 << 0.0 << 0.0;
        QTest::newRow("blackbody -10, high gain") << "blackbody:-10" << 1 << -10.0 << 0.12;
        QTest::newRow("blackbody 400, low gain") << "blackbody:400" << 0 << 400.0 << 0.6;
    }
    void readings()
    {
        QFETCH(QString, scene);
        QFETCH(double, reads);
        QFETCH(double, noise);
        QFETCH(int, gain);
        start(scene.toLatin1().constData(), gain);
        if (noise == 0) {
            setTpd(TPD_PROP_EMS, 61);   // parameters do not matter for a flat scene
            const Words f = grab();
            QCOMPARE(std::count(f.begin() + kN, f.end(), std::lround((reads + 273.15) * 64)), long(kN));
            QCOMPARE(std::count(f.begin(), f.begin() + kN, f[0]), long(kN));
            QVERIFY(f[0] <= 16383);
            return;
        }
        // Within the factory tables' small error, with a noise of about 50 mK, different in every frame.
        const Area a = area();
        QVERIFY2(std::fabs(a.mean - reads) < 1.5, qPrintable(QString::number(a.mean)));
        QVERIFY2(a.sd < noise && a.sd > 0.01, qPrintable(QString::number(a.sd)));
        QVERIFY(area().mean != a.mean);
    }

    void flashKeepsTheTables_data()
    {
        using B = QVector<bool>;
        QTest::addColumn<int>("restoreIn");        // gain whose defaults are restored, -1 none
        QTest::addColumn<QByteArray>("damage");    // what becomes of the flash file before power-up
        QTest::addColumn<QVector<bool>>("kept");   // low gain's, high gain's
        QTest::newRow("both ranges survive a power cycle") << -1 << QByteArray() << B{true, true};
        QTest::newRow("restoring the high range keeps the low one") << 1 << QByteArray() << B{true, false};
        QTest::newRow("restoring the low range keeps the high one") << 0 << QByteArray() << B{false, true};
        QTest::newRow("a cut flash gives the factory tables") << -1 << QByteArray("cut") << B{false, false};
        QTest::newRow("a foreign flash too") << -1 << QByteArray("foreign") << B{false, false};
    }
    void flashKeepsTheTables()
    {
        QFETCH(int, restoreIn);
        QFETCH(QByteArray, damage);
        QFETCH(QVector<bool>, kept);
        start("blackbody:50", 1);
        // Each range gets tables of its own: kt 3 % steeper, nuc-t 2 K colder
        // in high gain, 4 K in low gain; tables decide what is read.
        Words factoryKt[2], factoryNuc[2];
        for (int gain : {1, 0}) {
            setTpd(TPD_PROP_GAIN_SEL, gain);
            Words kt = factoryKt[gain] = ktTable(), nuc = factoryNuc[gain] = nucTable();
            for (uint16_t &k : kt)
                k = static_cast<uint16_t>(k * 1.03);
            for (uint16_t &n : nuc)
                n = static_cast<uint16_t>(n - 64 * (gain ? 2 : 4));
            const double before = area(4).mean;
            QCOMPARE(ir::set_tpd_kt_array(kt.data()), 0);
            const double steeper = area(4).mean;
            QCOMPARE(ir::set_tpd_nuc_t_array(nuc.data()), 0);
            const double colder = area(4).mean;
            QVERIFY2(steeper - before > 0.3 && std::fabs(steeper - colder - (gain ? 2 : 4)) < 0.5,
                     qPrintable(QStringLiteral("%1 %2 %3").arg(before).arg(steeper).arg(colder)));
        }
        if (restoreIn >= 0) {
            setTpd(TPD_PROP_GAIN_SEL, restoreIn);
            QCOMPARE(ir::restore_default_cfg(2), 0);
        }
        const QString flash = QString::fromLatin1(irsim::kFlashBoardPath);
        if (damage == "cut")
            m_board->write(flash, m_board->read(flash).left(5000));
        else if (damage == "foreign")
            m_board->write(flash, QByteArray(m_board->read(flash).size(), 'x'));
        QVERIFY(!QFile::exists(m_board->file(flash + ".part")));
        irsim::reset();   // power off and on: the core starts from its flash
        QVERIFY(acqtest::openModule());
        for (int gain : {1, 0}) {
            setTpd(TPD_PROP_GAIN_SEL, gain);
            const Words nuc = nucTable();
            QCOMPARE(ktTable() != factoryKt[gain], kept[gain]);
            QCOMPARE(nuc != factoryNuc[gain], kept[gain]);
            if (kept[gain])
                QCOMPARE(static_cast<int>(factoryNuc[gain][4000] - nuc[4000]), 64 * (gain ? 2 : 4));
        }
    }

    void visibleCameraSeesTheSameScene()
    {
        // Turned, exchanged and enlarged the way the loop does it, the visible
        // picture's crop at (36, 48) lines up with the infrared view: the
        // blackbody's dark emitter inside its light housing, the wall around.
        start("blackbody:40", 1);
        grab();
        std::vector<uint8_t> rgb(320 * 240 * 3), out(264 * 352 * 3);
        yuv::toRgb(visible().data(), rgb.data(), 320, 240);
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

    void sceneFileIsFollowed()
    {
        // Both pictures follow the file, however it is changed; an unknown text keeps the scene.
        const QString scene = m_board->file(QStringLiteral("/sim/scene"));
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:30\n");
        start(nullptr, 1);
        QVERIFY(std::fabs(area(2).mean - 30) < 1.5);
        const std::vector<uint8_t> blackbody = visible();
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:60\n");
        QVERIFY(std::fabs(area(2).mean - 60) < 1.5);
        m_board->write(QStringLiteral("/sim/scene"), "no such scene\n");
        QVERIFY(std::fabs(area(2).mean - 60) < 1.5);
        m_board->write(QStringLiteral("/sim/scene.new"), "flat:12.5\n");
        QVERIFY(std::rename(QFile::encodeName(scene + ".new").constData(), QFile::encodeName(scene).constData()) == 0);
        QCOMPARE(grab()[kN], static_cast<uint16_t>(std::lround((12.5 + 273.15) * 64)));
        QVERIFY(visible() != blackbody);
    }

    void rewrittenRecordingIsReadAgain()
    {
        // Replays are exact, with or without the header, looped, and read again when rewritten.
        Words a(2 * kN), b(2 * kN);
        uint32_t seed = 12345;
        for (int i = 0; i < kN; ++i) {
            seed = seed * 1103515245u + 12345u;
            a[i] = static_cast<uint16_t>(seed >> 16);
            b[i] = 65535;   // a flat grey half at the top word
            a[kN + i] = b[kN + i] = static_cast<uint16_t>(18000 + i % 500);
        }
        const QString file = m_board->file(QStringLiteral("/tmp/again.raw"));
        m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({a}, true));
        start(file.toLocal8Bit().constData(), 1);
        setTpd(TPD_PROP_EMS, 40);   // replays are delivered as recorded
        QVERIFY(grab() == a);
        const std::vector<uint8_t> seenA = visible();
        m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({b, a}, false));
        QVERIFY(grab() == a);   // frame 2 of the new recording
        QVERIFY(grab() == b);
        QVERIFY(visible() != seenA);
        m_board->remove(QStringLiteral("/tmp/again.raw"));
        QVERIFY(grab() == a);   // gone: the recording read keeps playing
        QVERIFY(grab() == b);
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
        const auto webcam = dev(0x0BDA, 0x1111, "webcam");
        QTest::newRow("alone") << D{dev(0x0BDA, 0x5840, "core")} << "" << 0 << "name=core\ncur_index=0\n" + formats;
        QTest::newRow("older id, second scan")
            << D{dev(0x1234, 0x5840, "other maker"), webcam, dev(0x0BDA, 0x5830, "older core")} << "" << 0
            << other + "name=older core\ncur_index=2\n" + formats;
        QTest::newRow("lower index wins")
            << D{webcam, webcam, webcam, dev(0x0BDA, 0x5840, "first"), dev(0x0BDA, 0x5840, "second")} << "" << 0
            << "name=first\ncur_index=3\n" + formats;
        QTest::newRow("newer id wins") << D{dev(0x0BDA, 0x5830, "older"), dev(0x0BDA, 0x5840, "newer")} << "" << 0
                                       << "name=newer\ncur_index=1\n" + formats;
        QTest::newRow("no module") << D{dev(0x1234, 0x5678, "mouse")} << "" << -1
                                   << other + "can not get this device!\n";
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
    void start(const char *scene, int gain)
    {
        if (scene)
            qputenv("NORVIK7_SCENE", scene);
        QVERIFY(acqtest::openModule());
        setTpd(TPD_PROP_GAIN_SEL, gain);
        setTpd(TPD_PROP_EMS, 128);       // a blackbody: emissivity 1
        setTpd(TPD_PROP_DISTANCE, 32);   // 0.25 m
        setTpd(TPD_PROP_TU, 295);
    }
    std::unique_ptr<TestBoard> m_board;
};

QTEST_MAIN(TestSimModule)
#include "tst_simmodule.moc"
