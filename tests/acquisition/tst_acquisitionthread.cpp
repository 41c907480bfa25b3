// The acquisition thread on the simulated module: start-up, the frame
// counter and signal order, pacing, a failing visible sensor, replayed
// recordings, whole-frame publication and calibration requests.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"
#include "referencesteps.h"

#include <QtTest>

namespace {

struct Event {
    char kind;   // 'm' extremes, 'z' zone, 'i' picture
    int counter;
    int a = 0, b = 0, c = 0, d = 0;
};

// Collects the thread's signals on the GUI thread.
class Receiver : public QObject {
public:
    explicit Receiver(ThermalCameraThread *t)
    {
        connect(
            t, &ThermalCameraThread::updateMaxMinValuePost, this,
            [this](int a, int b, int c, int d, int n) {
                events.push_back({'m', n, a, b, c, d});
            },
            Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::updateZoneMaxMinValuePost, this,
            [this](int a, int b, int c, int d, int n) {
                events.push_back({'z', n, a, b, c, d});
            },
            Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::updateThermalVLCImage, this,
            [this](QImage thermal, QImage visible, unsigned short centre, unsigned short max, unsigned short min,
                   unsigned short zoneMax, int n) {
                events.push_back({'i', n, centre, max, min, zoneMax});
                lastThermal = thermal;
                lastVisible = visible;
                ++pictures;
            },
            Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::SignalCalibrationFinish, this, [this] { ++calibrations; }, Qt::QueuedConnection);
    }
    std::vector<Event> events;
    QImage lastThermal, lastVisible;
    int pictures = 0;
    int calibrations = 0;
};

constexpr int kN = 256 * 192;

}   // namespace

class TestAcquisitionThread : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void startUp_data();
    void startUp();
    void counterAndSignalOrder();
    void pacing_data();
    void pacing();
    void visibleSensorFailure_data();
    void visibleSensorFailure();
    void visiblePictureFromTheSensorsBuffer();
    void replayedRecording();
    void readersSeeWholeFrames();
    void heldPicturesKeepTheirPixels();
    void missingModuleEndsTheThread();
    void calibrationIsReported();

private:
    // The module replays these frames.
    void play(const std::vector<std::vector<uint16_t>> &frames, bool header = false)
    {
        m_board->write(QStringLiteral("/tmp/recording.raw"), acqtest::recording(frames, header));
        qputenv("NORVIK7_SCENE", m_board->file(QStringLiteral("/tmp/recording.raw")).toLocal8Bit());
    }
    std::unique_ptr<TestBoard> m_board;
};

void TestAcquisitionThread::init()
{
    m_board = std::make_unique<TestBoard>();
    acqtest::resetAll(0);
    acqtest::recordPauses(1);
}

void TestAcquisitionThread::cleanup()
{
    qunsetenv("NORVIK7_SCENE");
    acq::setPause(nullptr);
    m_board.reset();
}

void TestAcquisitionThread::startUp_data()
{
    QTest::addColumn<int>("stored");
    QTest::newRow("stored high gain") << 1;
    QTest::newRow("stored low gain") << 0;
}

void TestAcquisitionThread::startUp()
{
    QFETCH(int, stored);
    const QStringList calls{"vdcmd_set_polling_wait_time(10000)",
                            "vdcmd_init()",
                            "get_prop_image_params(0)",
                            "get_prop_image_params(1)",
                            "get_prop_image_params(2)",
                            QStringLiteral("set_prop_tpd_params(5,%1)").arg(stored),
                            "get_prop_tpd_params(5)",
                            QStringLiteral("set_prop_image_params(2,%1)").arg(stored ? 2 : 0),
                            "spi_config_save(12)",
                            "pause 500",
                            "get_prop_image_params(2)",
                            "set_prop_tpd_params(3,120)",
                            "get_prop_tpd_params(3)"};
    acqState.temperature_scale.store(static_cast<uint8_t>(stored));
    acqState.pendingModuleCommand.store(kShutterCorrection);   // cleared by the start
    acq::LogCapture log;
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QTRY_VERIFY(r.pictures >= 1);
    QStringList made;
    for (const std::string &c : irsim::calls())
        made << QString::fromStdString(c);
    QCOMPARE(made.mid(0, calls.size()), calls);
    QVERIFY(!made.contains("ooc_b_update(0)"));
    QCOMPARE(static_cast<int>(acqState.currentGain.load()), stored);
    QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()), stored ? 2 : 0);
    const QString text = QString::fromStdString(log.text());
    QVERIFY(text.contains(stored ? "set_prop_tpd_params to high\n" : "set_prop_tpd_params to low\n"));
    QVERIFY(text.contains("IMAGE_PROP_LEVEL_DDE 1\nIMAGE_PROP_LEVEL_TNR 2\nIMAGE_PROP_LEVEL_SNR 1\n"));
    QVERIFY(text.contains("TPD_PROP_EMS = 120\n"));
}

void TestAcquisitionThread::counterAndSignalOrder()
{
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QTRY_VERIFY_WITH_TIMEOUT(r.pictures >= 105, 20000);
    t.requestInterruption();
    t.wait();
    QCoreApplication::processEvents();
    QVERIFY(r.events.size() >= 3 * 105);
    for (size_t f = 0; f < 105; ++f) {
        const int expected = f < 100 ? static_cast<int>(f) + 1 : static_cast<int>(f) - 99;
        for (int k = 0; k < 3; ++k) {
            QCOMPARE(r.events[3 * f + k].kind, "mzi"[k]);
            QCOMPARE(r.events[3 * f + k].counter, expected);
        }
    }
    QCOMPARE(r.lastThermal.size(), QSize(192, 256));
    QCOMPARE(r.lastThermal.format(), QImage::Format_RGB888);
}

void TestAcquisitionThread::pacing_data()
{
    QTest::addColumn<int>("imageMode");
    QTest::addColumn<int>("calibrationMenu");
    QTest::addColumn<int>("uvc");
    QTest::addColumn<int>("ms");
    QTest::newRow("thermal") << 0 << 0 << 0 << 20;
    QTest::newRow("thermal with the calibration menu") << 0 << 1 << 0 << 40;
    QTest::newRow("visible with a USB video client") << 1 << 0 << 1 << 40;
}

void TestAcquisitionThread::pacing()
{
    QFETCH(int, imageMode);
    QFETCH(int, calibrationMenu);
    QFETCH(int, uvc);
    QFETCH(int, ms);
    acqState.image_mode.store(imageMode);
    ThermalCameraThread t;
    t.getCalTempSubMenuMode(calibrationMenu);
    t.getUVCStart(uvc);
    Receiver r(&t);
    t.start();
    QTRY_VERIFY(r.pictures >= 6);
    t.requestInterruption();
    t.wait();
    std::vector<int> p = acqtest::pauses();
    QCOMPARE(p.front(), 500);   // the start's DDE wait
    p.erase(p.begin());
    QVERIFY(p.size() >= 6);
    for (int v : p)
        QCOMPARE(v, ms);
}

void TestAcquisitionThread::visibleSensorFailure_data()
{
    QTest::addColumn<int>("imageMode");
    QTest::addColumn<bool>("failsLater");
    QTest::newRow("missing from the start, thermal") << 0 << false;
    QTest::newRow("missing from the start, visible") << 1 << false;
    QTest::newRow("fails while running, visible") << 1 << true;
    QTest::newRow("fails while running, thermal") << 0 << true;
}

void TestAcquisitionThread::visibleSensorFailure()
{
    QFETCH(int, imageMode);
    QFETCH(bool, failsLater);
    acqState.image_mode.store(imageMode);
    if (!failsLater)
        m_board->write(QStringLiteral("/sim/visible_camera"), "off\n");
    acq::LogCapture log;
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    qint64 lastKey = 0;
    if (failsLater) {
        QTRY_VERIFY(!r.lastVisible.isNull());
        m_board->write(QStringLiteral("/sim/visible_camera"), "off\n");
        const int now = r.pictures;
        QTRY_VERIFY(r.pictures > now + 6);   // past the grab that failed
        lastKey = r.lastVisible.cacheKey();
    }
    const int now = r.pictures;
    // Infrared frames keep coming, frame counters on multiples of 5 included.
    QTRY_VERIFY_WITH_TIMEOUT(r.pictures >= now + 30, 20000);
    const QString text = QString::fromStdString(log.text());
    if (failsLater) {
        QVERIFY(!r.lastVisible.isNull());   // the last grabbed picture goes on
        QCOMPARE(r.lastVisible.cacheKey(), lastKey);
    } else {
        QVERIFY(r.lastVisible.isNull());
        QVERIFY(text.contains("Open /dev/video_gc0308 failed\n"));
    }
    QCOMPARE(text.count("GC0308 camera: VIDIOC_DQBUF failed"), 1);
    int fives = 0;
    for (const Event &e : r.events)
        fives += e.kind == 'i' && e.counter % 5 == 0;
    QVERIFY(fives >= 5);
}

void TestAcquisitionThread::visiblePictureFromTheSensorsBuffer()
{
    // The loop reads the sensor's buffer where it is: its picture is the
    // buffer converted whole and then turned and enlarged.
    std::vector<uint16_t> frame(2 * kN);
    for (int i = 0; i < kN; ++i) {
        frame[i] = static_cast<uint16_t>(2000 + (i % 256) * 40 + (i / 256) * 7);   // grey: the camera's luma
        frame[kN + i] = 4 * 5000;
    }
    play({frame}, true);
    acqState.image_mode.store(1);   // a visible picture with every frame
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QTRY_VERIFY(r.pictures >= 3 && !r.lastVisible.isNull());
    t.requestInterruption();
    t.wait();
    std::vector<uint8_t> yuyv(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3),
        expected(yuv::kOutWidth * yuv::kOutHeight * 3);
    irsim::renderVisible(yuyv.data());   // the one frame of the recording, as the sensor showed it
    reference::toRgb(yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
    reference::Enlarger().run(rgb.data(), expected.data(), yuv::kOutWidth * 3);
    QCOMPARE(r.lastVisible.size(), QSize(yuv::kOutWidth, yuv::kOutHeight));
    for (int y = 0; y < yuv::kOutHeight; ++y)
        QVERIFY2(std::memcmp(r.lastVisible.constScanLine(y), &expected[y * yuv::kOutWidth * 3], yuv::kOutWidth * 3) ==
                     0,
                 qPrintable(QStringLiteral("row %1").arg(y)));
}

void TestAcquisitionThread::replayedRecording()
{
    // The temperature half in the module's landscape order: source (x, y)
    // lands on row x, column 191 - y of the portrait matrix.
    std::vector<uint16_t> frame(2 * kN, 3000);
    uint16_t *temp = frame.data() + kN;
    std::fill(temp, temp + kN, 4 * 5000 + 1);
    auto put = [temp](int x, int y, int word) { temp[y * 256 + x] = static_cast<uint16_t>(word); };
    put(200, 30, 4 * 9000 + 3);   // hottest
    put(10, 150, 4 * 1000);       // coldest
    put(128, 95, 4 * 6000 + 2);   // the centre sample
    put(100, 121, 4 * 7000);      // hottest of the zone (row 100, column 70)
    play({frame}, true);
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QTRY_VERIFY(r.pictures >= 3);
    t.requestInterruption();
    t.wait();
    const Event &m = r.events[3], &z = r.events[4], &i = r.events[5];
    // Centre, maximum, minimum and zone maximum; the extremes' places.
    QCOMPARE(QVector<int>({i.a, i.b, i.c, i.d}), QVector<int>({6000, 9000, 1000, 7000}));
    QCOMPARE(QVector<int>({m.a, m.b, m.c, m.d, z.a, z.b}), QVector<int>({200, 161, 10, 41, 100, 70}));
    QCOMPARE(thermalRaw.at(128, 96), static_cast<uint16_t>(6000));
    QCOMPARE(thermalRaw.at(200, 161), static_cast<uint16_t>(9000));
    // The frame's corners are samples; past them there is nothing.
    QCOMPARE(QVector<int>({thermalRaw.at(0, 0), thermalRaw.at(255, 191), thermalRaw.at(256, 0), thermalRaw.at(0, 192)}),
             QVector<int>({5000, 5000, 0, 0}));
    // Snapshots are taken only of the frame whose centre is on the screen.
    std::vector<uint16_t> thermal(kLiveSamples, 1);
    std::vector<uint8_t> gray(kLiveSamples, 1);
    QVERIFY(!copyLiveFrameWithCentre(6001, thermal.data(), gray.data()));
    QCOMPARE(thermal[200 * kLiveCols + 161], static_cast<uint16_t>(1));
    QVERIFY(copyLiveFrameWithCentre(6000, thermal.data(), gray.data()));
    QCOMPARE(thermal[200 * kLiveCols + 161], static_cast<uint16_t>(9000));
}

void TestAcquisitionThread::readersSeeWholeFrames()
{
    // Frames alternate between two flat temperatures; every reading is one
    // of them whole.
    std::vector<uint16_t> a(2 * kN, 4 * 4000), b(2 * kN, 4 * 8000);
    play({a, b});
    acqtest::recordPauses(0);
    ThermalCameraThread t;
    t.start();
    std::vector<uint16_t> thermal(kLiveSamples);
    std::vector<uint8_t> gray(kLiveSamples);
    int seen[2] = {0, 0};
    QElapsedTimer timer;
    timer.start();
    while ((seen[0] < 50 || seen[1] < 50) && timer.elapsed() < 10000) {
        copyLiveFrame(thermal.data(), gray.data());
        if (thermal[0] == 0)
            continue;   // before the first frame
        for (int i = 1; i < kLiveSamples; ++i)
            if (thermal[i] != thermal[0])
                QFAIL(
                    qPrintable(QStringLiteral("mixed frame at %1: %2 and %3").arg(i).arg(thermal[0]).arg(thermal[i])));
        QVERIFY(thermal[0] == 4000 || thermal[0] == 8000);
        ++seen[thermal[0] == 8000];
        thermalRaw.copyTo(thermal.data());
        QCOMPARE(thermal[kLiveSamples - 1], thermal[0]);
    }
    t.requestInterruption();
    t.wait();
    QVERIFY(seen[0] >= 50 && seen[1] >= 50);
}

void TestAcquisitionThread::heldPicturesKeepTheirPixels()
{
    // The pictures sent go round a few buffers: one the GUI thread still
    // holds, for as long as it holds it, never changes, even after the
    // thread has ended. Frames alternate between two grey ramps.
    std::vector<uint16_t> a(2 * kN), b(2 * kN);
    for (int i = 0; i < kN; ++i) {
        a[i] = static_cast<uint16_t>(2000 + i % 256 * 8);
        b[i] = static_cast<uint16_t>(6000 - i / 256 * 10);
        a[kN + i] = b[kN + i] = 4 * 5000;
    }
    play({a, b});
    acqState.image_mode.store(1);   // a visible picture with every frame
    ThermalCameraThread t;
    std::vector<std::pair<QImage, QImage>> held, copies;
    bool holding = true;
    connect(
        &t, &ThermalCameraThread::updateThermalVLCImage, this,
        [&](QImage thermal, QImage visible) {
            if (!holding)
                return;
            held.emplace_back(thermal, visible);
            copies.emplace_back(thermal.copy(), visible.copy());
        },
        Qt::QueuedConnection);
    t.start();
    auto check = [&] {
        for (size_t i = 0; i < held.size(); ++i) {
            QVERIFY2(held[i].first == copies[i].first, qPrintable(QStringLiteral("thermal picture %1").arg(i)));
            QVERIFY2(held[i].second == copies[i].second, qPrintable(QStringLiteral("visible picture %1").arg(i)));
        }
    };
    for (int round = 0; round < 3; ++round) {   // more pictures held than the buffers, then none
        QTRY_VERIFY(held.size() >= 10);
        check();
        held.clear();
        copies.clear();
    }
    QTRY_VERIFY(held.size() >= 2);
    holding = false;
    t.requestInterruption();
    t.wait();
    QCoreApplication::processEvents();
    check();
    QVERIFY(held[0].first != held[1].first);   // the two ramps
}

void TestAcquisitionThread::missingModuleEndsTheThread()
{
    m_board->write(QStringLiteral("/sim/ir_module"), "absent\n");
    acq::LogCapture log;
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QVERIFY(t.wait(5000));
    QCoreApplication::processEvents();
    QCOMPARE(r.pictures, 0);
    QVERIFY(QString::fromStdString(log.text()).endsWith("can not get this device!\nir camera open failed!\n"));
}

void TestAcquisitionThread::calibrationIsReported()
{
    acq::setTableCommandHandler([](int code) { irsim::note("table command " + std::to_string(code)); });
    ThermalCameraThread t;
    Receiver r(&t);
    t.start();
    QTRY_VERIFY(r.pictures >= 2);
    irsim::clearCalls();
    t.calHighTempPoint();   // high gain from the start
    QCOMPARE(static_cast<int>(t.calibrationMode.load()), 4);
    QTRY_COMPARE(r.calibrations, 1);
    QCOMPARE(static_cast<int>(t.calibrationMode.load()), 0xFF);
    t.newRecal();
    QTRY_COMPARE(r.calibrations, 2);
    const int now = r.pictures;
    QTRY_VERIFY(r.pictures > now + 2);
    QCOMPARE(r.calibrations, 2);
    const auto calls = acqtest::callsWithout({"pause"});
    QCOMPARE(std::count(calls.begin(), calls.end(), std::string("ooc_b_update(0)")), 4L);
    QCOMPARE(std::count(calls.begin(), calls.end(), std::string("table command 31")), 1L);
}

QTEST_MAIN(TestAcquisitionThread)
#include "tst_acquisitionthread.moc"
