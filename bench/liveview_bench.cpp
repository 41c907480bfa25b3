// The live view's work on the GUI thread for one frame, for each image mode:
// composition, enlargement to the screen, the readouts and markers on every
// fifth frame, and painting the window (offscreen). Against it, in the same
// run, a straightforward Qt composition of the same picture (QImage::scaled
// with smooth filtering, a fresh picture per frame, QPixmap::fromImage).
// Each pair prints "ratio <mode>: X" = straightforward time / ours.
//
//   --record FILE N   writes N frames of the simulated office as a raw
//                     recording (for replaying in the processor measurement)
#include "acquisition/irmodule.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "app/norvik7.h"
#include "bench/benchsupport.h"
#include "board/board.h"
#include "liveview/menus/tempsubmenu.h"
#include "liveview/viewstate.h"
#include "referenceenlarger.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QPainter>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Frame {
    QImage thermal, visible;
};

Frame makeFrame()
{
    Frame f;
    f.thermal = QImage(192, 256, QImage::Format_RGB888);
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 192; ++x)
            f.thermal.setPixel(x, y, qRgb((x * 7 + y) & 255, (y * 3) & 255, (x ^ y) & 255));
    f.visible = QImage(264, 352, QImage::Format_RGB888);
    for (int y = 0; y < 352; ++y)
        for (int x = 0; x < 264; ++x)
            f.visible.setPixel(x, y, qRgb((x + y) & 255, (x * 2) & 255, (y * 5) & 255));
    return f;
}

Norvik7 *window()
{
    static std::unique_ptr<QTemporaryDir> root;
    static std::unique_ptr<Norvik7> w;
    if (!w) {
        root = std::make_unique<QTemporaryDir>();
        bench::enterSimulatedBoard(*root);
        // No module: the only frames are the benchmark's.
        QFile f(root->path() + QStringLiteral("/sim/ir_module"));
        f.open(QIODevice::WriteOnly);
        f.write("absent");
        f.close();
        w = std::make_unique<Norvik7>();
        for (QTimer *t : {w->refreshTimer, w->cursorTimer, w->secondTimer, w->batteryTimer, w->releaseTimer})
            t->stop();
        if (qEnvironmentVariableIsSet("NOEFFECT"))
            w->TempLabel->setGraphicsEffect(nullptr);
        w->show();
        w->initializingLabel->hide();
        for (int i = 0; i < 20; ++i)   // until the window is exposed and painted once
            QCoreApplication::processEvents();
        // Every mark on: centre and hot/cold spots.
        if (!w->tempSubMenu->checkBox->isChecked())
            w->tempSubMenu->checkBox->click();
        if (!w->tempSubMenu->checkBox_2->isChecked())
            w->tempSubMenu->checkBox_2->click();
    }
    return w.get();
}

std::map<std::string, double> &medians()
{
    static std::map<std::string, double> m;
    return m;
}

void BM_Ours(benchmark::State &state)
{
    const int mode = static_cast<int>(state.range(0));
    Norvik7 *w = window();
    static const Frame f = makeFrame();
    acqState.image_mode.store(mode);
    viewState.trans = 50;
    viewState.pipTrans = 50;
    int counter = 0;
    for (auto _ : state) {
        counter = counter % 100 + 1;
        const unsigned short hot = static_cast<unsigned short>(5000 + counter);
        w->updateMaxMinTemp(40 + counter, 100, 200, 20, counter);
        w->updateZoneMaxMinTemp(100, 90, 150, 60, counter);
        w->updateThermalCameraImage(f.thermal, f.visible, 4700, hot, 4500, 4900, counter);
        QCoreApplication::processEvents();   // paints what changed
    }
}

// The straightforward composition: what the program did before, generalised
// to every mode.
void BM_Straightforward(benchmark::State &state)
{
    const int mode = static_cast<int>(state.range(0));
    Norvik7 *w = window();
    static const Frame f = makeFrame();
    int counter = 0;
    for (auto _ : state) {
        counter = counter % 100 + 1;
        QImage picture;
        const QImage crop = f.visible.copy(36, 48, 192, 256);
        if (mode == 0) {
            picture = f.thermal;
        } else if (mode == 1) {
            picture = f.visible;
        } else if (mode == 2) {
            const QImage a = f.thermal.scaled(120, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            const QImage b = crop.scaled(120, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation);
            picture = QImage(120, 160, QImage::Format_RGB888);
            for (int y = 0; y < 160; ++y) {
                const uchar *pa = a.constScanLine(y), *pb = b.constScanLine(y);
                uchar *o = picture.scanLine(y);
                for (int i = 0; i < 360; ++i)
                    o[i] = static_cast<uchar>((pa[i] * 50) / 100 + (pb[i] * 50) / 100);
            }
        } else {
            picture = crop;
            for (int y = 64; y <= 191; ++y) {
                const uchar *pa = f.thermal.constScanLine(y);
                uchar *o = picture.scanLine(y);
                for (int i = 48 * 3; i < 144 * 3; ++i)
                    o[i] = static_cast<uchar>((pa[i] * 50) / 100 + (o[i] * 50) / 100);
            }
        }
        w->DisplayLabel->clear();
        w->DisplayLabel->setPixmap(
            QPixmap::fromImage(picture).scaled(w->DisplayLabel->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation));
        if (counter % 5 == 0) {
            w->MaxTempValueLabel->setText(QString::number(counter * 0.1, 'f', 1));
            w->MaxTempValueLabel->adjustSize();
        }
        QCoreApplication::processEvents();
    }
}

// Where the time goes: the composition alone, and painting the window alone.
void BM_Step_Compose(benchmark::State &state)
{
    static const Frame f = makeFrame();
    composition::Composer c;
    composition::Request r;
    r.mode = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(c.compose(f.thermal, f.visible, r).constBits());
}

// Enlarging the thermal picture to the screen: ours on this thread, the
// earlier one (each row made 32-bit, then gathered), and the painter's smooth
// scaling (which splits a picture this tall over its pool).
template <class Enlarger>
void enlargeThermal(benchmark::State &state)
{
    static const Frame f = makeFrame();
    QImage screen(240, 320, QImage::Format_RGB32);
    Enlarger e;
    const QImage src = state.range(0) ? f.thermal.convertToFormat(QImage::Format_RGB32) : f.thermal;
    for (auto _ : state) {
        e.run(src, screen);
        benchmark::DoNotOptimize(screen.constBits());
    }
}

void BM_Step_Enlarge(benchmark::State &state) { enlargeThermal<composition::Enlarger>(state); }
void BM_Step_EnlargeBefore(benchmark::State &state) { enlargeThermal<reference::Enlarger>(state); }

void BM_Step_EnlargeByPainter(benchmark::State &state)
{
    static const Frame f = makeFrame();
    QImage screen(240, 320, QImage::Format_RGB32);
    const QImage src = state.range(0) ? f.thermal.convertToFormat(QImage::Format_RGB32) : f.thermal;
    for (auto _ : state) {
        QPainter p(&screen);
        p.setRenderHint(QPainter::SmoothPixmapTransform, true);
        p.drawImage(screen.rect(), src);
        p.end();
        benchmark::DoNotOptimize(screen.constBits());
    }
}

void BM_Step_Paint(benchmark::State &state)
{
    Norvik7 *w = window();
    for (auto _ : state) {
        w->DisplayLabel->update();
        QCoreApplication::processEvents();
    }
}

BENCHMARK(BM_Step_Compose)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Step_Paint)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Step_Enlarge)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Step_EnlargeBefore)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Step_EnlargeByPainter)->DenseRange(0, 1)->Unit(benchmark::kMicrosecond);

const char *const kModes[] = {"Thermal", "Digital", "Fusion", "PIP"};

class Collect : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &r : runs)
            if (r.run_type == Run::RT_Iteration || r.aggregate_name == "median")
                medians()[r.benchmark_name()] = r.GetAdjustedCPUTime();
    }
};

int record(const char *path, int frames)
{
    QTemporaryDir root;
    bench::enterSimulatedBoard(root);
    irsim::reset();
    irsim::setFramePeriodUs(0);
    ir_camera_openm(&cameraParam);
    ir_camera_stream_on(&streamFrameInfo, cameraParam);
    QFile out(QString::fromLocal8Bit(path));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    std::vector<uint16_t> raw(256 * 384);
    for (int i = 0; i < frames; ++i) {
        ir::uvc_frame_get(raw.data());
        out.write(reinterpret_cast<const char *>(raw.data()), static_cast<qint64>(raw.size() * 2));
    }
    std::printf("%d frames written to %s\n", frames, path);
    return 0;
}

}   // namespace

BENCHMARK(BM_Ours)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Straightforward)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--record") == 0)
        return record(argv[2], std::atoi(argv[3]));
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    Collect reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (int m = 0; m < 4; ++m) {
        const std::string ours = "BM_Ours/" + std::to_string(m);
        const std::string plain = "BM_Straightforward/" + std::to_string(m);
        auto find = [](const std::string &prefix) {
            for (const auto &kv : medians())
                if (kv.first.rfind(prefix, 0) == 0)
                    return kv.second;
            return 0.0;
        };
        const double o = find(ours), p = find(plain);
        if (o > 0 && p > 0)
            std::printf("ratio %s: %.2f (straightforward %.0f us / ours %.0f us per frame)\n", kModes[m], p / o, p, o);
        std::fflush(stdout);
    }
    for (const char *from : {"0", "1"}) {
        double ours = 0, before = 0;
        for (const auto &kv : medians()) {
            if (kv.first.rfind(std::string("BM_Step_Enlarge/") + from, 0) == 0)
                ours = kv.second;
            if (kv.first.rfind(std::string("BM_Step_EnlargeBefore/") + from, 0) == 0)
                before = kv.second;
        }
        if (ours > 0 && before > 0)
            std::printf("before/after Enlarge/%s: %.2f (before %.1f us / ours %.1f us)\n", from, before / ours, before,
                        ours);
    }
    return 0;
}
