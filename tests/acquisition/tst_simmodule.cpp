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
#include <numeric>

namespace {

constexpr int kW = 256, kH = 192, kN = kW * kH;

struct Frame {
    std::vector<uint16_t> words = std::vector<uint16_t>(2 * kN);
    const uint16_t *grey() const { return words.data(); }
    const uint16_t *temp() const { return words.data() + kN; }
};

Frame grab()
{
    Frame f;
    ir::uvc_frame_get(f.words.data());
    return f;
}

// Mean and spread inside the blackbody's emitter (sensor x 80..143, y 72..119).
struct Area {
    double mean, sd;
};
Area area(const Frame &f)
{
    double sum = 0, sq = 0;
    const int n = 64 * 48;
    for (int y = 72; y < 120; ++y)
        for (int x = 80; x < 144; ++x) {
            const double c = f.temp()[y * kW + x] / 64.0 - 273.15;
            sum += c;
            sq += c * c;
        }
    const double mean = sum / n;
    return {mean, std::sqrt(std::max(0.0, sq / n - mean * mean))};
}

double meanOver(int frames)
{
    double s = 0;
    for (int i = 0; i < frames; ++i)
        s += area(grab()).mean;
    return s / frames;
}

void setTpd(int prop, int value) { QCOMPARE(ir::set_prop_tpd_params(prop, static_cast<uint16_t>(value)), 0); }

// The current gain's tables as the module reports them.
std::vector<uint16_t> ktTable()
{
    std::vector<uint16_t> t(TPD_KT_BT_LEN);
    return ir::get_tpd_kt_array(t.data()) == 0 ? t : std::vector<uint16_t>{};
}
std::vector<uint16_t> nucTable()
{
    std::vector<uint16_t> t(TPD_NUC_T_LEN);
    return ir::get_tpd_nuc_t_array(t.data()) == 0 ? t : std::vector<uint16_t>{};
}

// What the visible camera shows, computed the plain way, pixel by pixel:
// the scene's colour at each pixel's portrait position (the person at the
// scene time), or for a replay the recorded grey word scaled between the
// frame's extremes; then YUYV with red and blue exchanged.
std::vector<uint8_t> plainVisible(const irsim::SceneChoice &choice, const std::vector<uint16_t> &lastFrame, double t)
{
    constexpr int kVW = irsim::kVisibleWidth, kVH = irsim::kVisibleHeight;
    const irsim::Scene scene(choice);
    const bool replay = choice.kind == irsim::SceneKind::Replay;
    const auto mm = std::minmax_element(lastFrame.begin(), lastFrame.begin() + kN);
    const int lo = *mm.first, hi = std::max<int>(*mm.second, lo + 1);
    auto colourAt = [&](int xs, int ys) -> irsim::Colour {
        const double px = (kVH - 1 - ys + 0.5) * 1.1 - 36.0, py = (xs + 0.5) * 1.1 - 48.0;
        const float fx = static_cast<float>(px), fy = static_cast<float>(py);
        if (replay) {
            const int x = static_cast<int>(fx), y = static_cast<int>(fy);
            if (x < 0 || x >= kH || y < 0 || y >= kW)
                return {40, 40, 40};
            const uint8_t v = static_cast<uint8_t>((lastFrame[(kH - 1 - x) * kW + y] - lo) * 255 / (hi - lo));
            return {v, v, v};
        }
        irsim::Surface s;
        if (scene.foreground(px, py, &s))
            return s.colour;
        if (scene.person(fx, fy, t, &s))
            return s.colour;
        return scene.background(px, py).colour;
    };
    std::vector<uint8_t> out(kVW * kVH * 2);
    for (int i = 0; i < kVW * kVH; i += 2) {
        const irsim::Colour a = colourAt(i % kVW, i / kVW), b = colourAt(i % kVW + 1, i / kVW);
        auto luma = [](const irsim::Colour &c) { return 0.299 * c.b + 0.587 * c.g + 0.114 * c.r; };
        const double ya = luma(a), yb = luma(b);
        const double u = ((a.r - ya) + (b.r - yb)) / 2 / 1.734 + 128;
        const double v = ((a.b - ya) + (b.b - yb)) / 2 / 1.371 + 128;
        auto byte = [](double x) { return static_cast<uint8_t>(std::clamp(std::lround(x), 0L, 255L)); };
        out[2 * i] = byte(ya);
        out[2 * i + 1] = byte(u);
        out[2 * i + 2] = byte(yb);
        out[2 * i + 3] = byte(v);
    }
    return out;
}

std::vector<uint8_t> visible()
{
    std::vector<uint8_t> yuyv(irsim::kVisibleWidth * irsim::kVisibleHeight * 2);
    irsim::renderVisible(yuyv.data());
    return yuyv;
}

// A noise frame or a flat one at the top word, the temperature half a ramp.
std::vector<uint16_t> recordedFrame(bool noise)
{
    std::vector<uint16_t> f(2 * kN);
    uint32_t seed = 12345;
    for (int i = 0; i < kN; ++i) {
        seed = seed * 1103515245u + 12345u;
        f[i] = noise ? static_cast<uint16_t>(seed >> 16) : 65535;
        f[kN + i] = static_cast<uint16_t>(18000 + i % 500);
    }
    return f;
}

}   // namespace

class TestSimModule : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void flatIsExact_data();
    void flatIsExact();
    void blackbodyReadsItsTemperature_data();
    void blackbodyReadsItsTemperature();
    void objectParameters_data();
    void objectParameters();
    void tablesDecide();
    void recalibrationRemovesTheFactoryError();
    void flashKeepsTheTables_data();
    void flashKeepsTheTables();
    void shutterRemovesTheDrift();
    void sceneFileIsFollowed();
    void fileWatchNoticesChanges_data();
    void fileWatchNoticesChanges();
    void propertiesNeedTheCommandChannel();
    void visibleCameraSeesTheSameScene();
    void visiblePictureIsThePlainRendering_data();
    void visiblePictureIsThePlainRendering();
    void rewrittenRecordingIsReadAgain();

private:
    void start(const char *scene, int gain);
    std::unique_ptr<TestBoard> m_board;
};

void TestSimModule::initTestCase() { m_board = std::make_unique<TestBoard>(); }

void TestSimModule::init()
{
    acqtest::resetAll();
    m_board->remove(QStringLiteral("/sim/scene"));
    m_board->remove(QString::fromLatin1(irsim::kFlashBoardPath));   // a core fresh from the factory
}

void TestSimModule::cleanup() { qunsetenv("NORVIK7_SCENE"); }

void TestSimModule::start(const char *scene, int gain)
{
    if (scene)
        qputenv("NORVIK7_SCENE", scene);
    QVERIFY(acqtest::openModule());
    setTpd(TPD_PROP_GAIN_SEL, gain);
    setTpd(TPD_PROP_EMS, 128);       // a blackbody: emissivity 1
    setTpd(TPD_PROP_DISTANCE, 32);   // 0.25 m
    setTpd(TPD_PROP_TU, 295);
}

void TestSimModule::flatIsExact_data()
{
    QTest::addColumn<QString>("scene");
    QTest::addColumn<int>("gain");
    QTest::addColumn<double>("reads");
    QTest::newRow("30 degrees") << "flat:30" << 1 << 30.0;
    QTest::newRow("below zero") << "flat:-5.5" << 1 << -5.5;
    QTest::newRow("200 clips in high gain") << "flat:200" << 1 << 150.0;
    QTest::newRow("200 in low gain") << "flat:200" << 0 << 200.0;
    QTest::newRow("-30 clips in low gain") << "flat:-30" << 0 << 0.0;
}

void TestSimModule::flatIsExact()
{
    QFETCH(QString, scene);
    QFETCH(int, gain);
    QFETCH(double, reads);
    start(scene.toLatin1().constData(), gain);
    setTpd(TPD_PROP_EMS, 61);   // parameters do not matter for a flat scene
    const Frame f = grab();
    const uint16_t word = static_cast<uint16_t>(std::lround((reads + 273.15) * 64));
    for (int i = 0; i < kN; ++i) {
        QCOMPARE(f.temp()[i], word);
        QCOMPARE(f.grey()[i], f.grey()[0]);
    }
    QVERIFY(f.grey()[0] <= 16383);
}

void TestSimModule::blackbodyReadsItsTemperature_data()
{
    QTest::addColumn<int>("gain");
    QTest::addColumn<double>("t");
    QTest::addColumn<double>("noise");   // at most, degrees
    QTest::newRow("high gain -10") << 1 << -10.0 << 0.12;
    QTest::newRow("high gain 100") << 1 << 100.0 << 0.12;
    QTest::newRow("low gain 120") << 0 << 120.0 << 0.6;
    QTest::newRow("low gain 400") << 0 << 400.0 << 0.6;
}

void TestSimModule::blackbodyReadsItsTemperature()
{
    QFETCH(int, gain);
    QFETCH(double, t);
    QFETCH(double, noise);
    start(QByteArray("blackbody:" + QByteArray::number(t)).constData(), gain);
    const Area a = area(grab());
    // Within the factory tables' small error, with a noise of about 50 mK.
    QVERIFY2(std::fabs(a.mean - t) < 1.5, qPrintable(QString::number(a.mean)));
    QVERIFY2(a.sd < noise && a.sd > 0.01, qPrintable(QString::number(a.sd)));
    // The same frame twice is not the same noise: frames differ.
    QVERIFY(area(grab()).mean != a.mean);
}

void TestSimModule::objectParameters_data()
{
    QTest::addColumn<int>("prop");
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("after");
    QTest::addColumn<double>("change");   // sign and least size of the reading's change
    // A lower emissivity means the object must be hotter to send what it sends.
    QTest::newRow("emissivity 1.0 -> 0.9") << int(TPD_PROP_EMS) << 128 << 115 << 5.0;
    // More reflected radiation leaves less for the object.
    QTest::newRow("reflected 20 -> 80 degrees at emissivity 0.9") << int(TPD_PROP_TU) << 293 << 353 << -1.0;
    // More air in between absorbs more of it.
    QTest::newRow("distance 0.25 -> 20 m") << int(TPD_PROP_DISTANCE) << 32 << 2560 << 2.0;
}

void TestSimModule::objectParameters()
{
    QFETCH(int, prop);
    QFETCH(int, before);
    QFETCH(int, after);
    QFETCH(double, change);
    start("blackbody:100", 1);
    if (prop == TPD_PROP_TU)
        setTpd(TPD_PROP_EMS, 115);
    setTpd(prop, before);
    const double a = meanOver(4);
    setTpd(prop, after);
    const double b = meanOver(4);
    QVERIFY2(change > 0 ? b - a > change : b - a < change, qPrintable(QStringLiteral("%1 -> %2").arg(a).arg(b)));
    uint16_t v = 0;
    QCOMPARE(ir::get_prop_tpd_params(prop, &v), 0);
    QCOMPARE(static_cast<int>(v), after);
}

void TestSimModule::tablesDecide()
{
    start("blackbody:100", 1);
    const double before = meanOver(4);
    std::vector<uint16_t> kt = ktTable(), nuc = nucTable();
    for (uint16_t &k : kt)
        k = static_cast<uint16_t>(k * 1.05);
    QCOMPARE(ir::set_tpd_kt_array(kt.data()), 0);
    const double steeper = meanOver(4);
    QVERIFY2(steeper - before > 2.0, qPrintable(QStringLiteral("%1 -> %2").arg(before).arg(steeper)));
    for (uint16_t &n : nuc)
        n = static_cast<uint16_t>(n - 64 * 5);   // every entry 5 K colder
    QCOMPARE(ir::set_tpd_nuc_t_array(nuc.data()), 0);
    QVERIFY(std::fabs(meanOver(4) - (steeper - 5)) < 0.5);
    QCOMPARE(ir::restore_default_cfg(2), 0);
    QVERIFY(std::fabs(meanOver(4) - before) < 0.15);
}

void TestSimModule::recalibrationRemovesTheFactoryError()
{
    m_board->write(QStringLiteral("/sim/scene"), "blackbody:-10");
    start(nullptr, 1);
    const float set[3] = {-10, 20, 100};
    IrcalPoint_t points[3];
    double before[3];
    for (int i = 0; i < 3; ++i) {
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(set[i]));
        grab();
        before[i] = meanOver(8);
        points[i].set_temp = set[i];
        points[i].measured_temp = static_cast<float>(std::round(before[i] * 10) / 10);
        QCOMPARE(ir::cur_vtemp_get(&points[i].vtemp), 0);
        QVERIFY(points[i].vtemp > 8000 && points[i].vtemp < 9200);
    }
    QVERIFY2(std::fabs(before[2] - 100) > 0.5, qPrintable(QString::number(before[2])));

    std::vector<uint16_t> kt = ktTable(), ktNew(TPD_KT_BT_LEN), nuc = nucTable(), nucNew(TPD_NUC_T_LEN);
    std::vector<int16_t> bt(TPD_KT_BT_LEN), btNew(TPD_KT_BT_LEN);
    std::vector<uint8_t> tau(TPD_TAU_MAX_BYTES, 0);
    QCOMPARE(ir::get_tpd_bt_array(bt.data()), 0);
    TpdCalibParam_t calib{};
    QCOMPARE(ir::get_tpd_calib_param(&calib), 0);
    const EnvCorrectParam_t env{0.25f, 0.9375f, 0.5f, 25.0f, 25.0f};
    uint16_t vt = 0;
    ir::cur_vtemp_get(&vt);
    QCOMPARE(ir::new_ktbt_recal_double_point_calculate(&points[0], &points[2], &env, &calib, tau.data(), vt, nuc.data(),
                                                       kt.data(), bt.data(), ktNew.data(), btNew.data(), TPD_KT_BT_LEN),
             0);
    uint16_t setting[3], output[3];
    for (int i = 0; i < 3; ++i)
        QCOMPARE(ir::multi_point_calc_user_defined_nuc(&points[i], &env, &calib, tau.data(), vt, nuc.data(),
                                                       TPD_NUC_T_LEN, &setting[i], &output[i]),
                 0);
    QCOMPARE(ir::multi_point_calc_new_nuc_table(nuc.data(), setting, output, 3, nucNew.data(), TPD_NUC_T_LEN), 0);
    QCOMPARE(ir::set_tpd_kt_array(ktNew.data()), 0);
    QCOMPARE(ir::set_tpd_bt_array(btNew.data()), 0);
    QCOMPARE(ir::set_tpd_nuc_t_array(nucNew.data()), 0);

    for (int i = 0; i < 3; ++i) {
        m_board->write(QStringLiteral("/sim/scene"), "blackbody:" + QByteArray::number(set[i]));
        grab();
        const double after = meanOver(8);
        QVERIFY2(std::fabs(after - set[i]) < 0.25,
                 qPrintable(QStringLiteral("%1: %2 before, %3 after").arg(set[i]).arg(before[i]).arg(after)));
    }

    // Points that were never recorded (all 500.0) leave the tables as they are.
    IrcalPoint_t unset{500.0f, vt, 500.0f};
    QVERIFY(ir::new_ktbt_recal_double_point_calculate(&unset, &unset, &env, &calib, tau.data(), vt, nuc.data(),
                                                      ktNew.data(), btNew.data(), kt.data(), bt.data(),
                                                      TPD_KT_BT_LEN) < 0);
    QVERIFY(kt == ktNew && bt == btNew);
}

void TestSimModule::flashKeepsTheTables_data()
{
    QTest::addColumn<int>("restoreIn");       // gain whose defaults are restored, -1 none
    QTest::addColumn<QByteArray>("damage");   // what becomes of the flash file before power-up
    QTest::addColumn<bool>("highKept");
    QTest::addColumn<bool>("lowKept");
    QTest::newRow("both ranges survive a power cycle") << -1 << QByteArray() << true << true;
    QTest::newRow("restoring the high range keeps the low one") << 1 << QByteArray() << false << true;
    QTest::newRow("restoring the low range keeps the high one") << 0 << QByteArray() << true << false;
    QTest::newRow("a cut flash gives the factory tables") << -1 << QByteArray("cut") << false << false;
    QTest::newRow("a foreign flash gives the factory tables") << -1 << QByteArray("foreign") << false << false;
}

void TestSimModule::flashKeepsTheTables()
{
    QFETCH(int, restoreIn);
    QFETCH(QByteArray, damage);
    QFETCH(bool, highKept);
    QFETCH(bool, lowKept);
    start("blackbody:50", 1);
    // Each range gets tables of its own: kt 3 % steeper, nuc-t 2 K colder in
    // high gain, 4 K in low gain.
    std::vector<uint16_t> factoryKt[2], factoryNuc[2];
    for (int gain : {1, 0}) {
        setTpd(TPD_PROP_GAIN_SEL, gain);
        std::vector<uint16_t> kt = factoryKt[gain] = ktTable(), nuc = factoryNuc[gain] = nucTable();
        for (uint16_t &k : kt)
            k = static_cast<uint16_t>(k * 1.03);
        for (uint16_t &n : nuc)
            n = static_cast<uint16_t>(n - 64 * (gain ? 2 : 4));
        QCOMPARE(ir::set_tpd_kt_array(kt.data()), 0);
        QCOMPARE(ir::set_tpd_nuc_t_array(nuc.data()), 0);
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

    // Power off and on: the core starts from its flash.
    irsim::reset();
    QVERIFY(acqtest::openModule());
    for (int gain : {1, 0}) {
        setTpd(TPD_PROP_GAIN_SEL, gain);
        const std::vector<uint16_t> nuc = nucTable();
        const bool kept = gain ? highKept : lowKept;
        QCOMPARE(ktTable() != factoryKt[gain], kept);
        QCOMPARE(nuc != factoryNuc[gain], kept);
        if (kept)
            QCOMPARE(static_cast<int>(factoryNuc[gain][4000] - nuc[4000]), 64 * (gain ? 2 : 4));
    }
}

void TestSimModule::shutterRemovesTheDrift()
{
    start("blackbody:30", 1);
    QCOMPARE(ir::set_prop_auto_shutter_params(0, 0), 0);
    const double fresh = meanOver(4);
    for (int i = 0; i < 3000; ++i)   // two minutes of the scene's time
        grab();
    const double drifted = meanOver(4);
    QVERIFY2(std::fabs(drifted - fresh) > 0.3, qPrintable(QStringLiteral("%1 -> %2").arg(fresh).arg(drifted)));
    QCOMPARE(ir::ooc_b_update(0), 0);
    const double corrected = meanOver(4);
    QVERIFY2(std::fabs(corrected - fresh) < 0.15, qPrintable(QStringLiteral("%1 -> %2").arg(fresh).arg(corrected)));
}

void TestSimModule::sceneFileIsFollowed()
{
    // The infrared and the visible picture both follow the file; scenes
    // without anybody in them look the same at any time.
    const std::vector<uint16_t> none(2 * kN, 0);
    m_board->write(QStringLiteral("/sim/scene"), "blackbody:30\n");
    start(nullptr, 1);
    QVERIFY(std::fabs(meanOver(2) - 30) < 1.5);
    m_board->write(QStringLiteral("/sim/scene"), "blackbody:60\n");
    QVERIFY(std::fabs(meanOver(2) - 60) < 1.5);
    QVERIFY(visible() == plainVisible(irsim::SceneChoice::parse("blackbody:60"), none, 0));
    m_board->write(QStringLiteral("/sim/scene"), "no such scene\n");
    QVERIFY(std::fabs(meanOver(2) - 60) < 1.5);   // an unknown text keeps the scene
    m_board->write(QStringLiteral("/sim/scene"), "office\n");
    grab();
    QVERIFY(visible() == plainVisible(irsim::SceneChoice::parse("office"), none, irsim::sceneSeconds()));
    m_board->write(QStringLiteral("/sim/scene"), "flat:12.5\n");
    QCOMPARE(grab().temp()[0], static_cast<uint16_t>(std::lround((12.5 + 273.15) * 64)));
    QVERIFY(visible() == plainVisible(irsim::SceneChoice::parse("flat:12.5"), none, 0));
}

// A watched file's changes are all noticed, whatever way it is changed;
// other files of its folder are not its changes; without a folder every
// question is answered yes.
void TestSimModule::fileWatchNoticesChanges_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<bool>("noticed");
    QTest::newRow("nothing") << "nothing" << false;
    QTest::newRow("written in place") << "write" << true;
    QTest::newRow("replaced by a rename") << "rename" << true;
    QTest::newRow("removed") << "remove" << true;
    QTest::newRow("touched") << "touch" << true;
    QTest::newRow("another file of the folder") << "other" << false;
    QTest::newRow("the folder removed") << "folder" << true;
}

void TestSimModule::fileWatchNoticesChanges()
{
    QFETCH(QString, change);
    QFETCH(bool, noticed);
    QTemporaryDir dir;
    const QString folder = dir.path() + "/sim", path = folder + "/scene";
    QVERIFY(QDir().mkpath(folder));
    auto put = [](const QString &p, const QByteArray &bytes) {
        QFile f(p);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    };
    QVERIFY(put(path, "office\n"));
    irsim::FileWatch watch(path.toStdString());
    QVERIFY(watch.mayHaveChanged());    // the first question
    QVERIFY(!watch.mayHaveChanged());   // nothing since
    if (change == "write")
        QVERIFY(put(path, "flat:20\n"));
    else if (change == "rename")
        QVERIFY(put(path + ".new", "flat:20\n") &&
                std::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()) == 0);
    else if (change == "remove")
        QVERIFY(QFile::remove(path));
    else if (change == "touch") {
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadWrite) &&
                f.setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime));
    } else if (change == "other")
        QVERIFY(put(folder + "/visible_camera", "off\n"));
    else if (change == "folder")
        QVERIFY(QDir(folder).removeRecursively());
    QCOMPARE(watch.mayHaveChanged(), noticed);
    // A change is told once; with the folder gone every question is yes.
    QCOMPARE(watch.mayHaveChanged(), change == "folder");
    irsim::FileWatch nowhere((dir.path() + "/missing/scene").toStdString());
    QVERIFY(nowhere.mayHaveChanged() && nowhere.mayHaveChanged());
}

void TestSimModule::propertiesNeedTheCommandChannel()
{
    CameraParam_t p{};
    QCOMPARE(ir_camera_openm(&p), 0);
    uint16_t v = 0;
    QVERIFY(ir::set_prop_tpd_params(TPD_PROP_EMS, 120) < 0);
    QVERIFY(ir::get_prop_image_params(IMAGE_PROP_LEVEL_DDE, &v) < 0);
    QVERIFY(ir::ooc_b_update(0) < 0);
    ir::vdcmd_init();
    QCOMPARE(ir::set_prop_tpd_params(TPD_PROP_EMS, 120), 0);
    QVERIFY(ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, 2) < 0);
}

void TestSimModule::visibleCameraSeesTheSameScene()
{
    // Turned, exchanged and enlarged the way the loop does it, the visible
    // picture's crop at (36, 48) lines up with the infrared view: the
    // blackbody's dark emitter inside its light housing, the wall around.
    start("blackbody:40", 1);
    grab();
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
    const QColor wall = at(20, 30);
    QVERIFY2(wall.red() > wall.blue() + 15, qPrintable(wall.name()));   // beige, not blue: red and blue in place
    QVERIFY(at(-30, 112).value() > 150);   // the visible camera sees beyond the infrared view
}

void TestSimModule::visiblePictureIsThePlainRendering_data()
{
    QTest::addColumn<QString>("scene");
    QTest::addColumn<int>("frames");
    QTest::newRow("office, before the first frame") << "office" << 0;
    QTest::newRow("office, the person walking in") << "office" << 37;
}

void TestSimModule::visiblePictureIsThePlainRendering()
{
    QFETCH(QString, scene);
    QFETCH(int, frames);
    start(scene.toLatin1().constData(), 1);
    std::vector<uint16_t> last(2 * kN, 0);
    for (int i = 0; i < frames; ++i)
        last = grab().words;
    const std::vector<uint8_t> expected =
        plainVisible(irsim::SceneChoice::parse(scene.toStdString()), last, irsim::sceneSeconds());
    QVERIFY(visible() == expected);
}

void TestSimModule::rewrittenRecordingIsReadAgain()
{
    // Replays are exact, with or without the header, looped, and read again
    // when rewritten; the visible picture follows each replayed frame, a flat
    // one at the top word included.
    const std::vector<uint16_t> a = recordedFrame(true), b = recordedFrame(false);
    const QString file = m_board->file(QStringLiteral("/tmp/again.raw"));
    const irsim::SceneChoice choice = irsim::SceneChoice::parse(file.toStdString());
    m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({a}, true));
    start(file.toLocal8Bit().constData(), 1);
    setTpd(TPD_PROP_EMS, 40);   // replays are delivered as recorded
    QVERIFY(grab().words == a);
    QVERIFY(visible() == plainVisible(choice, a, 0));
    m_board->write(QStringLiteral("/tmp/again.raw"), acqtest::recording({b, a}, false));
    QVERIFY(visible() == plainVisible(choice, a, 0));   // the frame delivered last, until the next one
    QVERIFY(grab().words == a);                         // frame 2 of the new recording
    QVERIFY(grab().words == b);
    QVERIFY(visible() == plainVisible(choice, b, 0));
    m_board->remove(QStringLiteral("/tmp/again.raw"));
    QCOMPARE(ir::ooc_b_update(0), 0);
    QVERIFY(grab().words == a);   // gone: the recording read keeps playing
    QVERIFY(grab().words == b);
    QVERIFY(visible() == plainVisible(choice, b, 0));
}

QTEST_MAIN(TestSimModule)
#include "tst_simmodule.moc"
