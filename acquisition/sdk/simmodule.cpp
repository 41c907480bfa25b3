// The simulated infrared module: a 256 x 192 microbolometer core behind the
// SDK calls of irsdk.h.
//
// Physics, in short. Every pixel receives the radiance of what it looks at
// (emissivity times its own emission plus the reflected room, through a
// little air); radiance is modelled as (T / 300 K)^4. The detector turns
// radiance into 14-bit counts with a responsivity that depends on the core's
// own temperature, adds noise (about 50 mK) and a slowly drifting offset that
// a shutter correction removes. That count stream is the grey half of the
// frame. The module then converts counts into temperatures the way a
// radiometric core does: the kt and bt tables (indexed by the core
// temperature read from its reference sensor) turn counts into a nuc value,
// the nuc-t table turns a nuc value into an apparent temperature, and the
// object parameters (emissivity, reflected temperature, distance) turn that
// into the object temperature, in 1/64 K: the temperature half.
// The factory tables carry a small gain and offset error that the
// recalibration calls remove.

#include "acquisition/sdk/irsdk.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/sdk/simscene.h"
#include "board/board.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cerrno>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <utility>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace irsim {
namespace {

constexpr int kWidth = 256;
constexpr int kHalfHeight = 192;
constexpr int kPixels = kWidth * kHalfHeight;
constexpr int kFrameWords = kPixels * 2;
constexpr long kFrameBytes = kFrameWords * 2;
constexpr double kNominalFrameSeconds = 0.04;
constexpr double kKelvin = 273.15;
constexpr int kMaxCount = 16383;

constexpr uint16_t kVid = 0x0BDA;
constexpr uint16_t kPid = 0x5840;

// Radiance in units of a 300 K blackbody's.
inline double radiance(double kelvin)
{
    const double x = kelvin / 300.0;
    return x * x * x * x;
}
inline double kelvinOf(double w) { return w > 0 ? 300.0 * std::sqrt(std::sqrt(w)) : 0.0; }
inline double transmission(double metres) { return std::exp(-0.008 * std::max(0.0, metres)); }

// What distinguishes the two gains.
struct GainModel {
    double responsivity;   // counts per unit radiance at a 30 degree core
    double countMid;       // counts of a scene at the core's own temperature
    double wMin, wMax;     // radiance at nuc value 0 and 8191
    double minC, maxC;     // reported range
    double noiseCounts;
    double ktError, btError;   // the factory tables' error
    double nucPerRadiance() const { return (TPD_NUC_T_LEN - 1) / (wMax - wMin); }
};

const GainModel kGains[2] = {
    // low gain: 0..550 degrees
    {260.0, 400.0, 0.30, 64.0, 0.0, 550.0, 0.6, 0.006, 1.5},
    // high gain: -20..150 degrees
    {4300.0, 2900.0, 0.30, 4.40, -20.0, 150.0, 2.9, 0.012, 8.0},
};

// Core temperature and its reference sensor.
constexpr double kVtempPerDegree = 100.0;
constexpr double kVtempAtZero = 5500.0;
double coreCelsius(double t) { return 29.0 + 7.0 * (1.0 - std::exp(-t / 600.0)); }
uint16_t vtempOf(double coreC) { return static_cast<uint16_t>(std::lround(kVtempAtZero + kVtempPerDegree * coreC)); }
double coreOfVtemp(uint16_t v) { return (v - kVtempAtZero) / kVtempPerDegree; }
double responsivity(const GainModel &g, double coreC) { return g.responsivity * (1.0 - 0.004 * (coreC - 30.0)); }

// Offset drift in high-gain counts: slow and not quite periodic.
double drift(double t) { return 30.0 * std::sin(2 * 3.14159265358979 * t / 420.0) + 0.12 * t; }
constexpr double kAutoShutterSeconds = 60.0;

// bt is kept in eighths of a nuc value, so that an offset set by a
// recalibration is not rounded to a whole one.
constexpr int kBtScale = 8;

struct Tables {
    std::array<uint16_t, TPD_KT_BT_LEN> kt{};
    std::array<int16_t, TPD_KT_BT_LEN> bt{};
    std::array<uint16_t, TPD_NUC_T_LEN> nuc{};
};

uint16_t kelvinWord(double k) { return static_cast<uint16_t>(std::clamp(std::lround(k * 64.0), 0L, 65535L)); }

Tables factoryTables(const GainModel &g)
{
    Tables t;
    const double s = g.nucPerRadiance();
    for (int i = 0; i < TPD_KT_BT_LEN; ++i) {
        const double coreC = -20.0 + i / 10.0;
        const double kt = s / responsivity(g, coreC) * 16384.0 * (1.0 + g.ktError);
        const double bt = ((radiance(coreC + kKelvin) - g.wMin) * s + g.btError) * kBtScale;
        t.kt[i] = static_cast<uint16_t>(std::clamp(std::lround(kt), 1L, 65535L));
        t.bt[i] = static_cast<int16_t>(std::clamp(std::lround(bt), -32768L, 32767L));
    }
    for (int n = 0; n < TPD_NUC_T_LEN; ++n) {
        const double k = kelvinOf(g.wMin + n / s);
        t.nuc[n] = kelvinWord(std::clamp(k, g.minC + kKelvin, g.maxC + kKelvin));
    }
    return t;
}

// ---- the core's flash --------------------------------------------------------------------
// The tables of both gains, kept as a real core keeps them in its flash:
// "N7IRFLSH", a format word, then for gain 0 and gain 1 the kt, bt and nuc-t
// tables as little-endian 16-bit words. Written whole (beside, then renamed),
// read back only when the file is complete and carries the mark.
constexpr char kFlashMark[8] = {'N', '7', 'I', 'R', 'F', 'L', 'S', 'H'};
constexpr uint16_t kFlashFormat = 2;
constexpr size_t kFlashTableWords = 2 * TPD_KT_BT_LEN + TPD_NUC_T_LEN;
constexpr size_t kFlashBytes = sizeof kFlashMark + 2 + 2 * 2 * kFlashTableWords;
constexpr const char *kFlashFile = kFlashBoardPath;

void putWord(std::vector<unsigned char> &out, uint16_t w)
{
    out.push_back(static_cast<unsigned char>(w & 0xFF));
    out.push_back(static_cast<unsigned char>(w >> 8));
}

std::vector<unsigned char> flashImage(const Tables (&t)[2])
{
    std::vector<unsigned char> out(kFlashMark, kFlashMark + sizeof kFlashMark);
    out.reserve(kFlashBytes);
    putWord(out, kFlashFormat);
    for (const Tables &g : t) {
        for (uint16_t k : g.kt)
            putWord(out, k);
        for (int16_t b : g.bt)
            putWord(out, static_cast<uint16_t>(b));
        for (uint16_t n : g.nuc)
            putWord(out, n);
    }
    return out;
}

bool tablesOfFlash(const std::vector<unsigned char> &in, Tables (&t)[2])
{
    if (in.size() != kFlashBytes || std::memcmp(in.data(), kFlashMark, sizeof kFlashMark) != 0)
        return false;
    size_t at = sizeof kFlashMark;
    auto word = [&] {
        const uint16_t w = static_cast<uint16_t>(in[at] | in[at + 1] << 8);
        at += 2;
        return w;
    };
    if (word() != kFlashFormat)
        return false;
    Tables read[2];
    for (Tables &g : read) {
        for (uint16_t &k : g.kt)
            k = word();
        for (int16_t &b : g.bt)
            b = static_cast<int16_t>(word());
        for (uint16_t &n : g.nuc)
            n = word();
    }
    t[0] = read[0];
    t[1] = read[1];
    return true;
}

// Deterministic noise: an approximately normal number of unit deviation.
inline double gaussian(uint64_t key)
{
    uint64_t z = key + 0x9E3779B97F4A7C15ULL;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    const double sum = static_cast<double>(z & 0xFFFF) + static_cast<double>((z >> 16) & 0xFFFF) +
                       static_cast<double>((z >> 32) & 0xFFFF) + static_cast<double>(z >> 48);
    return (sum / 65535.0 - 2.0) * 1.7320508;
}

std::string hostPath(const char *boardPath) { return board::path(QString::fromLatin1(boardPath)).toStdString(); }

std::string readSmallFile(const std::string &path)
{
    std::string out;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buf[512];
        const size_t n = std::fread(buf, 1, sizeof buf, f);
        out.assign(buf, n);
        std::fclose(f);
    }
    return out;
}

// A recording, read whole when it is chosen: frames are then delivered from
// memory at no cost, as a real module delivers them.
struct Recording {
    std::vector<uint16_t> words;   // every frame, host order
    long frames = 0;
    FileStamp stamp;               // of the file when it was read
    const uint16_t *frame(long i) const { return words.data() + i * kFrameWords; }
};

// Where the frame data of a recording starts: an 8-byte header of four
// little-endian words (rows, columns, type, channels) may precede it.
bool openRecording(const std::string &path, Recording *r)
{
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    long offset = 0;
    if (size % kFrameBytes == 8) {
        offset = 8;
    } else if (size % kFrameBytes != 0 && size >= 8) {
        unsigned char h[8] = {};
        std::fseek(f, 0, SEEK_SET);
        if (std::fread(h, 1, 8, f) == 8) {
            const int rows = h[0] | h[1] << 8, cols = h[2] | h[3] << 8;
            if ((rows == 2 * kHalfHeight && cols == kWidth) || (rows == kWidth && cols == 2 * kHalfHeight))
                offset = 8;
        }
    }
    r->frames = size > offset ? (size - offset) / kFrameBytes : 0;
    bool ok = r->frames > 0;
    if (ok) {
        try {
            r->words.assign(static_cast<size_t>(r->frames) * kFrameWords, 0);   // a short read leaves zeros
        } catch (const std::bad_alloc &) {
            std::printf("simulated module: recording \"%s\" does not fit in memory\n", path.c_str());
            ok = false;
        }
    }
    if (ok) {
        std::fseek(f, offset, SEEK_SET);
        const size_t got = std::fread(r->words.data(), 1, r->words.size() * 2, f);
        (void)got;
#if __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
        for (uint16_t &w : r->words)   // little-endian words on any host
            w = static_cast<uint16_t>(w >> 8 | w << 8);
#endif
    }
    std::fclose(f);
    return ok;
}

// The visible sensor's YUYV of two neighbouring pixels. It delivers red and
// blue exchanged: the scene's (b, g, r) is encoded so that the program's
// exchange restores it.
__attribute__((noinline)) void encodePair(const Colour &a, const Colour &b, uint8_t *out)
{
    auto luma = [](const Colour &c) { return 0.299 * c.b + 0.587 * c.g + 0.114 * c.r; };
    const double ya = luma(a), yb = luma(b);
    const double u = ((a.r - ya) + (b.r - yb)) / 2 / 1.734 + 128;
    const double v = ((a.b - ya) + (b.b - yb)) / 2 / 1.371 + 128;
    auto byte = [](double x) { return static_cast<uint8_t>(std::clamp(std::lround(x), 0L, 255L)); };
    out[0] = byte(ya);
    out[1] = byte(u);
    out[2] = byte(yb);
    out[3] = byte(v);
}

// encodePair() of every pair of grey pixels.
struct GreyPairs {
    uint8_t y[256];
    uint8_t u[256][256];
    uint8_t v[256][256];
};

const GreyPairs &greyPairs()
{
    static const std::unique_ptr<GreyPairs> codes = [] {
        auto c = std::make_unique<GreyPairs>();
        for (int a = 0; a < 256; ++a)
            for (int b = 0; b < 256; ++b) {
                const uint8_t ga = static_cast<uint8_t>(a), gb = static_cast<uint8_t>(b);
                uint8_t out[4];
                encodePair({ga, ga, ga}, {gb, gb, gb}, out);
                c->y[a] = out[0];
                c->u[a][b] = out[1];
                c->v[a][b] = out[3];
            }
        return c;
    }();
    return *codes;
}

class Core {
public:
    Core() { powerOn(); }

    std::mutex m;

    // ---- state -----------------------------------------------------------------
    bool initialised = false, opened = false, streaming = false, commandChannel = false;
    int gain = 1;
    uint16_t imageProps[3] = {};
    uint16_t distanceCode = 0, tuKelvin = 0, emsCode = 0;
    bool autoShutter = true;
    int shutterState = 1;
    double lastShutter = 0.0;
    Tables tables[2];
    Tables factory[2];
    std::array<uint16_t, TPD_NUC_T_LEN> report[2];
    bool reportDirty[2] = {true, true};

    long frame = 0;            // frames delivered
    int periodUs = 40000;
    std::chrono::steady_clock::time_point streamStart;

    std::vector<DevCfg_t> deviceOverride;
    bool devicesOverridden = false;
    std::map<std::string, int> forcedResults;
    std::vector<std::string> log;
    std::vector<std::unique_ptr<uint8_t[]>> frameBuffers;

    // ---- scene ---------------------------------------------------------------------
    std::unique_ptr<Scene> scene;
    std::unique_ptr<Recording> recording;
    FileStamp sceneFileStamp;
    FileWatch sceneWatch;
    std::string sceneFile;
    // "/sim/ir_module" saying "absent" while streaming: the module has left
    // the bus, and frames stop until it says otherwise.
    FileWatch moduleWatch;
    std::string moduleFile;
    bool unplugged = false;
    std::vector<float> staticRadiance;     // what each pixel receives, without the person
    std::vector<uint8_t> foregroundMask;   // something stands in front of the person
    std::vector<float> frameRadiance;
    std::vector<float> driftShape;
    std::vector<uint16_t> lastRaw;         // the last frame delivered, unless it is
    long lastReplayed = -1;                // this frame of the recording
    // What the visible camera showed of each frame of the recording, and of
    // a scene without anybody moving in it (empty until shown).
    std::map<long, std::vector<uint8_t>> visibleOfReplay;
    std::vector<uint8_t> visibleOfStill;
    // The visible camera's view of the same scene.
    std::vector<Colour> visibleStatic;
    std::vector<uint8_t> visibleForeground;
    std::vector<float> visibleX, visibleY;  // portrait position of every visible pixel
    std::vector<int32_t> visibleRawIndex;   // the grey word a replay shows there, -1 outside

    void powerOn()
    {
        initialised = opened = streaming = commandChannel = false;
        gain = 1;
        imageProps[IMAGE_PROP_LEVEL_TNR] = 2;
        imageProps[IMAGE_PROP_LEVEL_SNR] = 1;
        imageProps[IMAGE_PROP_LEVEL_DDE] = 1;
        distanceCode = 64;
        tuKelvin = 298;
        emsCode = 128;
        autoShutter = true;
        shutterState = 1;
        lastShutter = 0.0;
        for (int g = 0; g < 2; ++g) {
            factory[g] = factoryTables(kGains[g]);
            tables[g] = factory[g];
            reportDirty[g] = true;
        }
        frame = 0;
        periodUs = 40000;
        deviceOverride.clear();
        devicesOverridden = false;
        forcedResults.clear();
        log.clear();
        scene.reset();
        recording.reset();
        lastReplayed = -1;
        visibleOfReplay.clear();
        sceneFileStamp = {};
        sceneWatch = FileWatch();
        moduleWatch = FileWatch();
        unplugged = false;
        lastRaw.assign(kFrameWords, 0);
        if (driftShape.empty()) {
            driftShape.resize(kPixels);
            for (int y = 0; y < kHalfHeight; ++y)
                for (int x = 0; x < kWidth; ++x) {
                    const double dx = (x - 127.5) / 128.0, dy = (y - 95.5) / 96.0;
                    driftShape[y * kWidth + x] = static_cast<float>(1.0 + 0.35 * (dx * dx + dy * dy));
                }
        }
    }

    double sceneTime() const { return frame * kNominalFrameSeconds; }

    // Power-up: the tables of the flash when the board holds a complete one,
    // else the factory's.
    void loadFlash()
    {
        tables[0] = factory[0];
        tables[1] = factory[1];
        if (board::isSimulated()) {
            std::vector<unsigned char> bytes;
            if (FILE *f = std::fopen(hostPath(kFlashFile).c_str(), "rb")) {
                bytes.resize(kFlashBytes + 1);
                bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
                std::fclose(f);
            }
            if (!bytes.empty() && !tablesOfFlash(bytes, tables))
                std::printf("simulated module: flash %s unreadable, factory tables in use\n", kFlashFile);
        }
        parametersChanged();
    }

    // The tables in use become the flash's, whole or not at all.
    void saveFlash()
    {
        if (!board::isSimulated())
            return;
        const std::string path = hostPath(kFlashFile);
        const std::string part = path + ".part";
        const std::vector<unsigned char> bytes = flashImage(tables);
        FILE *f = std::fopen(part.c_str(), "wb");
        bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
        if (f)
            ok = std::fclose(f) == 0 && ok;
        if (!ok || std::rename(part.c_str(), path.c_str()) != 0) {
            std::remove(part.c_str());
            std::printf("simulated module: cannot write flash %s\n", kFlashFile);
        }
    }

    void record(const char *fmt, ...) __attribute__((format(printf, 2, 3)))
    {
        char line[160];
        va_list ap;
        va_start(ap, fmt);
        std::vsnprintf(line, sizeof line, fmt, ap);
        va_end(ap);
        log.emplace_back(line);
    }

    // A result forced by a test, or `normal`.
    int result(const char *call, int normal) const
    {
        const auto it = forcedResults.find(call);
        return it == forcedResults.end() ? normal : it->second;
    }

    // ---- object parameters -------------------------------------------------------------

    double emissivity() const { return std::max<uint16_t>(emsCode, 1) / 128.0; }
    double distanceM() const { return distanceCode / 128.0; }
    static constexpr double kAtmosphereK = 25.0 + kKelvin;   // the module assumes 25 degree air

    // Object temperature (kelvin) of an apparent temperature, and back.
    double objectOf(double apparentK) const
    {
        const double tau = transmission(distanceM()), e = emissivity();
        const double w = (radiance(apparentK) - (1 - tau) * radiance(kAtmosphereK) -
                          tau * (1 - e) * radiance(tuKelvin)) / (tau * e);
        return kelvinOf(w);
    }
    double apparentOf(double objectK) const
    {
        const double tau = transmission(distanceM()), e = emissivity();
        const double w = tau * (e * radiance(objectK) + (1 - e) * radiance(tuKelvin)) +
                         (1 - tau) * radiance(kAtmosphereK);
        return kelvinOf(w);
    }
    // How a blackbody at the set distance looks to the module.
    double apparentOfBlackbody(double objectK) const
    {
        const double tau = transmission(distanceM());
        return kelvinOf(tau * radiance(objectK) + (1 - tau) * radiance(kAtmosphereK));
    }

    const std::array<uint16_t, TPD_NUC_T_LEN> &reportTable(int g)
    {
        if (reportDirty[g]) {
            const GainModel &gm = kGains[g];
            for (int n = 0; n < TPD_NUC_T_LEN; ++n) {
                const double k = objectOf(tables[g].nuc[n] / 64.0);
                report[g][n] = kelvinWord(std::clamp(k, gm.minC + kKelvin, gm.maxC + kKelvin));
            }
            reportDirty[g] = false;
        }
        return report[g];
    }
    void parametersChanged() { reportDirty[0] = reportDirty[1] = true; }

    // ---- scene -----------------------------------------------------------------------

    void chooseScene(const std::string &text)
    {
        SceneChoice c = SceneChoice::parse(text);
        if (!c.valid) {
            std::printf("simulated module: unknown scene \"%s\", keeping the current one\n", text.c_str());
            if (scene)
                return;
            c = SceneChoice::parse("office");
        }
        if (scene && scene->choice() == c)
            return;
        dropRecording();
        if (c.kind == SceneKind::Replay) {
            auto r = std::make_unique<Recording>();
            r->stamp = stampOf(c.path);
            if (openRecording(c.path, r.get())) {
                recording = std::move(r);
            } else {
                std::printf("simulated module: cannot replay \"%s\", showing the office\n", c.path.c_str());
                c = SceneChoice::parse("office");
            }
        }
        scene = std::make_unique<Scene>(c);
        prepareScene();
    }

    // At stream start: NORVIK7_SCENE, else the board's scene file, else the office.
    void chooseStartScene()
    {
        sceneFile = hostPath("/sim/scene");
        sceneWatch = FileWatch(sceneFile);   // before the stamp, so no change falls between
        moduleFile = hostPath("/sim/ir_module");
        moduleWatch = FileWatch(moduleFile);
        unplugged = false;
        sceneFileStamp = stampOf(sceneFile);
        const char *env = std::getenv("NORVIK7_SCENE");
        if (env && *env)
            chooseScene(env);
        else if (sceneFileStamp.exists)
            chooseScene(readSmallFile(sceneFile));
        else
            chooseScene("office");
    }

    // A recording rewritten while it plays is read again when it comes round
    // to its first frame; one that can no longer be read keeps playing as it was.
    void followRecording()
    {
        if (!recording || (frame - 1) % recording->frames != 0)
            return;
        const std::string &path = scene->choice().path;
        const FileStamp now = stampOf(path);
        if (now == recording->stamp)
            return;
        auto r = std::make_unique<Recording>();
        r->stamp = now;
        if (!openRecording(path, r.get())) {
            recording->stamp = now;
            return;
        }
        dropRecording();
        recording = std::move(r);
    }

    // The scene file is looked at before every frame; a change switches to it.
    void followModuleFile()
    {
        if (moduleWatch.mayHaveChanged())
            unplugged = readSmallFile(moduleFile).compare(0, 6, "absent") == 0;
    }

    void followSceneFile()
    {
        if (!sceneWatch.mayHaveChanged())
            return;
        const FileStamp now = stampOf(sceneFile);
        if (now == sceneFileStamp)
            return;
        sceneFileStamp = now;
        if (now.exists) {
            const std::string text = readSmallFile(sceneFile);
            if (text.find_first_not_of(" \t\r\n") != std::string::npos)
                chooseScene(text);
        }
    }

    double receivedRadiance(const Surface &s) const
    {
        const double tau = transmission(scene->distanceM());
        const double room = radiance(scene->roomC() + kKelvin);
        return tau * (s.emissivity * radiance(s.tempC + kKelvin) + (1 - s.emissivity) * room) + (1 - tau) * room;
    }

    // Sensor pixel (x, y) sees portrait point (191 - y, x): the picture is
    // turned a quarter clockwise for the portrait screen.
    static double portraitX(int y) { return kHalfHeight - 1 - y + 0.5; }
    static double portraitY(int x) { return x + 0.5; }

    void prepareScene()
    {
        staticRadiance.assign(kPixels, 0.f);
        foregroundMask.assign(kPixels, 0);
        frameRadiance.assign(kPixels, 0.f);
        for (int y = 0; y < kHalfHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                Surface s;
                const double px = portraitX(y), py = portraitY(x);
                const bool fg = scene->foreground(px, py, &s);
                if (!fg)
                    s = scene->background(px, py);
                staticRadiance[y * kWidth + x] = static_cast<float>(receivedRadiance(s));
                foregroundMask[y * kWidth + x] = fg;
            }
        // The visible camera: its 320 x 240 pixels, turned a quarter clockwise
        // and enlarged by 1.1, show the infrared view 36 and 48 pixels in.
        const int vn = kVisibleWidth * kVisibleHeight;
        visibleStatic.assign(vn, Colour{});
        visibleForeground.assign(vn, 0);
        visibleX.assign(vn, 0.f);
        visibleY.assign(vn, 0.f);
        visibleRawIndex.assign(vn, -1);
        visibleOfStill.clear();
        for (int ys = 0; ys < kVisibleHeight; ++ys)
            for (int xs = 0; xs < kVisibleWidth; ++xs) {
                const int i = ys * kVisibleWidth + xs;
                const double ux = kVisibleHeight - 1 - ys, uy = xs;
                const double px = (ux + 0.5) * 1.1 - 36.0, py = (uy + 0.5) * 1.1 - 48.0;
                visibleX[i] = static_cast<float>(px);
                visibleY[i] = static_cast<float>(py);
                const int rx = static_cast<int>(visibleX[i]), ry = static_cast<int>(visibleY[i]);
                visibleRawIndex[i] =
                    rx < 0 || rx >= kHalfHeight || ry < 0 || ry >= kWidth ? -1 : (kHalfHeight - 1 - rx) * kWidth + ry;
                Surface s;
                const bool fg = scene->foreground(px, py, &s);
                if (!fg)
                    s = scene->background(px, py);
                visibleStatic[i] = s.colour;
                visibleForeground[i] = fg;
            }
    }

    // ---- frames ----------------------------------------------------------------------

    void makeFrame(uint16_t *out)
    {
        const double t = sceneTime();
        if (autoShutter && t - lastShutter >= kAutoShutterSeconds)
            lastShutter = t;
        uint16_t *image = out;
        uint16_t *temp = out + kPixels;
        const GainModel &g = kGains[gain];
        const SceneKind kind = scene->choice().kind;

        if (kind == SceneKind::Replay) {
            // The last frame delivered stays where it is, in the recording.
            lastReplayed = (frame - 1) % recording->frames;
            std::memcpy(out, recording->frame(lastReplayed), kFrameBytes);
            return;
        }
        lastReplayed = -1;
        if (kind == SceneKind::Flat) {
            const double c = std::clamp(scene->choice().tempC, g.minC, g.maxC);
            const double counts = g.countMid + g.responsivity * (radiance(c + kKelvin) - radiance(30.0 + kKelvin));
            std::fill(image, image + kPixels,
                      static_cast<uint16_t>(std::clamp(std::lround(counts), 0L, static_cast<long>(kMaxCount))));
            std::fill(temp, temp + kPixels, kelvinWord(c + kKelvin));
        } else {
            renderRadiometric(t, g, image, temp);
        }
        std::memcpy(lastRaw.data(), out, kFrameBytes);
    }

    // The last frame delivered.
    const uint16_t *lastFrame() const { return lastReplayed >= 0 ? recording->frame(lastReplayed) : lastRaw.data(); }

    // The recording is about to go: the last frame delivered moves out of it,
    // and what was rendered from its frames goes.
    void dropRecording()
    {
        if (lastReplayed >= 0)
            std::memcpy(lastRaw.data(), recording->frame(lastReplayed), kFrameBytes);
        lastReplayed = -1;
        visibleOfReplay.clear();
        recording.reset();
    }

    void renderRadiometric(double t, const GainModel &g, uint16_t *image, uint16_t *temp)
    {
        std::memcpy(frameRadiance.data(), staticRadiance.data(), kPixels * sizeof(float));
        const Box pb = scene->personBox(t);
        if (pb.x1 > pb.x0) {
            // Portrait x is 191 - y, portrait y is x.
            const int x0 = std::max(0, static_cast<int>(pb.y0)), x1 = std::min(kWidth, static_cast<int>(pb.y1) + 1);
            const int y0 = std::max(0, static_cast<int>(kHalfHeight - 1 - pb.x1)),
                      y1 = std::min(kHalfHeight, static_cast<int>(kHalfHeight - pb.x0) + 1);
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x) {
                    const int i = y * kWidth + x;
                    Surface s;
                    if (!foregroundMask[i] && scene->person(portraitX(y), portraitY(x), t, &s))
                        frameRadiance[i] = static_cast<float>(receivedRadiance(s));
                }
        }
        const double coreC = coreCelsius(t);
        const double r = responsivity(g, coreC);
        const double wCore = radiance(coreC + kKelvin);
        const double base = g.countMid - r * wCore;
        const double residual = (drift(t) - drift(lastShutter)) * r / kGains[1].responsivity;
        // kt and bt between the two table entries around the reference reading.
        const double at = std::clamp((coreOfVtemp(vtempOf(coreC)) + 20.0) * 10.0, 0.0, TPD_KT_BT_LEN - 1.0);
        const int ti = std::min(static_cast<int>(at), TPD_KT_BT_LEN - 2);
        const double tf = at - ti;
        const Tables &tb = tables[gain];
        const int kt = static_cast<int>(std::lround(tb.kt[ti] * (1 - tf) + tb.kt[ti + 1] * tf));
        const int btFixed =
            static_cast<int>(std::lround((tb.bt[ti] * (1 - tf) + tb.bt[ti + 1] * tf) * (1 << 14) / kBtScale));
        const int mid = static_cast<int>(std::lround(g.countMid));
        const uint16_t *rep = reportTable(gain).data();
        const uint64_t frameKey = static_cast<uint64_t>(frame) * kPixels;
        for (int i = 0; i < kPixels; ++i) {
            const double c = base + r * frameRadiance[i] + residual * driftShape[i] + g.noiseCounts * gaussian(frameKey + i);
            const int counts = static_cast<int>(std::clamp(std::lround(c), 0L, static_cast<long>(kMaxCount)));
            image[i] = static_cast<uint16_t>(counts);
            // The nuc value keeps its fraction: the temperature lies between
            // two entries of the table, not on one of them.
            const int nuc = std::clamp((counts - mid) * kt + btFixed, 0, (TPD_NUC_T_LEN - 1) << 14);
            const int n = std::min(nuc >> 14, TPD_NUC_T_LEN - 2), f = nuc - (n << 14);
            temp[i] = static_cast<uint16_t>(rep[n] + (((rep[n + 1] - rep[n]) * f + (1 << 13)) >> 14));
        }
    }

    // ---- the visible camera's picture -------------------------------------------------------

    void renderVisible(uint8_t *yuyv)
    {
        if (!scene)
            chooseStartScene();
        if (scene->choice().kind == SceneKind::Replay) {
            renderReplayVisible(yuyv);
            return;
        }
        const int vn = kVisibleWidth * kVisibleHeight;
        const double t = sceneTime();
        const Box pb = scene->personBox(t);
        // Nobody in the scene: it looks the same at any time, rendered once.
        const bool still = !(pb.x1 > pb.x0);
        if (still && !visibleOfStill.empty()) {
            std::memcpy(yuyv, visibleOfStill.data(), visibleOfStill.size());
            return;
        }
        auto colourAt = [&](int i) -> Colour {
            Surface s;
            if (!visibleForeground[i] && pb.contains(visibleX[i], visibleY[i]) &&
                scene->person(visibleX[i], visibleY[i], t, &s))
                return s.colour;
            return visibleStatic[i];
        };
        for (int i = 0; i < vn; i += 2)
            encodePair(colourAt(i), colourAt(i + 1), yuyv + 2 * i);
        if (still)
            visibleOfStill.assign(yuyv, yuyv + 2 * vn);
    }

    // A replay shows the recorded grey half as luma; what a frame of the
    // recording looks like is rendered once.
    void renderReplayVisible(uint8_t *yuyv)
    {
        constexpr size_t kBytes = kVisibleWidth * kVisibleHeight * 2;
        constexpr size_t kMostKept = 128;   // 20 MB
        if (lastReplayed >= 0) {
            const auto it = visibleOfReplay.find(lastReplayed);
            if (it != visibleOfReplay.end()) {
                std::memcpy(yuyv, it->second.data(), kBytes);
                return;
            }
        }
        const uint16_t *raw = lastFrame();
        const auto mm = std::minmax_element(raw, raw + kPixels);
        const int lo = *mm.first;
        const int range = std::max(*mm.second - lo, 1);   // a flat grey half, even at 65,535, is not divided by 0
        const GreyPairs &codes = greyPairs();
        const int vn = kVisibleWidth * kVisibleHeight;
        auto valueAt = [&](int i) -> uint8_t {
            const int at = visibleRawIndex[i];
            return at < 0 ? 40 : static_cast<uint8_t>((raw[at] - lo) * 255 / range);
        };
        for (int i = 0; i < vn; i += 2) {
            const uint8_t a = valueAt(i), b = valueAt(i + 1);
            uint8_t *out = yuyv + 2 * i;
            out[0] = codes.y[a];
            out[1] = codes.u[a][b];
            out[2] = codes.y[b];
            out[3] = codes.v[a][b];
        }
        if (lastReplayed >= 0 && visibleOfReplay.size() < kMostKept)
            visibleOfReplay.emplace(lastReplayed, std::vector<uint8_t>(yuyv, yuyv + kBytes));
    }

    // ---- recalibration helpers ----------------------------------------------------------------

    // The first nuc value whose temperature reaches `kelvin`, with a fraction.
    static double nucOf(const uint16_t *nuc, int len, double kelvin)
    {
        const double w = kelvin * 64.0;
        if (w <= nuc[0])
            return 0;
        for (int n = 1; n < len; ++n)
            if (nuc[n] >= w) {
                const double span = nuc[n] - nuc[n - 1];
                return span > 0 ? n - 1 + (w - nuc[n - 1]) / span : n;
            }
        return len - 1;
    }
};

Core &core()
{
    static Core c;
    return c;
}

bool envPlausible(const EnvCorrectParam_t *env)
{
    return env && env->ems > 0.0f && env->ems <= 1.0f && env->dist >= 0.0f && env->hum >= 0.0f && env->hum <= 1.0f;
}

}  // namespace

long readRecording(const std::string &hostPath, std::vector<uint16_t> *words)
{
    Recording r;
    if (!openRecording(hostPath, &r))
        return 0;
    *words = std::move(r.words);
    return r.frames;
}

FileWatch::FileWatch(const std::string &hostPath)
{
    const size_t slash = hostPath.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : hostPath.substr(0, slash + 1);
    m_name = slash == std::string::npos ? hostPath : hostPath.substr(slash + 1);
    m_fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    const uint32_t events = IN_CREATE | IN_DELETE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                            IN_ATTRIB | IN_DELETE_SELF | IN_MOVE_SELF;
    if (::inotify_add_watch(m_fd, folder.c_str(), events) < 0)
        close();
}

FileWatch::~FileWatch() { close(); }

FileWatch::FileWatch(FileWatch &&other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_name(std::move(other.m_name)), m_pending(other.m_pending)
{
}

FileWatch &FileWatch::operator=(FileWatch &&other) noexcept
{
    if (this != &other) {
        close();
        m_fd = std::exchange(other.m_fd, -1);
        m_name = std::move(other.m_name);
        m_pending = other.m_pending;
    }
    return *this;
}

void FileWatch::close()
{
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}

bool FileWatch::mayHaveChanged()
{
    if (m_fd < 0)
        return true;
    bool changed = std::exchange(m_pending, false);
    alignas(inotify_event) char buf[4096];
    for (;;) {
        const ssize_t n = ::read(m_fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;   // nothing more to read
        for (const char *p = buf; p < buf + n;) {
            const auto *e = reinterpret_cast<const inotify_event *>(p);
            if (e->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) {
                close();   // the folder itself went: no more notices, so look every time
                return true;
            }
            if ((e->mask & IN_Q_OVERFLOW) || (e->len && m_name == e->name))
                changed = true;
            p += sizeof(inotify_event) + e->len;
        }
    }
    return changed;
}

FileStamp stampOf(const std::string &path)
{
    FileStamp s;
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return s;
    s.exists = true;
    s.mtimeNs = static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
    s.size = st.st_size;
    s.inode = st.st_ino;
    return s;
}

// ---- controls --------------------------------------------------------------------------------

void reset()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.powerOn();
}

void setFramePeriodUs(int us)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.periodUs = std::max(0, us);
}

void setDevices(const std::vector<DevCfg_t> &devices)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.deviceOverride = devices;
    c.devicesOverridden = true;
}

void setCallResult(const std::string &call, int result)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.forcedResults[call] = result;
}

std::vector<std::string> calls()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.log;
}

void clearCalls()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.log.clear();
}

void note(const std::string &line)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.log.push_back(line);
}

long framesDelivered()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.frame;
}

double sceneSeconds()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.sceneTime();
}

void renderVisible(uint8_t *yuyv)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.renderVisible(yuyv);
}

GainRange gainRange(int gain)
{
    const GainModel &g = kGains[gain ? 1 : 0];
    return {g.minC, g.maxC};
}

}  // namespace irsim

using irsim::core;

#define SIM_LOCK                       \
    irsim::Core &c = irsim::core();    \
    std::lock_guard<std::mutex> lock(c.m)

// Property and calibration calls need the command channel.
#define NEED_CHANNEL(name)              \
    if (!c.commandChannel)              \
        return c.result(name, -1);      \
    if (c.result(name, 0) < 0)          \
        return c.result(name, 0)

extern "C" {

// ---- transport ---------------------------------------------------------------------------------

int uvc_camera_init(void)
{
    SIM_LOCK;
    const int r = c.result("uvc_camera_init", 0);
    if (r < 0)
        return r;
    c.initialised = true;
    c.opened = c.streaming = false;
    c.loadFlash();
    return 0;
}

int uvc_camera_list(DevCfg_t *devs)
{
    SIM_LOCK;
    if (!c.initialised || !devs)
        return -1;
    const int r = c.result("uvc_camera_list", 0);
    if (r < 0)
        return r;
    std::vector<DevCfg_t> list;
    if (c.devicesOverridden) {
        list = c.deviceOverride;
    } else {
        const std::string state = irsim::readSmallFile(irsim::hostPath("/sim/ir_module"));
        if (state.compare(0, 6, "absent") != 0) {
            DevCfg_t d{};
            d.vid = irsim::kVid;
            d.pid = irsim::kPid;
            std::snprintf(d.name, sizeof d.name, "%s", "Norvik7 IR core");
            list.push_back(d);
        }
    }
    for (size_t i = 0; i < list.size() && i < DEV_MAX_NUM; ++i)
        devs[i] = list[i];
    return 0;
}

int uvc_camera_info_get(DevCfg_t dev, CameraStreamInfo_t *info)
{
    (void)dev;
    SIM_LOCK;
    if (!c.initialised || !info)
        return -1;
    const int r = c.result("uvc_camera_info_get", 0);
    if (r < 0)
        return r;
    std::memset(info, 0, sizeof(CameraStreamInfo_t) * STREAM_FORMAT_MAX_NUM);
    info[0] = {1, 256, 192, 25};   // the grey image alone
    info[1] = {2, 256, 384, 25};   // grey image over temperature words
    return 0;
}

int uvc_camera_open(DevCfg_t dev)
{
    SIM_LOCK;
    if (!c.initialised)
        return -1;
    const int r = c.result("uvc_camera_open", 0);
    if (r < 0)
        return r;
    if (dev.vid != irsim::kVid || (dev.pid != 0x5840 && dev.pid != 0x5830))
        return -2;
    c.opened = true;
    return 0;
}

void *uvc_frame_buf_create(CameraParam_t param)
{
    SIM_LOCK;
    if (param.frame_size == 0 || c.result("uvc_frame_buf_create", 0) < 0)
        return nullptr;
    c.frameBuffers.emplace_back(new uint8_t[param.frame_size]());
    return c.frameBuffers.back().get();
}

int uvc_camera_stream_start(CameraParam_t param, void *callback)
{
    (void)callback;
    SIM_LOCK;
    const int r = c.result("uvc_camera_stream_start", 0);
    if (r < 0)
        return r;
    if (!c.opened || param.width != irsim::kWidth || param.height != 2 * irsim::kHalfHeight ||
        param.frame_size != static_cast<uint32_t>(irsim::kFrameBytes))
        return -1;
    c.streaming = true;
    c.frame = 0;
    c.lastShutter = 0.0;
    c.streamStart = std::chrono::steady_clock::now();
    c.chooseStartScene();
    return 0;
}

// ---- frames ---------------------------------------------------------------------------------------

int uvc_frame_get(void *buf)
{
    irsim::Core &c = irsim::core();
    std::unique_lock<std::mutex> lock(c.m);
    if (!c.streaming || !buf)
        return -1;
    if (c.periodUs > 0) {
        // Wait for the next frame of the stream; a late reader gets the newest.
        const auto period = std::chrono::microseconds(c.periodUs);
        const auto due = c.streamStart + period * (c.frame + 1);
        lock.unlock();
        std::this_thread::sleep_until(due);
        lock.lock();
        const long elapsed = static_cast<long>((std::chrono::steady_clock::now() - c.streamStart) / period);
        c.frame = std::max(c.frame + 1, elapsed);
    } else {
        ++c.frame;
    }
    c.followModuleFile();
    if (c.unplugged)
        return -1;   // nothing comes from a module that is gone
    c.followSceneFile();
    c.followRecording();
    c.makeFrame(static_cast<uint16_t *>(buf));
    return 0;
}

int raw_data_cut(uint8_t *raw, int image_bytes, int temp_bytes, uint8_t *image, uint8_t *temp)
{
    if (!raw || !image || !temp || image_bytes < 0 || temp_bytes < 0)
        return -1;
    std::memcpy(image, raw, image_bytes);
    std::memcpy(temp, raw + image_bytes, temp_bytes);
    return 0;
}

// ---- command channel -----------------------------------------------------------------------------------

void vdcmd_set_polling_wait_time(int wait_us)
{
    SIM_LOCK;
    c.record("vdcmd_set_polling_wait_time(%d)", wait_us);
}

int vdcmd_init(void)
{
    SIM_LOCK;
    c.record("vdcmd_init()");
    const int r = c.result("vdcmd_init", 0);
    if (r < 0 || !c.opened)
        return r < 0 ? r : -1;
    c.commandChannel = true;
    return 0;
}

// ---- properties ---------------------------------------------------------------------------------------------

int get_prop_image_params(int prop, uint16_t *value)
{
    SIM_LOCK;
    c.record("get_prop_image_params(%d)", prop);
    NEED_CHANNEL("get_prop_image_params");
    if (prop < 0 || prop > 2 || !value)
        return -1;
    *value = c.imageProps[prop];
    return 0;
}

int set_prop_image_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_image_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_image_params");
    if (prop < 0 || prop > 2 || value > 4)
        return -1;
    c.imageProps[prop] = value;
    return 0;
}

int spi_config_save(int what)
{
    SIM_LOCK;
    c.record("spi_config_save(%d)", what);
    NEED_CHANNEL("spi_config_save");
    return 0;
}

int get_prop_tpd_params(int prop, uint16_t *value)
{
    SIM_LOCK;
    c.record("get_prop_tpd_params(%d)", prop);
    NEED_CHANNEL("get_prop_tpd_params");
    if (!value)
        return -1;
    switch (prop) {
    case TPD_PROP_DISTANCE: *value = c.distanceCode; return 0;
    case TPD_PROP_TU: *value = c.tuKelvin; return 0;
    case TPD_PROP_EMS: *value = c.emsCode; return 0;
    case TPD_PROP_GAIN_SEL: *value = static_cast<uint16_t>(c.gain); return 0;
    default: return -1;
    }
}

int set_prop_tpd_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_tpd_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_tpd_params");
    switch (prop) {
    case TPD_PROP_DISTANCE: c.distanceCode = value; break;
    case TPD_PROP_TU: c.tuKelvin = value; break;
    case TPD_PROP_EMS:
        if (value == 0 || value > 128)
            return -1;
        c.emsCode = value;
        break;
    case TPD_PROP_GAIN_SEL:
        if (value > 1)
            return -1;
        if (c.gain != value)
            c.lastShutter = c.sceneTime();   // the core recalibrates its offset on a gain change
        c.gain = value;
        break;
    default: return -1;
    }
    c.parametersChanged();
    return 0;
}

// ---- shutter ---------------------------------------------------------------------------------------------------

int ooc_b_update(int mode)
{
    SIM_LOCK;
    c.record("ooc_b_update(%d)", mode);
    NEED_CHANNEL("ooc_b_update");
    c.lastShutter = c.sceneTime();
    return 0;
}

int set_prop_auto_shutter_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_auto_shutter_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_auto_shutter_params");
    if (prop != 0)
        return -1;
    c.autoShutter = value != 0;
    return 0;
}

int shutter_sta_set(int state)
{
    SIM_LOCK;
    c.record("shutter_sta_set(%d)", state);
    NEED_CHANNEL("shutter_sta_set");
    c.shutterState = state;
    return 0;
}

int shutter_manual_switch(int state)
{
    SIM_LOCK;
    c.record("shutter_manual_switch(%d)", state);
    NEED_CHANNEL("shutter_manual_switch");
    return 0;
}

int rmcover_auto_calc(int mode)
{
    SIM_LOCK;
    c.record("rmcover_auto_calc(%d)", mode);
    NEED_CHANNEL("rmcover_auto_calc");
    c.lastShutter = c.sceneTime();
    return 0;
}

int restore_default_cfg(int what)
{
    SIM_LOCK;
    c.record("restore_default_cfg(%d)", what);
    NEED_CHANNEL("restore_default_cfg");
    if (what == 2 || what == 0) {
        // The temperature tables of the gain in use; the other range keeps
        // its calibration.
        c.tables[c.gain] = c.factory[c.gain];
        c.parametersChanged();
        c.saveFlash();
    }
    if (what == 1 || what == 0) {
        c.imageProps[IMAGE_PROP_LEVEL_TNR] = 2;
        c.imageProps[IMAGE_PROP_LEVEL_SNR] = 1;
        c.imageProps[IMAGE_PROP_LEVEL_DDE] = 1;
    }
    return 0;
}

// ---- calibration tables ------------------------------------------------------------------------------------------

int get_tpd_kt_array(uint16_t *kt)
{
    SIM_LOCK;
    c.record("get_tpd_kt_array()");
    NEED_CHANNEL("get_tpd_kt_array");
    if (!kt)
        return -1;
    std::copy(c.tables[c.gain].kt.begin(), c.tables[c.gain].kt.end(), kt);
    return 0;
}

int set_tpd_kt_array(const uint16_t *kt)
{
    SIM_LOCK;
    c.record("set_tpd_kt_array()");
    NEED_CHANNEL("set_tpd_kt_array");
    if (!kt)
        return -1;
    std::copy(kt, kt + TPD_KT_BT_LEN, c.tables[c.gain].kt.begin());
    c.saveFlash();
    return 0;
}

int get_tpd_bt_array(int16_t *bt)
{
    SIM_LOCK;
    c.record("get_tpd_bt_array()");
    NEED_CHANNEL("get_tpd_bt_array");
    if (!bt)
        return -1;
    std::copy(c.tables[c.gain].bt.begin(), c.tables[c.gain].bt.end(), bt);
    return 0;
}

int set_tpd_bt_array(const int16_t *bt)
{
    SIM_LOCK;
    c.record("set_tpd_bt_array()");
    NEED_CHANNEL("set_tpd_bt_array");
    if (!bt)
        return -1;
    std::copy(bt, bt + TPD_KT_BT_LEN, c.tables[c.gain].bt.begin());
    c.saveFlash();
    return 0;
}

int get_tpd_nuc_t_array(uint16_t *nuc_t)
{
    SIM_LOCK;
    c.record("get_tpd_nuc_t_array()");
    NEED_CHANNEL("get_tpd_nuc_t_array");
    if (!nuc_t)
        return -1;
    std::copy(c.tables[c.gain].nuc.begin(), c.tables[c.gain].nuc.end(), nuc_t);
    return 0;
}

int set_tpd_nuc_t_array(const uint16_t *nuc_t)
{
    SIM_LOCK;
    c.record("set_tpd_nuc_t_array()");
    NEED_CHANNEL("set_tpd_nuc_t_array");
    if (!nuc_t)
        return -1;
    std::copy(nuc_t, nuc_t + TPD_NUC_T_LEN, c.tables[c.gain].nuc.begin());
    c.parametersChanged();
    c.saveFlash();
    return 0;
}

int get_tpd_calib_param(TpdCalibParam_t *param)
{
    SIM_LOCK;
    c.record("get_tpd_calib_param()");
    NEED_CHANNEL("get_tpd_calib_param");
    if (!param)
        return -1;
    param->Ktemp = static_cast<uint16_t>(irsim::kVtempPerDegree);
    param->Btemp = static_cast<uint16_t>(irsim::kVtempAtZero);
    param->AddressCA = c.gain ? 0x1C00 : 0x2C00;
    return 0;
}

int cur_vtemp_get(uint16_t *vtemp)
{
    SIM_LOCK;
    c.record("cur_vtemp_get()");
    NEED_CHANNEL("cur_vtemp_get");
    if (!vtemp)
        return -1;
    *vtemp = irsim::vtempOf(irsim::coreCelsius(c.sceneTime()));
    return 0;
}

// The module reads a measured temperature back into what it saw, with the
// object parameters in use when it was measured (the current ones); a set
// point is a blackbody at the set distance.
int new_ktbt_recal_double_point_calculate(const IrcalPoint_t *low, const IrcalPoint_t *high,
                                          const EnvCorrectParam_t *env, const TpdCalibParam_t *calib,
                                          const uint8_t *tau, uint16_t cur_vtemp, const uint16_t *nuc_t,
                                          const uint16_t *kt_in, const int16_t *bt_in, uint16_t *kt_out,
                                          int16_t *bt_out, int kt_bt_len)
{
    (void)tau;
    (void)cur_vtemp;
    SIM_LOCK;
    c.record("new_ktbt_recal_double_point_calculate()");
    if (!low || !high || !calib || !nuc_t || !kt_in || !bt_in || !kt_out || !bt_out || kt_bt_len != TPD_KT_BT_LEN)
        return -1;
    std::copy(kt_in, kt_in + kt_bt_len, kt_out);
    std::copy(bt_in, bt_in + kt_bt_len, bt_out);
    if (!irsim::envPlausible(env))
        return -2;
    auto nucOfObject = [&](float celsius) {
        return irsim::Core::nucOf(nuc_t, TPD_NUC_T_LEN, c.apparentOf(celsius + irsim::kKelvin));
    };
    auto nucOfSet = [&](float celsius) {
        return irsim::Core::nucOf(nuc_t, TPD_NUC_T_LEN, c.apparentOfBlackbody(celsius + irsim::kKelvin));
    };
    const double mLo = nucOfObject(low->measured_temp), mHi = nucOfObject(high->measured_temp);
    const double sLo = nucOfSet(low->set_temp), sHi = nucOfSet(high->set_temp);
    if (mHi - mLo < 16 || sHi - sLo < 16)
        return -3;   // the points are not two distinct readings inside the range
    const double a = (sHi - sLo) / (mHi - mLo);
    const double b = sLo - a * mLo;
    if (a < 0.8 || a > 1.25)
        return -4;
    for (int i = 0; i < kt_bt_len; ++i) {
        kt_out[i] = static_cast<uint16_t>(std::clamp(std::lround(kt_in[i] * a), 1L, 65535L));
        bt_out[i] = static_cast<int16_t>(std::clamp(std::lround(a * bt_in[i] + b * irsim::kBtScale), -32768L, 32767L));
    }
    return 0;
}

int multi_point_calc_user_defined_nuc(const IrcalPoint_t *point, const EnvCorrectParam_t *env,
                                      const TpdCalibParam_t *calib, const uint8_t *tau, uint16_t cur_vtemp,
                                      const uint16_t *nuc_t, int nuc_t_len, uint16_t *setting_nuc,
                                      uint16_t *output_nuc)
{
    (void)tau;
    (void)cur_vtemp;
    SIM_LOCK;
    c.record("multi_point_calc_user_defined_nuc()");
    if (!point || !calib || !nuc_t || nuc_t_len != TPD_NUC_T_LEN || !setting_nuc || !output_nuc)
        return -1;
    if (!irsim::envPlausible(env))
        return -2;
    *setting_nuc = static_cast<uint16_t>(std::lround(
        irsim::Core::nucOf(nuc_t, nuc_t_len, c.apparentOfBlackbody(point->set_temp + irsim::kKelvin))));
    *output_nuc = static_cast<uint16_t>(
        std::lround(irsim::Core::nucOf(nuc_t, nuc_t_len, c.apparentOf(point->measured_temp + irsim::kKelvin))));
    return 0;
}

int multi_point_calc_new_nuc_table(const uint16_t *nuc_t_in, const uint16_t *setting_nuc,
                                   const uint16_t *output_nuc, int points, uint16_t *nuc_t_out, int nuc_t_len)
{
    SIM_LOCK;
    c.record("multi_point_calc_new_nuc_table(%d)", points);
    if (!nuc_t_in || !setting_nuc || !output_nuc || !nuc_t_out || nuc_t_len != TPD_NUC_T_LEN)
        return -1;
    std::copy(nuc_t_in, nuc_t_in + nuc_t_len, nuc_t_out);
    if (points != 3)
        return points == 2 ? 0 : -1;
    // The straight line through the outer pairs is the kt/bt correction; what
    // the middle pair leaves over it bends the table between the outer
    // set points.
    const double sLo = setting_nuc[0], sMid = setting_nuc[1], sHi = setting_nuc[2];
    const double oLo = output_nuc[0], oMid = output_nuc[1], oHi = output_nuc[2];
    if (!(sLo < sMid && sMid < sHi) || oHi - oLo < 16)
        return -2;
    const double m = sLo + (oMid - oLo) * (sHi - sLo) / (oHi - oLo);
    if (!(sLo < m && m < sHi))
        return -3;
    for (int n = static_cast<int>(std::ceil(sLo)); n <= static_cast<int>(sHi) && n < nuc_t_len; ++n) {
        const double w = n < m ? sLo + (n - sLo) * (sMid - sLo) / (m - sLo) : sMid + (n - m) * (sHi - sMid) / (sHi - m);
        const int i = std::clamp(static_cast<int>(w), 0, nuc_t_len - 2);
        const double f = w - i;
        nuc_t_out[n] = static_cast<uint16_t>(std::lround(nuc_t_in[i] * (1 - f) + nuc_t_in[i + 1] * f));
    }
    return 0;
}

}  // extern "C"
