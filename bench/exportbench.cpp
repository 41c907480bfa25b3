// norvik7-export over a folder of saved images (measured, not asserted): the
// images are the office scene of the simulated module at successive moments
// (the person walking), saved in the camera's format; the command writes all
// four formats beside them. Prints images per second.
// Usage: norvik7_exportbench [IMAGES] [JOBS] [--each] [--keep DIR]
//   --each also times every format alone; --keep makes the images (and the
//   outputs) in DIR and leaves them there.
#include "acquisition/framepath.h"
#include "acquisition/sdk/simscene.h"
#include "media/savedimage.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <vector>

namespace {

// One saved image of the scene at time t, coloured with table `colorMap`.
QByteArray sceneImage(const irsim::Scene &scene, double t, int colorMap, std::mt19937 &noise)
{
    using namespace savedimage;
    std::normal_distribution<double> jitter(0.0, 0.08);
    std::vector<uint16_t> words(kFrameWidth * kFrameHeight);
    for (int y = 0; y < kFrameHeight; ++y)
        for (int x = 0; x < kFrameWidth; ++x) {
            const double c = scene.at(x + 0.5, y + 0.5, t).tempC + jitter(noise);
            words[y * kFrameWidth + x] = static_cast<uint16_t>(std::lround((c + 273.15) * 16));
        }
    const auto [lo, hi] = std::minmax_element(words.begin(), words.end());
    std::vector<uint8_t> gray(words.size());
    for (size_t i = 0; i < words.size(); ++i)
        gray[i] = static_cast<uint8_t>((words[i] - *lo) * 255 / std::max(1, *hi - *lo));
    std::vector<uint8_t> enlarged(kScreenWidth * kScreenHeight);
    enlargeGray(gray.data(), enlarged.data());

    const ColourTable &table = colourTableFor(colorMap);
    const framepath::Rgb888Table rgb = framepath::expand(table, false);
    QImage screen(kScreenWidth, kScreenHeight, QImage::Format_RGB888);
    for (int y = 0; y < kScreenHeight; ++y)
        for (int x = 0; x < kScreenWidth; ++x)
            std::memcpy(screen.scanLine(y) + 3 * x, rgb.rgb[enlarged[y * kScreenWidth + x]], 3);

    auto tenths = [](uint16_t w) { return static_cast<int16_t>((w * 0.0625 - 273.15) * 10); };
    ExifFields f;
    f.maxTemp = tenths(*hi);
    f.minTemp = tenths(*lo);
    f.centerTemp = tenths(words[128 * kFrameWidth + 96]);
    f.emissivity = 95;
    const int hot = int(hi - words.begin()), cold = int(lo - words.begin());
    f.maxX = static_cast<uint16_t>(hot % kFrameWidth * 5 / 4);
    f.maxY = static_cast<uint16_t>(hot / kFrameWidth * 5 / 4);
    f.minX = static_cast<uint16_t>(cold % kFrameWidth * 5 / 4);
    f.minY = static_cast<uint16_t>(cold / kFrameWidth * 5 / 4);
    clampRaw(words.data(), int(words.size()), f.minTemp, f.maxTemp);
    return buildFile(screen, exifBlock(enlarged.data(), table, f), words.data());
}

double loadAverage()
{
    QFile f(QStringLiteral("/proc/loadavg"));
    return f.open(QIODevice::ReadOnly) ? f.readAll().split(' ').value(0).toDouble() : -1;
}

double childrenCpuSeconds()
{
    rusage u{};
    getrusage(RUSAGE_CHILDREN, &u);
    return u.ru_utime.tv_sec + u.ru_stime.tv_sec + (u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

// Runs the command once over `folder`; seconds, or -1 when it failed.
double timeExport(const QString &folder, const QStringList &formats, int jobs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral(NORVIK7_EXPORT_COMMAND), formats + QStringList{"--jobs", QString::number(jobs), folder});
    if (!p.waitForFinished(600000) || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e9;
}

}   // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int images = argc > 1 ? std::atoi(argv[1]) : 1000;
    const int jobs = argc > 2 ? std::atoi(argv[2]) : 2;
    const bool each = app.arguments().contains(QStringLiteral("--each"));
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    // 100 moments of the scene, each saved under ten numbers.
    QTemporaryDir dir;
    const int keep = int(app.arguments().indexOf(QStringLiteral("--keep")));
    const QString folder =
        keep > 0 && keep + 1 < argc ? app.arguments().at(keep + 1) : dir.filePath(QStringLiteral("DCIM_100"));
    QDir().mkpath(folder);
    const irsim::Scene scene(irsim::SceneChoice::parse("office"));
    std::mt19937 noise(7);
    std::vector<QByteArray> distinct;
    for (int i = 0; i < std::min(images, 100); ++i)
        distinct.push_back(sceneImage(scene, i * 0.2, i % 7, noise));
    for (int i = 0; i < images; ++i) {
        QFile f(folder + QStringLiteral("/IMG_%1.bmp").arg(i + 1, 4, 10, QLatin1Char('0')));
        if (!f.open(QIODevice::WriteOnly) || f.write(distinct[i % distinct.size()]) != savedimage::kFileSize) {
            std::fprintf(stderr, "cannot write the images\n");
            return 1;
        }
    }

    auto report = [&](const char *what, const QStringList &formats) {
        const double load = loadAverage();
        const double cpu = childrenCpuSeconds();
        const double s = timeExport(folder, formats, jobs);
        const double cpuPerImage = (childrenCpuSeconds() - cpu) / images * 1000;
        if (s < 0) {
            std::printf("%s: the command failed\n", what);
            return;
        }
        std::printf("%s: %d images in %.2f s, %.0f images/s with %d jobs; %.2f ms of processor time an image "
                    "(load average before %.2f)\n",
                    what, images, s, images / s, jobs, cpuPerImage, load);
    };
    report("all four formats", {"--csv", "--tiff", "--png", "--json"});
    if (each)
        for (const char *format : {"--csv", "--tiff", "--png", "--json"})
            report(format + 2, {QString::fromLatin1(format)});
    return 0;
}
