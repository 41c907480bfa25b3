// norvik7-export: the camera's saved thermal images (IMG_NNNN.bmp) as CSV,
// 16-bit TIFF, false-colour PNG and JSON on a desktop computer.
#include "export/exporter.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHash>

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <thread>

namespace {

constexpr const char *kHelp = R"(Usage: norvik7-export [options] FILE|FOLDER...

Reads the thermal images the camera saves (IMG_NNNN.bmp) and writes, for each,
beside it or under --out DIR:
  --csv            the temperatures: 256 rows of 192 values, two decimals,
                   after a one-line header naming the unit
  --tiff           the raw temperature words as a 16-bit greyscale TIFF
                   (1/16 K; degrees Celsius = value * 0.0625 - 273.15)
  --png            the false-colour picture in the palette stored in the file,
                   with its colour bar and the maximum, minimum and centre marked
  --json           the stored summary (maximum, minimum, centre, emissivity,
                   unit, palette, marker positions) and statistics (mean, min,
                   max, standard deviation) of the whole frame and of each
                   --box and --spot
With no format option, prints a one-line summary of each image.

Options:
  --unit C|F|K     unit of the temperatures (default C)
  --scale N        enlargement of the PNG picture, 1 to 8 (default 2)
  --box X,Y,W,H    statistics of a rectangle of the frame in the JSON
                   (frame pixels: X 0..191 from the left, Y 0..255 from the top)
  --spot X,Y       the reading of one frame pixel in the JSON
  --out DIR        write under DIR (created when missing) instead of beside
                   each image
  --jobs N         images exported at once (default: the number of cores)
  -h, --help       this text
  --version        the program's version

Folders are searched, with their subfolders, for IMG_*.bmp. A file that is
not a saved thermal image is named with the reason and skipped; no output is
ever left half written.

Exit status: 0 when every image was exported, 1 when any file was skipped or
could not be written, 2 on a usage error, 130 when interrupted (the images
under way are finished, no other is begun).
)";

struct Job {
    QString path;      // as the user gave it or as found in a folder
    QString outStem;   // output path without the extension
    QString skipped;   // why it is not even read
    bool interrupted = false;
    exporter::Result result;
};

int usageError(const QString &message)
{
    std::fprintf(stderr, "norvik7-export: %s\nTry 'norvik7-export --help'.\n", qPrintable(message));
    return 2;
}

bool parseInts(const QString &text, int count, std::vector<int> *out)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return false;
    out->clear();
    for (const QString &part : parts) {
        bool ok = false;
        out->push_back(part.trimmed().toInt(&ok));
        if (!ok)
            return false;
    }
    return true;
}

// Files in the order given, folders walked for IMG_*.bmp (sorted), each
// file once; problems found on the way are reported in `problems`.
std::vector<Job> collect(const QStringList &inputs, const QString &outDir, QStringList *problems)
{
    std::vector<Job> jobs;
    QHash<QString, int> seen;        // canonical path -> job
    QHash<QString, QString> stems;   // output stem -> the image writing it
    auto add = [&](const QString &path) {
        const QFileInfo info(path);
        const QString canonical = info.canonicalFilePath();
        if (seen.contains(canonical))
            return;
        seen.insert(canonical, int(jobs.size()));
        Job job;
        job.path = path;
        job.outStem = (outDir.isEmpty() ? info.path() : outDir) + QLatin1Char('/') + info.completeBaseName();
        const QString key = QFileInfo(job.outStem).absoluteFilePath();
        if (stems.contains(key))
            job.skipped = QStringLiteral("its outputs would replace those of %1 (same name)").arg(stems.value(key));
        else
            stems.insert(key, path);
        jobs.push_back(job);
    };
    for (const QString &input : inputs) {
        const QFileInfo info(input);
        if (!info.exists()) {
            Job job;
            job.path = input;
            job.skipped = QStringLiteral("no such file or folder");
            jobs.push_back(job);
        } else if (info.isDir()) {
            QStringList found;
            QDirIterator it(input, {QStringLiteral("IMG_*.bmp")}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext())
                found << it.next();
            std::sort(found.begin(), found.end());
            if (found.isEmpty())
                *problems << QStringLiteral("%1: no saved images (IMG_*.bmp) in this folder").arg(input);
            for (const QString &path : found)
                add(path);
        } else {
            add(input);
        }
    }
    return jobs;
}

void drawProgress(int done, int total)
{
    constexpr int kWidth = 40;
    const int filled = total ? done * kWidth / total : kWidth;
    std::fprintf(stderr, "\r[%s%s] %d/%d", std::string(filled, '#').c_str(), std::string(kWidth - filled, ' ').c_str(),
                 done, total);
    std::fflush(stderr);
}

// Set by Ctrl-C or a termination request: the images under way are
// finished, no other is begun.
std::atomic<int> stopRequested{0};   // lock-free: safe in a signal handler

void requestStop(int) { stopRequested = 1; }

// Exports every job on `workers` threads; the calling thread draws the
// progress bar when `progress` is set.
void run(std::vector<Job> &jobs, const exporter::Options &options, int workers, bool progress)
{
    struct sigaction stop {};
    stop.sa_handler = requestStop;
    stop.sa_flags = SA_RESETHAND;   // a second one ends the program at once
    sigaction(SIGINT, &stop, nullptr);
    sigaction(SIGTERM, &stop, nullptr);
    std::atomic<size_t> next{0};
    std::mutex lock;
    std::condition_variable changed;
    int done = 0;
    auto work = [&] {
        for (size_t i = next++; i < jobs.size(); i = next++) {
            Job &job = jobs[i];
            if (stopRequested)
                job.interrupted = true;
            else if (job.skipped.isEmpty())
                job.result = exporter::exportImage(job.path, job.outStem, options);
            else
                job.result.error = job.skipped;
            std::lock_guard<std::mutex> g(lock);
            ++done;
            changed.notify_one();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < workers; ++t)
        threads.emplace_back(work);
    const int total = int(jobs.size());
    {
        std::unique_lock<std::mutex> g(lock);
        int shown = -1;
        while (done < total) {
            if (progress && shown != done) {
                shown = done;
                g.unlock();
                drawProgress(shown, total);
                g.lock();
            }
            changed.wait_for(g, std::chrono::milliseconds(100));
        }
    }
    for (std::thread &t : threads)
        t.join();
    if (progress)
        std::fputs("\r\033[K", stderr);
}

void printTable(const std::vector<Job> &jobs)
{
    int width = 5;
    for (const Job &job : jobs)
        if (!job.result.written.isEmpty())
            width = std::max(width, int(job.path.size()));
    std::printf("%-*s  %s\n", width, "Image", "Written");
    int images = 0, files = 0;
    for (const Job &job : jobs) {
        const QStringList &w = job.result.written;
        if (w.isEmpty())
            continue;
        QString line = w.first();
        for (int i = 1; i < w.size(); ++i)
            line += QStringLiteral(", .") + QFileInfo(w[i]).suffix();
        std::printf("%-*s  %s\n", width, qPrintable(job.path), qPrintable(line));
        ++images;
        files += int(w.size());
    }
    std::printf("%d image%s exported, %d file%s written\n", images, images == 1 ? "" : "s", files,
                files == 1 ? "" : "s");
}

}   // namespace

int main(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption csv("csv"), tiff("tiff"), png("png"), json("json"), help(QStringList{"h", "help"}),
        version("version");
    const QCommandLineOption unit("unit", "", "C|F|K", "C"), scale("scale", "", "N", "2"), box("box", "", "X,Y,W,H"),
        spot("spot", "", "X,Y"), out("out", "", "DIR"), jobsOption("jobs", "", "N");
    parser.addOptions({csv, tiff, png, json, help, version, unit, scale, box, spot, out, jobsOption});
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        std::fputs(kHelp, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("norvik7-export %s\n", NORVIK7_VERSION);
        return 0;
    }

    exporter::Options options;
    options.csv = parser.isSet(csv);
    options.tiff = parser.isSet(tiff);
    options.png = parser.isSet(png);
    options.json = parser.isSet(json);
    const QString unitText = parser.value(unit).toUpper();
    if (unitText == QLatin1String("C"))
        options.unit = exporter::Unit::Celsius;
    else if (unitText == QLatin1String("F"))
        options.unit = exporter::Unit::Fahrenheit;
    else if (unitText == QLatin1String("K"))
        options.unit = exporter::Unit::Kelvin;
    else
        return usageError(QStringLiteral("--unit takes C, F or K, not '%1'").arg(parser.value(unit)));
    bool ok = false;
    options.scale = parser.value(scale).toInt(&ok);
    if (!ok || options.scale < 1 || options.scale > 8)
        return usageError(
            QStringLiteral("--scale takes a whole number from 1 to 8, not '%1'").arg(parser.value(scale)));
    std::vector<int> v;
    for (const QString &text : parser.values(box)) {
        if (!parseInts(text, 4, &v) || v[0] < 0 || v[1] < 0 || v[2] < 1 || v[3] < 1 || v[0] + v[2] > 192 ||
            v[1] + v[3] > 256)
            return usageError(QStringLiteral("--box %1 is not X,Y,W,H inside the 192 x 256 frame").arg(text));
        options.regions.push_back({false, v[0], v[1], v[2], v[3]});
    }
    for (const QString &text : parser.values(spot)) {
        if (!parseInts(text, 2, &v) || v[0] < 0 || v[1] < 0 || v[0] >= 192 || v[1] >= 256)
            return usageError(QStringLiteral("--spot %1 is not X,Y inside the 192 x 256 frame").arg(text));
        options.regions.push_back({true, v[0], v[1], 1, 1});
    }
    if (!options.regions.empty() && !options.json)
        return usageError(QStringLiteral("--box and --spot give their statistics in the JSON: add --json"));
    int workers = int(std::max(1u, std::thread::hardware_concurrency()));
    if (parser.isSet(jobsOption)) {
        workers = parser.value(jobsOption).toInt(&ok);
        if (!ok || workers < 1 || workers > 256)
            return usageError(QStringLiteral("--jobs takes a whole number from 1 to 256"));
    }
    const QStringList inputs = parser.positionalArguments();
    if (inputs.isEmpty())
        return usageError(QStringLiteral("no image or folder given"));
    const QString outDir = parser.value(out);
    if (parser.isSet(out) && !QDir().mkpath(outDir)) {
        std::fprintf(stderr, "norvik7-export: cannot make the folder %s\n", qPrintable(outDir));
        return 1;
    }

    // Text on the PNG needs the font machinery of a GUI application; it never
    // opens a window, so it needs no display.
    // Qt's own notes (a runtime folder missing, fonts) are not the user's business.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type == QtFatalMsg)
            std::fprintf(stderr, "norvik7-export: %s\n", qPrintable(message));
    });
    std::unique_ptr<QCoreApplication> app;
    if (options.png) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }

    QStringList problems;
    std::vector<Job> jobs = collect(inputs, outDir, &problems);
    workers = std::max(1, std::min(workers, int(jobs.size())));
    run(jobs, options, workers, !jobs.empty() && isatty(STDERR_FILENO));

    if (options.anyFormat()) {
        printTable(jobs);
    } else {
        for (const Job &job : jobs)
            if (job.result.error.isEmpty())
                std::printf("%s: %s\n", qPrintable(job.path), qPrintable(job.result.info));
    }
    std::fflush(stdout);
    int skipped = 0, interrupted = 0;
    for (const Job &job : jobs)
        if (job.interrupted) {
            ++interrupted;
        } else if (!job.result.error.isEmpty()) {
            std::fprintf(stderr, "norvik7-export: %s: skipped: %s\n", qPrintable(job.path),
                         qPrintable(job.result.error));
            ++skipped;
        }
    for (const QString &problem : problems)
        std::fprintf(stderr, "norvik7-export: %s\n", qPrintable(problem));
    if (interrupted) {
        std::fprintf(stderr, "norvik7-export: interrupted, %d image%s not exported\n", interrupted,
                     interrupted == 1 ? "" : "s");
        return 130;
    }
    return skipped || !problems.isEmpty() ? 1 : 0;
}
