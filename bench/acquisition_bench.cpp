// The acquisition loop's per-frame work against a straightforward OpenCV
// composition of the same steps, measured in one run on one core:
//   frame path   copy and shift, contrast stretch, colouring, turn, statistics
//   YUYV         the visible camera's colour conversion
//   enlarge      turning, red/blue exchange and enlargement of the visible picture
// Each pair prints "ratio <step>: X" = OpenCV time / our time; a step tuned
// since its first version also runs that version (tests/acquisition/
// referencesteps.h) and prints "before/after <step>: X" = its time / ours.
// The frames are the simulated office, as the module delivers it.
#include "acquisition/framepath.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/irmodule.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/yuv.h"
#include "board/board.h"
#include "referencesteps.h"

#include <benchmark/benchmark.h>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {

using namespace framepath;

struct Inputs {
    std::vector<uint16_t> raw = std::vector<uint16_t>(2 * kPixels);
    std::vector<uint8_t> yuyv = std::vector<uint8_t>(yuv::kWidth * yuv::kHeight * 2);
    const uint16_t *image() const { return raw.data(); }
    const uint16_t *temp() const { return raw.data() + kPixels; }
};

Inputs &inputs()
{
    static Inputs in;
    return in;
}

// One office frame and one visible frame from the simulated module.
void makeInputs()
{
    static QTemporaryDir root;
    qputenv("NORVIK7_ROOT", root.path().toLocal8Bit());
    board::reloadEnvironment();
    board::seedIfNeeded();
    irsim::reset();
    irsim::setFramePeriodUs(0);
    ir_camera_openm(&cameraParam);
    ir_camera_stream_on(&streamFrameInfo, cameraParam);
    ir::set_prop_tpd_params(TPD_PROP_EMS, 120);
    for (int i = 0; i < 100; ++i)   // the person walks in
        ir::uvc_frame_get(inputs().raw.data());
    irsim::renderVisible(inputs().yuyv.data());
    const auto mm = std::minmax_element(inputs().image(), inputs().image() + kPixels);
    std::printf("office frame: grey words %u..%u\n", *mm.first, *mm.second);
}

// ---- frame path --------------------------------------------------------------------

void BM_FramePath_Ours(benchmark::State &state)
{
    Work work;
    const Rgb888Table table = expand(colormap_Iron, false);
    std::vector<uint16_t> matrix(kPixels);
    std::vector<uint8_t> grey(kPixels), rgb(kPixels * 3);
    for (auto _ : state) {
        Stats s =
            process(work, inputs().image(), inputs().temp(), table, matrix.data(), grey.data(), rgb.data(), kCols * 3);
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
    }
}

// The path as it was before its steps were tuned: turning in tiles, then
// colouring the grey image.
void BM_FramePath_Before(benchmark::State &state)
{
    Work work;
    const Rgb888Table table = expand(colormap_Iron, false);
    std::vector<uint16_t> matrix(kPixels);
    std::vector<uint8_t> grey(kPixels), rgb(kPixels * 3);
    for (auto _ : state) {
        work.stretch.build(inputs().image(), kPixels);
        reference::rotateBoth(inputs().image(), inputs().temp(), work.stretch.lut(), matrix.data(), grey.data());
        colour(grey.data(), kCols, kRows, table, rgb.data(), kCols * 3);
        Stats s = statistics(matrix.data());
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
    }
}

// The same steps the way one would first write them with OpenCV.
void BM_FramePath_OpenCV(benchmark::State &state)
{
    cv::Mat image(kSrcHeight, kSrcWidth, CV_16UC1, const_cast<uint16_t *>(inputs().image()));
    cv::Mat temp(kSrcHeight, kSrcWidth, CV_16UC1, const_cast<uint16_t *>(inputs().temp()));
    cv::Mat colours(1, 256, CV_8UC3);
    const Rgb888Table table = expand(colormap_Iron, false);
    for (int g = 0; g < 256; ++g)
        colours.at<cv::Vec3b>(0, g) = cv::Vec3b(table.rgb[g][0], table.rgb[g][1], table.rgb[g][2]);
    cv::Mat shifted, hist, grey(kSrcHeight, kSrcWidth, CV_8UC1), grey3, rgb, rgbTurned, matrix, greyTurned;
    std::vector<uint8_t> lut(65536);
    const int histSize = 65536;
    const float range[] = {0, 65536};
    const float *ranges[] = {range};
    const int channels[] = {0};
    for (auto _ : state) {
        // copy and shift
        cv::Mat copy = image.clone();
        temp.convertTo(shifted, CV_16U, 0.25);
        // contrast stretch
        double mn = 0, mx = 0;
        cv::minMaxLoc(copy, &mn, &mx);
        cv::calcHist(&copy, 1, channels, cv::Mat(), hist, 1, &histSize, ranges);
        const float *h = hist.ptr<float>();
        double plain = 0, clipped = 0;
        int low = -1, high = -1;
        for (int v = static_cast<int>(mn); v <= static_cast<int>(mx); ++v) {
            plain += h[v];
            clipped += std::min(h[v], 15.0f);
            if (low < 0 && plain >= 20)
                low = v;
            if (high < 0 && plain >= 49132)
                high = v;
        }
        int span = (high - low + 1) * 2, offset = 0;
        if (span < 255)
            offset = static_cast<int>((255 - span) * 0.4);
        else
            span = 255;
        double running = 0;
        for (int v = static_cast<int>(mn); v <= static_cast<int>(mx); ++v) {
            running += std::min(h[v], 15.0f);
            lut[v] = static_cast<uint8_t>(running * span / clipped + offset);
        }
        for (int y = 0; y < kSrcHeight; ++y) {
            const uint16_t *in = copy.ptr<uint16_t>(y);
            uint8_t *out = grey.ptr<uint8_t>(y);
            for (int x = 0; x < kSrcWidth; ++x)
                out[x] = lut[in[x]];
        }
        // colouring
        cv::cvtColor(grey, grey3, cv::COLOR_GRAY2RGB);
        cv::LUT(grey3, colours, rgb);
        // turn
        cv::rotate(rgb, rgbTurned, cv::ROTATE_90_CLOCKWISE);
        cv::rotate(shifted, matrix, cv::ROTATE_90_CLOCKWISE);
        cv::rotate(grey, greyTurned, cv::ROTATE_90_CLOCKWISE);
        // statistics
        double fmin, fmax, zmin, zmax;
        cv::Point pmin, pmax, zpmin, zpmax;
        cv::minMaxLoc(matrix, &fmin, &fmax, &pmin, &pmax);
        cv::minMaxLoc(matrix(cv::Rect(kZoneLeft, kZoneTop, 80, 96)), &zmin, &zmax, &zpmin, &zpmax);
        benchmark::DoNotOptimize(fmax + zmax + matrix.at<uint16_t>(kCentreRow, kCentreCol));
        benchmark::ClobberMemory();
    }
}

// The path's steps one by one (ours), to see where the time goes.
void BM_Step_RotateTemperature(benchmark::State &state)
{
    std::vector<uint16_t> matrix(kPixels);
    for (auto _ : state) {
        rotateTemperature(inputs().temp(), matrix.data());
        benchmark::ClobberMemory();
    }
}
void BM_Step_Stretch(benchmark::State &state)
{
    ContrastStretch cs;
    for (auto _ : state)
        benchmark::DoNotOptimize(cs.build(inputs().image(), kPixels));
}
void BM_RotateBoth_Ours(benchmark::State &state)
{
    ContrastStretch cs;
    cs.build(inputs().image(), kPixels);
    std::vector<uint16_t> matrix(kPixels);
    std::vector<uint8_t> grey(kPixels);
    for (auto _ : state) {
        rotateBoth(inputs().image(), inputs().temp(), cs.lut(), matrix.data(), grey.data());
        benchmark::ClobberMemory();
    }
}
void BM_RotateBoth_Before(benchmark::State &state)
{
    ContrastStretch cs;
    cs.build(inputs().image(), kPixels);
    std::vector<uint16_t> matrix(kPixels);
    std::vector<uint8_t> grey(kPixels);
    for (auto _ : state) {
        reference::rotateBoth(inputs().image(), inputs().temp(), cs.lut(), matrix.data(), grey.data());
        benchmark::ClobberMemory();
    }
}
void BM_Step_RotateGrey(benchmark::State &state)
{
    ContrastStretch cs;
    cs.build(inputs().image(), kPixels);
    std::vector<uint8_t> grey(kPixels);
    for (auto _ : state) {
        rotateGrey(inputs().image(), cs.lut(), grey.data());
        benchmark::ClobberMemory();
    }
}
void BM_Step_Colour(benchmark::State &state)
{
    const Rgb888Table table = expand(colormap_Iron, false);
    std::vector<uint8_t> grey(kPixels), rgb(kPixels * 3);
    for (int i = 0; i < kPixels; ++i)
        grey[i] = static_cast<uint8_t>(inputs().image()[i]);
    for (auto _ : state) {
        colour(grey.data(), kCols, kRows, table, rgb.data(), kCols * 3);
        benchmark::ClobberMemory();
    }
}
void BM_Step_Statistics(benchmark::State &state)
{
    std::vector<uint16_t> matrix(kPixels);
    rotateTemperature(inputs().temp(), matrix.data());
    for (auto _ : state)
        benchmark::DoNotOptimize(statistics(matrix.data()));
}
// The statistics gathered while the temperatures turn (ours) against a pass
// over the turned matrix.
void BM_RotateMeasure_Ours(benchmark::State &state)
{
    std::vector<uint16_t> matrix(kPixels);
    for (auto _ : state) {
        benchmark::DoNotOptimize(rotateAndMeasure(inputs().temp(), matrix.data()));
        benchmark::ClobberMemory();
    }
}
void BM_RotateMeasure_Before(benchmark::State &state)
{
    std::vector<uint16_t> matrix(kPixels);
    for (auto _ : state) {
        rotateTemperature(inputs().temp(), matrix.data());
        benchmark::DoNotOptimize(statistics(matrix.data()));
        benchmark::ClobberMemory();
    }
}

// Pushes the caller's data out of the first- and second-level caches, as
// the other programs and threads do between two frames of the running
// program (not timed).
void evictCaches(benchmark::State &state)
{
    static std::vector<uint8_t> other(4 << 20);
    state.PauseTiming();
    for (size_t i = 0; i < other.size(); i += 64)
        other[i] = static_cast<uint8_t>(other[i] + 1);
    benchmark::ClobberMemory();
    state.ResumeTiming();
}

// The whole path with the caches emptied before each frame (ours) against
// the path before the statistics were gathered while turning.
void BM_FramePathEvicted_Ours(benchmark::State &state)
{
    Work work;
    const Rgb888Table table = expand(colormap_Iron, false);
    std::vector<uint16_t> raw(inputs().raw), matrix(kPixels);
    std::vector<uint8_t> grey(kPixels), rgb(kPixels * 3);
    for (auto _ : state) {
        evictCaches(state);
        Stats s =
            process(work, raw.data(), raw.data() + kPixels, table, matrix.data(), grey.data(), rgb.data(), kCols * 3);
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
    }
}
void BM_FramePathEvicted_Before(benchmark::State &state)
{
    Work work;
    const Rgb888Table table = expand(colormap_Iron, false);
    std::vector<uint16_t> raw(inputs().raw), matrix(kPixels);
    std::vector<uint8_t> grey(kPixels), rgb(kPixels * 3);
    for (auto _ : state) {
        evictCaches(state);
        work.stretch.build(raw.data(), kPixels);
        rotateTemperature(raw.data() + kPixels, matrix.data());
        rotateGreyAndColour(raw.data(), work.stretch.lut(), table, grey.data(), rgb.data(), kCols * 3);
        Stats s = statistics(matrix.data());
        benchmark::DoNotOptimize(s);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_FramePathEvicted_Ours);
BENCHMARK(BM_FramePathEvicted_Before);
BENCHMARK(BM_RotateMeasure_Ours);
BENCHMARK(BM_RotateMeasure_Before);
BENCHMARK(BM_Step_RotateTemperature);
BENCHMARK(BM_Step_Stretch);
BENCHMARK(BM_RotateBoth_Ours);
BENCHMARK(BM_RotateBoth_Before);
BENCHMARK(BM_Step_RotateGrey);
BENCHMARK(BM_Step_Colour);
BENCHMARK(BM_Step_Statistics);

// ---- YUYV --------------------------------------------------------------------------

void BM_Yuyv_Ours(benchmark::State &state)
{
    std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3);
    for (auto _ : state) {
        yuv::toRgb(inputs().yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        benchmark::ClobberMemory();
    }
}

void BM_Yuyv_Before(benchmark::State &state)
{
    std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3);
    for (auto _ : state) {
        reference::toRgb(inputs().yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        benchmark::ClobberMemory();
    }
}

void BM_Yuyv_OpenCV(benchmark::State &state)
{
    cv::Mat yuyv(yuv::kHeight, yuv::kWidth, CV_8UC2, inputs().yuyv.data());
    cv::Mat rgb;
    for (auto _ : state) {
        cv::cvtColor(yuyv, rgb, cv::COLOR_YUV2RGB_YUYV);
        benchmark::ClobberMemory();
    }
}

// ---- enlarging the visible picture -----------------------------------------------------

void BM_Enlarge_Ours(benchmark::State &state)
{
    std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3), out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::toRgb(inputs().yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
    yuv::Enlarger enlarger;
    for (auto _ : state) {
        enlarger.run(rgb.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

void BM_Enlarge_Before(benchmark::State &state)
{
    std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3), out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::toRgb(inputs().yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
    reference::Enlarger enlarger;
    for (auto _ : state) {
        enlarger.run(rgb.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

void BM_Enlarge_OpenCV(benchmark::State &state)
{
    std::vector<uint8_t> data(yuv::kWidth * yuv::kHeight * 3);
    yuv::toRgb(inputs().yuyv.data(), data.data(), yuv::kWidth, yuv::kHeight);
    cv::Mat rgb(yuv::kHeight, yuv::kWidth, CV_8UC3, data.data());
    cv::Mat turned, swapped, out;
    for (auto _ : state) {
        cv::rotate(rgb, turned, cv::ROTATE_90_CLOCKWISE);
        cv::cvtColor(turned, swapped, cv::COLOR_RGB2BGR);
        cv::resize(swapped, out, cv::Size(yuv::kOutWidth, yuv::kOutHeight), 0, 0, cv::INTER_LINEAR);
        benchmark::ClobberMemory();
    }
}

// ---- the visible picture as the loop makes it --------------------------------------------

// From the dequeued YUYV to the enlarged picture: converted band by band
// inside the enlargement (ours) against a whole conversion into an RGB
// picture that the enlargement then reads (before).
void BM_Visible_Ours(benchmark::State &state)
{
    std::vector<uint8_t> out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::Enlarger enlarger;
    for (auto _ : state) {
        enlarger.runYuyv(inputs().yuyv.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

void BM_Visible_Before(benchmark::State &state)
{
    std::vector<uint8_t> copy(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3),
        out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::Enlarger enlarger;
    for (auto _ : state) {
        std::memcpy(copy.data(), inputs().yuyv.data(), copy.size());
        yuv::toRgb(copy.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        enlarger.run(rgb.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

// The same with the caches emptied before each picture.
void BM_VisibleEvicted_Ours(benchmark::State &state)
{
    std::vector<uint8_t> in(inputs().yuyv), out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::Enlarger enlarger;
    for (auto _ : state) {
        evictCaches(state);
        enlarger.runYuyv(in.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

void BM_VisibleEvicted_Before(benchmark::State &state)
{
    std::vector<uint8_t> in(inputs().yuyv), copy(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3),
        out(yuv::kOutWidth * yuv::kOutHeight * 3);
    yuv::Enlarger enlarger;
    for (auto _ : state) {
        evictCaches(state);
        std::memcpy(copy.data(), in.data(), copy.size());
        yuv::toRgb(copy.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        enlarger.run(rgb.data(), out.data(), yuv::kOutWidth * 3);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Visible_Ours);
BENCHMARK(BM_Visible_Before);
BENCHMARK(BM_VisibleEvicted_Ours);
BENCHMARK(BM_VisibleEvicted_Before);

BENCHMARK(BM_FramePath_Ours);
BENCHMARK(BM_FramePath_OpenCV);
BENCHMARK(BM_FramePath_Before);
BENCHMARK(BM_Yuyv_Ours);
BENCHMARK(BM_Yuyv_OpenCV);
BENCHMARK(BM_Yuyv_Before);
BENCHMARK(BM_Enlarge_Ours);
BENCHMARK(BM_Enlarge_OpenCV);
BENCHMARK(BM_Enlarge_Before);

// Remembers the time per iteration of every run for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    std::map<std::string, double> ns;
    void ReportRuns(const std::vector<Run> &runs) override
    {
        // Single runs, or the median of repetitions.
        for (const Run &r : runs)
            if ((r.run_type == Run::RT_Iteration && r.iterations > 0 && !ns.count(r.run_name.str())) ||
                (r.run_type == Run::RT_Aggregate && r.aggregate_name == "median"))
                ns[r.run_name.str()] = r.GetAdjustedCPUTime();
        ConsoleReporter::ReportRuns(runs);
    }
};

}   // namespace

int main(int argc, char **argv)
{
    cv::setNumThreads(1);   // one core for both sides
    makeInputs();
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const char *step : {"FramePath", "Yuyv", "Enlarge"}) {
        const std::string ours = std::string("BM_") + step + "_Ours", cv = std::string("BM_") + step + "_OpenCV";
        if (reporter.ns.count(ours) && reporter.ns.count(cv))
            std::printf("ratio %s: %.2f (OpenCV %.1f us / ours %.1f us)\n", step, reporter.ns[cv] / reporter.ns[ours],
                        reporter.ns[cv] / 1000.0, reporter.ns[ours] / 1000.0);
    }
    for (const char *step : {"FramePath", "RotateBoth", "Yuyv", "Enlarge", "Visible", "VisibleEvicted", "RotateMeasure",
                             "FramePathEvicted"}) {
        const std::string ours = std::string("BM_") + step + "_Ours", before = std::string("BM_") + step + "_Before";
        if (reporter.ns.count(ours) && reporter.ns.count(before))
            std::printf("before/after %s: %.2f (before %.1f us / ours %.1f us)\n", step,
                        reporter.ns[before] / reporter.ns[ours], reporter.ns[before] / 1000.0,
                        reporter.ns[ours] / 1000.0);
    }
    benchmark::Shutdown();
    return 0;
}
