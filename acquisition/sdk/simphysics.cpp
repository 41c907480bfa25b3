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

#include "acquisition/sdk/simcore.h"
#include "board/board.h"
#include "core/logging.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

namespace irsim {

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

namespace {

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

}   // namespace

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

// Object temperature (kelvin) of an apparent temperature, and back.
double Core::objectOf(double apparentK) const
{
    const double tau = transmission(distanceM()), e = emissivity();
    const double w =
        (radiance(apparentK) - (1 - tau) * radiance(kAtmosphereK) - tau * (1 - e) * radiance(tuKelvin)) / (tau * e);
    return kelvinOf(w);
}

double Core::apparentOf(double objectK) const
{
    const double tau = transmission(distanceM()), e = emissivity();
    const double w = tau * (e * radiance(objectK) + (1 - e) * radiance(tuKelvin)) + (1 - tau) * radiance(kAtmosphereK);
    return kelvinOf(w);
}

// How a blackbody at the set distance looks to the module.
double Core::apparentOfBlackbody(double objectK) const
{
    const double tau = transmission(distanceM());
    return kelvinOf(tau * radiance(objectK) + (1 - tau) * radiance(kAtmosphereK));
}

const std::array<uint16_t, TPD_NUC_T_LEN> &Core::reportTable(int g)
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

void Core::chooseScene(const std::string &text)
{
    SceneChoice c = SceneChoice::parse(text);
    if (!c.valid) {
        qCWarning(lcSim, "simulated module: unknown scene \"%s\", keeping the current one", text.c_str());
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
            qCWarning(lcSim, "simulated module: cannot replay \"%s\", showing the office", c.path.c_str());
            c = SceneChoice::parse("office");
        }
    }
    scene = std::make_unique<Scene>(c);
    prepareScene();
}

// At stream start: NORVIK7_SCENE, else the board's scene file, else the office.
void Core::chooseStartScene()
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

// The scene file is looked at before every frame; a change switches to it.
void Core::followModuleFile()
{
    if (moduleWatch.mayHaveChanged())
        unplugged = readSmallFile(moduleFile).compare(0, 6, "absent") == 0;
}

void Core::followSceneFile()
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

double Core::receivedRadiance(const Surface &s) const
{
    const double tau = transmission(scene->distanceM());
    const double room = radiance(scene->roomC() + kKelvin);
    return tau * (s.emissivity * radiance(s.tempC + kKelvin) + (1 - s.emissivity) * room) + (1 - tau) * room;
}

void Core::prepareScene()
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

void Core::makeFrame(uint16_t *out)
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

void Core::renderRadiometric(double t, const GainModel &g, uint16_t *image, uint16_t *temp)
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
        const double c =
            base + r * frameRadiance[i] + residual * driftShape[i] + g.noiseCounts * gaussian(frameKey + i);
        const int counts = static_cast<int>(std::clamp(std::lround(c), 0L, static_cast<long>(kMaxCount)));
        image[i] = static_cast<uint16_t>(counts);
        // The nuc value keeps its fraction: the temperature lies between
        // two entries of the table, not on one of them.
        const int nuc = std::clamp((counts - mid) * kt + btFixed, 0, (TPD_NUC_T_LEN - 1) << 14);
        const int n = std::min(nuc >> 14, TPD_NUC_T_LEN - 2), f = nuc - (n << 14);
        temp[i] = static_cast<uint16_t>(rep[n] + (((rep[n + 1] - rep[n]) * f + (1 << 13)) >> 14));
    }
}

void Core::renderVisible(uint8_t *yuyv)
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

}   // namespace irsim
