// The replay scene: a raw recording read whole, its frames delivered from
// memory, and the visible camera's picture of them.

#include "acquisition/sdk/simcore.h"
#include "core/logging.h"

#include <cstdio>
#include <cstring>

namespace irsim {
namespace {

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

}   // namespace

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
            qCWarning(lcSim, "simulated module: recording \"%s\" does not fit in memory", path.c_str());
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

// A recording rewritten while it plays is read again when it comes round
// to its first frame; one that can no longer be read keeps playing as it was.
void Core::followRecording()
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

// The recording is about to go: the last frame delivered moves out of it,
// and what was rendered from its frames goes.
void Core::dropRecording()
{
    if (lastReplayed >= 0)
        std::memcpy(lastRaw.data(), recording->frame(lastReplayed), kFrameBytes);
    lastReplayed = -1;
    visibleOfReplay.clear();
    recording.reset();
}

// A replay shows the recorded grey half as luma; what a frame of the
// recording looks like is rendered once.
void Core::renderReplayVisible(uint8_t *yuyv)
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

long readRecording(const std::string &hostPath, std::vector<uint16_t> *words)
{
    Recording r;
    if (!openRecording(hostPath, &r))
        return 0;
    *words = std::move(r.words);
    return r.frames;
}

}   // namespace irsim
