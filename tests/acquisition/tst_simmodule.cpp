// The simulated infrared module behaves like a radiometric core: readings,
// gain ranges, parameters, tables kept in flash, shutter drift, replays and
// the visible camera's picture.
#include "common/acqtestsupport.h"

#include "acquisition/irmodule.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/sdk/simscene.h"
#include "acquisition/yuv.h"
#include "common/testboard.h"

#include <QtTest>

#include <cmath>
#include <cstdio>

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

// What the visible camera shows, computed the plain way, pixel by pixel:
// the scene's colour at each pixel's portrait position (the person at the
// scene time), or for a replay the recorded grey word scaled between the
// frame's extremes; then YUYV with red and blue exchanged.
std::vector<uint8_t> plainVisible(const std::string &text, const Words &lastFrame = Words(kN), double t = 0)
{
    constexpr int kVW = irsim::kVisibleWidth, kVH = irsim::kVisibleHeight;
    const irsim::SceneChoice choice = irsim::SceneChoice::parse(text);
    const irsim::Scene scene(choice);
    const auto mm = std::minmax_element(lastFrame.begin(), lastFrame.begin() + kN);
    const int lo = *mm.first, hi = std::max<int>(*mm.second, lo + 1);
    auto colourAt = [&](int xs, int ys) -> irsim::Colour {
        const double px = (kVH - 1 - ys + 0.5) * 1.1 - 36.0, py = (xs + 0.5) * 1.1 - 48.0;
        const float fx = static_cast<float>(px), fy = static_cast<float>(py);
        irsim::Surface s;
        if (choice.kind == irsim::SceneKind::Replay) {
            const int x = static_cast<int>(fx), y = static_cast<int>(fy);
            if (x < 0 || x >= kH || y < 0 || y >= kW)
                return {40, 40, 40};
            const uint8_t v = static_cast<uint8_t>((lastFrame[(kH - 1 - x) * kW + y] - lo) * 255 / (hi - lo));
            return {v, v, v};
        }
        if (scene.foreground(px, py, &s) || scene.person(fx, fy, t, &s))
            return s.colour;
        return scene.background(px, py).colour;
    };
    std::vector<uint8_t> out(kVW * kVH * 2);
    auto luma = [](const irsim::Colour &c) { return 0.299 * c.b + 0.587 * c.g + 0.114 * c.r; };
    auto byte = [](double x) { return static_cast<uint8_t>(std::clamp(std::lround(x), 0L, 255L)); };
    for (int i = 0; i < kVW * kVH; i += 2) {
        const irsim::Colour a = colourAt(i % kVW, i / kVW), b = colourAt(i % kVW + 1, i / kVW);
        const double ya = luma(a), yb = luma(b);
        out[2 * i] = byte(ya);
        out[2 * i + 1] = byte(((a.r - ya) + (b.r - yb)) / 2 / 1.734 + 128);
        out[2 * i + 2] = byte(yb);
        out[2 * i + 3] = byte(((a.b - ya) + (b.b - yb)) / 2 / 1.371 + 128);
    }
    return out;
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
        QTest::addColumn<int>("restoreIn");        // gain whose defaults are restored, -1 none
        QTest::addColumn<QByteArray>("damage");    // what becomes of the flash file before power-up
        QTest::addColumn<QVector<bool>>("kept");   // low gain's, high gain's
        QTest::newRow("both ranges survive a power cycle") << -1 << QByteArray() << QVector<bool>{true, true};
        QTest::newRow("restoring the high range keeps the low one") << 1 << QByteArray() << QVector<bool>{true, false};
        QTest::newRow("restoring the low range keeps the high one") << 0 << QByteArray() << QVector<bool>{false, true};
        QTest::newRow("a cut flash gives the factory tables") << -1 << QByteArray("cut") << QVector<bool>{false, false};
        QTest::newRow("a foreign flash too") << -1 << QByteArray("foreign") << QVector<bool>{false, false};
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
            const double before = area(4).mean;
            Words kt = factoryKt[gain] = ktTable(), nuc = factoryNuc[gain] = nucTable();
            for (uint16_t &k : kt)
                k = static_cast<uint16_t>(k * 1.03);
            for (uint16_t &n : nuc)
                n = static_cast<uint16_t>(n - 64 * (gain ? 2 : 4));
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

    void propertiesNeedTheCommandChannel()
    {
        CameraParam_t p{};
        QCOMPARE(ir_camera_openm(&p), 0);
        QVERIFY(ir::ooc_b_update(0) < 0 && ir::set_prop_tpd_params(TPD_PROP_EMS, 120) < 0);
        ir::vdcmd_init();
        QCOMPARE(ir::set_prop_tpd_params(TPD_PROP_EMS, 120), 0);
        QVERIFY(ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, 2) < 0);
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
        // The infrared and the visible picture both follow the file, however
        // it is changed; the person walks in the office as the scene time goes.
        const QString scene = m_board->file(QStringLiteral("/sim/scene"));
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:30\n");
        start(nullptr, 1);
        QVERIFY(std::fabs(area(2).mean - 30) < 1.5);
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:60\n");
        QVERIFY(std::fabs(area(2).mean - 60) < 1.5);
        QVERIFY(visible() == plainVisible("blackbody:60"));
        m_board->write(QStringLiteral("/sim/scene"), "no such scene\n");
        QVERIFY(std::fabs(area(2).mean - 60) < 1.5);   // an unknown text keeps the scene
        m_board->write(QStringLiteral("/sim/scene.new"), "office\n");
        QVERIFY(std::rename(QFile::encodeName(scene + ".new").constData(), QFile::encodeName(scene).constData()) == 0);
        for (int i = 0; i < 37; ++i)
            grab();
        QVERIFY(visible() == plainVisible("office", Words(kN), irsim::sceneSeconds()));
        m_board->write(QStringLiteral("/sim/unrelated"), "x\n");   // another file of the folder
        QVERIFY(visible() == plainVisible("office", Words(kN), irsim::sceneSeconds()));
        m_board->write(QStringLiteral("/sim/scene"), "flat:12.5\n");
        QCOMPARE(grab()[kN], static_cast<uint16_t>(std::lround((12.5 + 273.15) * 64)));
        QVERIFY(visible() == plainVisible("flat:12.5"));
    }

    void rewrittenRecordingIsReadAgain()
    {
        // Replays are exact, with or without the header, looped, and read again
        // when rewritten; the visible picture follows each replayed frame, a flat
        // one at the top word included.
        Words a(2 * kN), b(2 * kN);
        uint32_t seed = 12345;
        for (int i = 0; i < kN; ++i) {
            seed = seed * 1103515245u + 12345u;
            a[i] = static_cast<uint16_t>(seed >> 16);
            b[i] = 65535;
            a[kN + i] = b[kN + i] = static_cast<uint16_t>(18000 + i % 500);
        }
        const QString file = m_board->file(QStringLiteral("/tmp/again.raw"));
        const std::string text = file.toStdString();
        m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({a}, true));
        start(file.toLocal8Bit().constData(), 1);
        setTpd(TPD_PROP_EMS, 40);   // replays are delivered as recorded
        QVERIFY(grab() == a);
        QVERIFY(visible() == plainVisible(text, a));
        m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({b, a}, false));
        QVERIFY(visible() == plainVisible(text, a));   // the frame delivered last, until the next one
        QVERIFY(grab() == a);                          // frame 2 of the new recording
        QVERIFY(grab() == b);
        QVERIFY(visible() == plainVisible(text, b));
        m_board->remove(QStringLiteral("/tmp/again.raw"));
        QCOMPARE(ir::ooc_b_update(0), 0);
        QVERIFY(grab() == a);   // gone: the recording read keeps playing
        QVERIFY(grab() == b);
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
