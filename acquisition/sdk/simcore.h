#pragma once
// The simulated infrared module's inside, shared by its parts: the scene and
// the physics that turn it into frames (simphysics.cpp), the flash that keeps
// the tables (simflash.cpp), the replay of recordings (simreplay.cpp) and the
// module's calls and controls (simmodule.cpp). Not for use outside them.

#include "acquisition/sdk/irsdk.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/sdk/simscene.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace irsim {

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
inline double coreCelsius(double t) { return 29.0 + 7.0 * (1.0 - std::exp(-t / 600.0)); }
inline uint16_t vtempOf(double coreC)
{
    return static_cast<uint16_t>(std::lround(kVtempAtZero + kVtempPerDegree * coreC));
}
inline double coreOfVtemp(uint16_t v) { return (v - kVtempAtZero) / kVtempPerDegree; }
inline double responsivity(const GainModel &g, double coreC) { return g.responsivity * (1.0 - 0.004 * (coreC - 30.0)); }

// Offset drift in high-gain counts: slow and not quite periodic.
inline double drift(double t) { return 30.0 * std::sin(2 * 3.14159265358979 * t / 420.0) + 0.12 * t; }
constexpr double kAutoShutterSeconds = 60.0;

// bt is kept in eighths of a nuc value, so that an offset set by a
// recalibration is not rounded to a whole one.
constexpr int kBtScale = 8;

struct Tables {
    std::array<uint16_t, TPD_KT_BT_LEN> kt{};
    std::array<int16_t, TPD_KT_BT_LEN> bt{};
    std::array<uint16_t, TPD_NUC_T_LEN> nuc{};
};

inline uint16_t kelvinWord(double k) { return static_cast<uint16_t>(std::clamp(std::lround(k * 64.0), 0L, 65535L)); }

// The tables a gain leaves the factory with.
Tables factoryTables(const GainModel &g);

// A file of the simulated board by its board path, and the first 512 bytes
// of a (host) file, empty when there is none.
std::string hostPath(const char *boardPath);
std::string readSmallFile(const std::string &path);

// A recording, read whole when it is chosen: frames are then delivered from
// memory at no cost, as a real module delivers them.
struct Recording {
    std::vector<uint16_t> words;   // every frame, host order
    long frames = 0;
    FileStamp stamp;   // of the file when it was read
    const uint16_t *frame(long i) const { return words.data() + i * kFrameWords; }
};

// Where the frame data of a recording starts: an 8-byte header of four
// little-endian words (rows, columns, type, channels) may precede it.
bool openRecording(const std::string &path, Recording *r);

// The visible sensor's YUYV of two neighbouring pixels. It delivers red and
// blue exchanged: the scene's (b, g, r) is encoded so that the program's
// exchange restores it.
void encodePair(const Colour &a, const Colour &b, uint8_t *out);

// The module: one of it, behind its mutex `m`.
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

    long frame = 0;   // frames delivered
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
    std::vector<uint16_t> lastRaw;   // the last frame delivered, unless it is
    long lastReplayed = -1;          // this frame of the recording
    // What the visible camera showed of each frame of the recording, and of
    // a scene without anybody moving in it (empty until shown).
    std::map<long, std::vector<uint8_t>> visibleOfReplay;
    std::vector<uint8_t> visibleOfStill;
    // The visible camera's view of the same scene.
    std::vector<Colour> visibleStatic;
    std::vector<uint8_t> visibleForeground;
    std::vector<float> visibleX, visibleY;   // portrait position of every visible pixel
    std::vector<int32_t> visibleRawIndex;    // the grey word a replay shows there, -1 outside

    // Power-on state (simmodule.cpp).
    void powerOn();
    double sceneTime() const { return frame * kNominalFrameSeconds; }
    // The call record and the results tests force (simmodule.cpp).
    void record(const char *fmt, ...) __attribute__((format(printf, 2, 3)));
    // A result forced by a test, or `normal`.
    int result(const char *call, int normal) const
    {
        const auto it = forcedResults.find(call);
        return it == forcedResults.end() ? normal : it->second;
    }

    // ---- the flash (simflash.cpp) -------------------------------------------------------
    // Power-up: the tables of the flash when the board holds a complete one,
    // else the factory's.
    void loadFlash();
    // The tables in use become the flash's, whole or not at all.
    void saveFlash();

    // ---- object parameters (simphysics.cpp) -----------------------------------------------
    double emissivity() const { return std::max<uint16_t>(emsCode, 1) / 128.0; }
    double distanceM() const { return distanceCode / 128.0; }
    static constexpr double kAtmosphereK = 25.0 + kKelvin;   // the module assumes 25 degree air

    // Object temperature (kelvin) of an apparent temperature, and back.
    double objectOf(double apparentK) const;
    double apparentOf(double objectK) const;
    // How a blackbody at the set distance looks to the module.
    double apparentOfBlackbody(double objectK) const;
    const std::array<uint16_t, TPD_NUC_T_LEN> &reportTable(int g);
    void parametersChanged() { reportDirty[0] = reportDirty[1] = true; }

    // ---- scene (simphysics.cpp) -------------------------------------------------------------
    void chooseScene(const std::string &text);
    // At stream start: NORVIK7_SCENE, else the board's scene file, else the office.
    void chooseStartScene();
    // The scene file is looked at before every frame; a change switches to it.
    void followModuleFile();
    void followSceneFile();
    double receivedRadiance(const Surface &s) const;
    // Sensor pixel (x, y) sees portrait point (191 - y, x): the picture is
    // turned a quarter clockwise for the portrait screen.
    static double portraitX(int y) { return kHalfHeight - 1 - y + 0.5; }
    static double portraitY(int x) { return x + 0.5; }
    void prepareScene();

    // ---- frames (simphysics.cpp) ----------------------------------------------------------
    void makeFrame(uint16_t *out);
    void renderRadiometric(double t, const GainModel &g, uint16_t *image, uint16_t *temp);
    void renderVisible(uint8_t *yuyv);

    // ---- replay (simreplay.cpp) ----------------------------------------------------------------
    // A recording rewritten while it plays is read again when it comes round
    // to its first frame; one that can no longer be read keeps playing as it was.
    void followRecording();
    // The last frame delivered.
    const uint16_t *lastFrame() const { return lastReplayed >= 0 ? recording->frame(lastReplayed) : lastRaw.data(); }
    // The recording is about to go: the last frame delivered moves out of it,
    // and what was rendered from its frames goes.
    void dropRecording();
    // A replay shows the recorded grey half as luma; what a frame of the
    // recording looks like is rendered once.
    void renderReplayVisible(uint8_t *yuyv);

    // ---- recalibration helpers (simmodule.cpp) ---------------------------------------------
    // The first nuc value whose temperature reaches `kelvin`, with a fraction.
    static double nucOf(const uint16_t *nuc, int len, double kelvin);
};

Core &core();

}   // namespace irsim
