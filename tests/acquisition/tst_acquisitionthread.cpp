// The acquisition thread on the simulated module: start-up, the frame
// counter and signal order, replayed recordings, whole-frame publication,
// the pictures it hands out, and its wiring into the main window.
#include "common/acqtestsupport.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/thermalcamerathread.h"
#include "common/testboard.h"
#include "liveview/viewstate.h"
#include "referencesteps.h"
#include "acquisition/menus/temperaturescalesetmenu.h"
#include "app/norvik7.h"
#include "core/config.h"
#include "liveview/menus/colorsubmenu.h"
#include "liveview/menus/measurementsetmenu.h"

#include <QtTest>

#include <array>

namespace {

constexpr int kN = 256 * 192;
using Words = std::vector<uint16_t>;

// The thread's signals as the GUI thread receives them: kind ('m' extremes,
// 'z' zone, 'i' picture), frame counter, four numbers.
struct Receiver : QObject {
    explicit Receiver(ThermalCameraThread *t)
    {
        auto note = [this](char kind, int n, int a, int b, int c, int d) { events.push_back({kind, n, a, b, c, d}); };
        connect(
            t, &ThermalCameraThread::updateMaxMinValuePost, this,
            [note](int a, int b, int c, int d, int n) { note('m', n, a, b, c, d); }, Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::updateZoneMaxMinValuePost, this,
            [note](int a, int b, int c, int d, int n) { note('z', n, a, b, c, d); }, Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::updateThermalVLCImage, this,
            [this, note](QImage thermal, QImage visible, unsigned short centre, unsigned short max, unsigned short min,
                         unsigned short zoneMax, int n) {
                note('i', n, centre, max, min, zoneMax);
                lastThermal = thermal;
                lastVisible = visible;
                ++pictures;
            },
            Qt::QueuedConnection);
    }
    std::vector<std::array<int, 6>> events;
    QImage lastThermal, lastVisible;
    int pictures = 0;
};

}   // namespace

class TestAcquisitionThread : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_board = std::make_unique<TestBoard>();
        acqtest::resetAll(0);
        acqtest::recordPauses(1);
    }
    void cleanup()
    {
        qunsetenv("NORVIK7_SCENE");
        acq::setPause(nullptr);
        m_board.reset();
    }

    void startUp_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("stored high gain") << 1;
        QTest::newRow("stored low gain") << 0;
    }
    void startUp()
    {
        QFETCH(int, stored);
        const QString calls =
            QStringLiteral("vdcmd_set_polling_wait_time(10000);vdcmd_init();get_prop_image_params(0);"
                           "get_prop_image_params(1);get_prop_image_params(2);set_prop_tpd_params(5,%1);"
                           "get_prop_tpd_params(5);set_prop_image_params(2,%2);spi_config_save(12);"
                           "pause 500;get_prop_image_params(2);set_prop_tpd_params(3,120);"
                           "get_prop_tpd_params(3)")
                .arg(stored)
                .arg(stored ? 2 : 0);
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
        QCOMPARE(made.mid(0, 13).join(';'), calls);
        QVERIFY(!made.contains("ooc_b_update(0)"));
        QCOMPARE(static_cast<int>(acqState.currentGain.load()), stored);
        QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()), stored ? 2 : 0);
        const QString text = QString::fromStdString(log.text());
        QVERIFY(text.contains(stored ? "set_prop_tpd_params to high\n" : "set_prop_tpd_params to low\n"));
        QVERIFY(text.contains("IMAGE_PROP_LEVEL_DDE 1\nIMAGE_PROP_LEVEL_TNR 2\nIMAGE_PROP_LEVEL_SNR 1\n"));
        QVERIFY(text.contains("TPD_PROP_EMS = 120\n"));
    }

    void counterAndSignalOrder()
    {
        ThermalCameraThread t;
        Receiver r(&t);
        t.start();
        QTRY_VERIFY_WITH_TIMEOUT(r.pictures >= 105, 20000);
        stop(t);
        QVERIFY(r.events.size() >= 3 * 105);
        for (size_t e = 0; e < 3 * 105; ++e) {   // counters 1..100, then 1 again
            QCOMPARE(char(r.events[e][0]), "mzi"[e % 3]);
            QCOMPARE(r.events[e][1], e / 3 < 100 ? int(e / 3) + 1 : int(e / 3) - 99);
        }
        QCOMPARE(r.lastThermal.size(), QSize(192, 256));
        QCOMPARE(r.lastThermal.format(), QImage::Format_RGB888);
    }

    void replayedRecording()
    {
        // The temperature half in the module's landscape order: source (x, y)
        // lands on row x, column 191 - y of the portrait matrix. The loop's
        // visible picture, read from the sensor's own buffer, is the buffer
        // converted whole and then turned and enlarged.
        Words frame(2 * kN);
        for (int i = 0; i < kN; ++i) {
            frame[i] = static_cast<uint16_t>(2000 + (i % 256) * 40 + (i / 256) * 7);   // grey: the camera's luma
            frame[kN + i] = 4 * 5000 + 1;
        }
        auto put = [&](int x, int y, int word) { frame[kN + y * 256 + x] = static_cast<uint16_t>(word); };
        put(200, 30, 4 * 9000 + 3);   // hottest
        put(10, 150, 4 * 1000);       // coldest
        put(128, 95, 4 * 6000 + 2);   // the centre sample
        put(100, 121, 4 * 7000);      // hottest of the zone (row 100, column 70)
        play({frame}, true);
        acqState.image_mode.store(1);   // a visible picture with every frame
        ThermalCameraThread t;
        Receiver r(&t);
        t.start();
        QTRY_VERIFY(r.pictures >= 3 && !r.lastVisible.isNull());
        stop(t);
        const auto &m = r.events[3], &z = r.events[4], &i = r.events[5];
        // Centre, maximum, minimum and zone maximum; the extremes' places.
        QCOMPARE(QVector<int>({i[2], i[3], i[4], i[5]}), QVector<int>({6000, 9000, 1000, 7000}));
        QCOMPARE(QVector<int>({m[2], m[3], m[4], m[5], z[2], z[3]}), QVector<int>({200, 161, 10, 41, 100, 70}));
        // The frame's corners are samples; past them there is nothing.
        QCOMPARE(QVector<int>({thermalRaw.at(128, 96), thermalRaw.at(200, 161), thermalRaw.at(0, 0),
                               thermalRaw.at(255, 191), thermalRaw.at(256, 0), thermalRaw.at(0, 192)}),
                 QVector<int>({6000, 9000, 5000, 5000, 0, 0}));
        // Snapshots are taken only of the frame whose centre is on the screen.
        std::vector<uint16_t> thermal(kLiveSamples, 1);
        std::vector<uint8_t> gray(kLiveSamples, 1);
        QVERIFY(!copyLiveFrameWithCentre(6001, thermal.data(), gray.data()));
        QCOMPARE(thermal[200 * kLiveCols + 161], static_cast<uint16_t>(1));
        QVERIFY(copyLiveFrameWithCentre(6000, thermal.data(), gray.data()));
        QCOMPARE(thermal[200 * kLiveCols + 161], static_cast<uint16_t>(9000));

        std::vector<uint8_t> yuyv(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3),
            expected(yuv::kOutWidth * yuv::kOutHeight * 3);
        irsim::renderVisible(yuyv.data());   // the one frame of the recording, as the sensor showed it
        reference::toRgb(yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        reference::Enlarger().run(rgb.data(), expected.data(), yuv::kOutWidth * 3);
        QCOMPARE(r.lastVisible.size(), QSize(yuv::kOutWidth, yuv::kOutHeight));
        for (int y = 0; y < yuv::kOutHeight; ++y)
            QVERIFY2(
                !std::memcmp(r.lastVisible.constScanLine(y), &expected[y * yuv::kOutWidth * 3], yuv::kOutWidth * 3),
                qPrintable(QStringLiteral("row %1").arg(y)));
    }

    void readersSeeWholeFrames()
    {
        // Frames alternate between two flat temperatures; every reading is one of them whole.
        play({Words(2 * kN, 4 * 4000), Words(2 * kN, 4 * 8000)});
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
            if (std::count(thermal.begin(), thermal.end(), thermal[0]) != kLiveSamples)
                QFAIL(qPrintable(QStringLiteral("mixed frame of %1").arg(thermal[0])));
            QVERIFY(thermal[0] == 4000 || thermal[0] == 8000);
            ++seen[thermal[0] == 8000];
            thermalRaw.copyTo(thermal.data());
            QCOMPARE(thermal[kLiveSamples - 1], thermal[0]);
        }
        stop(t);
        QVERIFY(seen[0] >= 50 && seen[1] >= 50);
    }

    void heldPicturesKeepTheirPixels()
    {
        // The pictures sent go round a few buffers: one the GUI thread still
        // holds, for as long as it holds it, never changes, even after the
        // thread has ended. Frames alternate between two grey ramps.
        Words a(2 * kN, 4 * 5000), b(2 * kN, 4 * 5000);
        for (int i = 0; i < kN; ++i) {
            a[i] = static_cast<uint16_t>(2000 + i % 256 * 8);
            b[i] = static_cast<uint16_t>(6000 - i / 256 * 10);
        }
        play({a, b});
        acqState.image_mode.store(1);   // a visible picture with every frame
        ThermalCameraThread t;
        std::vector<std::pair<QImage, QImage>> held, copies;
        bool holding = true;
        connect(
            &t, &ThermalCameraThread::updateThermalVLCImage, this,
            [&](QImage thermal, QImage visible) {
                if (holding) {
                    held.emplace_back(thermal, visible);
                    copies.emplace_back(thermal.copy(), visible.copy());
                }
            },
            Qt::QueuedConnection);
        t.start();
        for (int round = 0; round < 4; ++round) {   // more pictures held than the buffers, then none
            QTRY_VERIFY(held.size() >= (round < 3 ? 10u : 2u));
            if (round == 3) {
                holding = false;
                stop(t);
            }
            QVERIFY(held == copies);
            if (round < 3) {
                held.clear();
                copies.clear();
            }
        }
        QVERIFY(held[0].first != held[1].first);   // the two ramps
    }

    void liveViewAndMenus()
    {
        // The main window starts the thread, shows the live picture once the
        // boot frames are counted, and hands the menus' choices to it.
        acqtest::resetAll(2000);   // 500 frames a second, the loop's own pauses short
        config::write(config::Main, QStringLiteral("color"), QStringLiteral("Lava"));
        config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("low_gain"));
        Norvik7 w;
        QVERIFY(w.cameraThread && w.cameraThread->isRunning());
        QSignalSpy bootOk(&w, &Norvik7::bootOkForThermalCamera);
        // The stored palette and gain are in use from the start.
        QCOMPARE(acqState.paletteNumber.load(), 6);
        QTRY_VERIFY(irsim::framesDelivered() > 0);   // the loop has started
        QCOMPARE(static_cast<int>(acqState.currentDDELevel.load()) + static_cast<int>(acqState.currentGain.load()), 0);
        QVERIFY(w.isHidden());
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 20000);
        QCOMPARE(bootOk.count(), 1);
        QVERIFY(w.initializingLabel->isVisible());
        // The live picture of the office: many colours, changing from frame to frame.
        const QImage first = w.DisplayLabel->pixmap().toImage();
        QSet<QRgb> colours;
        for (int y = 0; y < first.height(); y += 4)
            for (int x = 0; x < first.width(); x += 4)
                colours.insert(first.pixel(x, y));
        QVERIFY2(colours.size() > 50, qPrintable(QString::number(colours.size())));
        QTRY_VERIFY(w.DisplayLabel->pixmap().toImage() != first);

        w.colorSubMenu->radioButton_2->click();
        QCOMPARE(acqState.paletteNumber.load(), 2);
        QCOMPARE(config::readString(config::Main, QStringLiteral("color")), QStringLiteral("Rainbow"));
        emit w.temperatureScaleSetMenu->updateTempScale(1);
        QCOMPARE(static_cast<int>(acqState.currentGain.load()), 1);
        QTRY_COMPARE(static_cast<int>(acqState.currentDDELevel.load()), 2);   // the loop ran the high-gain command
        irsim::clearCalls();
        emit w.measurementSetMenu->updateEmissivityForThermalCamera(0.5f);
        emit w.measurementSetMenu->updateTempForThermalCamera(25);
        emit w.measurementSetMenu->updateDistanceForThermalCamera(1.0f);
        auto calls = acqtest::callsWithout({"get_", "pause", "ooc"});
        calls.resize(3);
        QCOMPARE(calls,
                 (std::vector<std::string>{"set_prop_tpd_params(3,61)", "set_prop_tpd_params(1,298)",
                                           "set_prop_tpd_params(0,128)"}));

        // A module restart shows the notice again.
        w.initializingLabel->hide();
        w.cameraThread->closeThermalCameraDevice(2);
        QTRY_VERIFY(w.initializingLabel->isVisible());
    }

private:
    // The module replays these frames.
    void play(const std::vector<Words> &frames, bool header = false)
    {
        m_board->write(QStringLiteral("/tmp/recording.raw"), acqtest::recording(frames, header));
        qputenv("NORVIK7_SCENE", m_board->file(QStringLiteral("/tmp/recording.raw")).toLocal8Bit());
    }
    static void stop(ThermalCameraThread &t)
    {
        t.requestInterruption();
        t.wait();
        QCoreApplication::processEvents();
    }
    std::unique_ptr<TestBoard> m_board;
};

QTEST_MAIN(TestAcquisitionThread)
#include "tst_acquisitionthread.moc"
