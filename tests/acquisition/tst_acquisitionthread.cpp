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
// 'z' zone, 'i' picture), frame counter, four numbers; the pictures held.
struct Receiver : QObject {
    explicit Receiver(ThermalCameraThread *t)
    {
        auto note = [this](char kind, int n, int a, int b, int c, int d) { events.push_back({kind, n, a, b, c, d}); };
        auto extremes = [note](char kind) {
            return [note, kind](int a, int b, int c, int d, int n) { note(kind, n, a, b, c, d); };
        };
        connect(t, &ThermalCameraThread::updateMaxMinValuePost, this, extremes('m'), Qt::QueuedConnection);
        connect(t, &ThermalCameraThread::updateZoneMaxMinValuePost, this, extremes('z'), Qt::QueuedConnection);
        connect(
            t, &ThermalCameraThread::updateThermalVLCImage, this,
            [this, note](QImage thermal, QImage visible, ushort centre, ushort max, ushort min, ushort zone, int n) {
                note('i', n, centre, max, min, zone);
                if (holding)
                    held.push_back({thermal, visible, thermal.copy(), visible.copy()});
            },
            Qt::QueuedConnection);
    }
    std::vector<std::array<int, 6>> events;
    std::vector<std::array<QImage, 4>> held;   // as received, and copies made then
    bool holding = true;
};

}   // namespace

class TestAcquisitionThread : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_board.reset();   // one simulated board at a time
        m_board = std::make_unique<TestBoard>();
        acqtest::resetAll(0);
        acqtest::recordPauses(1);
    }

    void startUpAndReplay_data()
    {
        QTest::addColumn<int>("stored");
        QTest::newRow("stored high gain") << 1;
        QTest::newRow("stored low gain") << 0;
    }
    void startUpAndReplay()
    {
        // The start in the stored gain; the counter and the signals' order. The
        // temperature half in the module's landscape order: source (x, y)
        // lands on row x, column 191 - y of the portrait matrix. The loop's
        // visible picture, read from the sensor's own buffer, is the buffer
        // converted whole and then turned and enlarged.
        QFETCH(int, stored);
        const QString calls =
            QStringLiteral("vdcmd_set_polling_wait_time(10000);vdcmd_init();get_prop_image_params(0);"
                           "get_prop_image_params(1);get_prop_image_params(2);set_prop_tpd_params(5,%1);"
                           "get_prop_tpd_params(5);set_prop_image_params(2,%2);spi_config_save(12);"
                           "pause 500;get_prop_image_params(2);set_prop_tpd_params(3,120);"
                           "get_prop_tpd_params(3);")
                .arg(stored)
                .arg(stored ? 2 : 0);
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
        acqState.temperature_scale.store(static_cast<uint8_t>(stored));
        acqState.pendingModuleCommand.store(kShutterCorrection);   // cleared by the start
        acq::LogCapture log;
        ThermalCameraThread t;
        Receiver r(&t);
        t.start();
        QTRY_VERIFY(r.held.size() >= 3);
        r.holding = false;
        QTRY_VERIFY_WITH_TIMEOUT(r.events.size() >= 3 * 105, 20000);
        stop(t);
        QString made;
        for (const std::string &c : irsim::calls())
            made += QString::fromStdString(c) + ';';
        QVERIFY2(made.startsWith(calls) && !made.contains("ooc_b_update(0)"), qPrintable(made));
        QCOMPARE(QVector<int>({acqState.currentGain.load(), acqState.currentDDELevel.load()}),
                 QVector<int>({stored, stored ? 2 : 0}));
        const QString text = QString::fromStdString(log.text());
        QVERIFY(text.contains("IMAGE_PROP_LEVEL_DDE 1\nIMAGE_PROP_LEVEL_TNR 2\n"));
        QVERIFY(text.contains(QStringLiteral("set_prop_tpd_params to %1\n").arg(stored ? "high" : "low")));
        for (size_t e = 0; e < 3 * 105; ++e) {   // counters 1..100, then 1 again
            QCOMPARE(char(r.events[e][0]), "mzi"[e % 3]);
            QCOMPARE(r.events[e][1], e / 3 < 100 ? int(e / 3) + 1 : int(e / 3) - 99);
        }
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

        std::vector<uint8_t> yuyv(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3);
        irsim::renderVisible(yuyv.data());   // the one frame of the recording, as the sensor showed it
        reference::toRgb(yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        QImage expected(yuv::kOutWidth, yuv::kOutHeight, QImage::Format_RGB888);
        reference::Enlarger().run(rgb.data(), expected.bits(), expected.bytesPerLine());
        QCOMPARE(r.held.back()[1], expected);
        QCOMPARE(r.held.back()[0].size(), QSize(192, 256));
        QCOMPARE(r.held.back()[0].format(), QImage::Format_RGB888);
    }

    void readersSeeWholeFramesAndHeldPicturesKeep()
    {
        // Frames alternate between two flat temperatures over two grey ramps:
        // every reading is one of them whole. The pictures sent go round a few
        // buffers: one the GUI thread still holds, for as long as it holds it,
        // never changes, even after the thread has ended.
        Words a(2 * kN, 4 * 4000), b(2 * kN, 4 * 8000);
        for (int i = 0; i < kN; ++i) {
            a[i] = static_cast<uint16_t>(2000 + i % 256 * 8);
            b[i] = static_cast<uint16_t>(6000 - i / 256 * 10);
        }
        play({a, b});
        acqState.image_mode.store(1);   // a visible picture with every frame
        ThermalCameraThread t;
        Receiver r(&t);
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
            QCOMPARE(std::count(thermal.begin(), thermal.end(), thermal[0]), long(kLiveSamples));
            QVERIFY(thermal[0] == 4000 || thermal[0] == 8000);
            ++seen[thermal[0] == 8000];
            thermalRaw.copyTo(thermal.data());
            QCOMPARE(thermal[kLiveSamples - 1], thermal[0]);
        }
        QVERIFY(seen[0] >= 50 && seen[1] >= 50);
        r.held.clear();
        for (int round = 0; round < 4; ++round) {   // more pictures held than the buffers, then none
            QTRY_VERIFY(r.held.size() >= (round < 3 ? 10u : 2u));
            if (round == 3) {
                r.holding = false;
                stop(t);
            }
            for (const auto &h : r.held)
                QVERIFY(h[0] == h[2] && h[1] == h[3]);
            if (round < 3)
                r.held.clear();
        }
        QVERIFY(r.held[0][0] != r.held[1][0]);   // the two ramps
    }

    void liveViewAndMenus()
    {
        // The main window starts the thread in the stored gain, shows the live
        // picture once the boot frames are counted, and hands the menus' choices to it.
        acqtest::resetAll(2000);   // 500 frames a second, the loop's own pauses short
        config::write(config::Main, QStringLiteral("temperature_scale"), QStringLiteral("low_gain"));
        config::write(config::Main, QStringLiteral("color"), QStringLiteral("Lava"));
        Norvik7 w;
        QCOMPARE(acqState.paletteNumber.load(), 6);   // the stored palette in use from the start
        QSignalSpy bootOk(&w, &Norvik7::bootOkForThermalCamera);
        QTRY_VERIFY_WITH_TIMEOUT(w.isVisible(), 20000);
        QCOMPARE(QVector<int>({int(bootOk.count()), acqState.currentGain.load()}), QVector<int>({1, 0}));
        const QImage first = w.DisplayLabel->pixmap().toImage();
        QTRY_VERIFY(w.DisplayLabel->pixmap().toImage() != first);
        w.colorSubMenu->radioButton_2->click();   // the palette and the colour bar follow the choice
        QCOMPARE(acqState.paletteNumber.load(), 2);
        QTRY_VERIFY(w.ColorStatusLabel->styleSheet().contains(":/images/colormap_RainBow.png"));
        emit w.temperatureScaleSetMenu->updateTempScale(1);
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
