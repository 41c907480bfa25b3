#include "acquisition/liveframe.h"

#include <cstring>
#include <mutex>

namespace {

// Two slots. Readers use the front slot under the lock; the writer fills the
// other one without it and swaps under the lock, so a reader never overlaps
// a write and nothing is copied on the writer's side.
struct Slots {
    std::mutex lock;
    int front = 0;
    uint32_t sequence = 0;
    uint16_t thermal[2][kLiveSamples] = {};
    uint8_t gray[2][kLiveSamples] = {};
};

Slots &slots()
{
    static Slots s;
    return s;
}

bool inside(int row, int col) { return row >= 0 && row < kLiveRows && col >= 0 && col < kLiveCols; }

template <typename T>
const T *frontOf(const Slots &s);
template <>
const uint16_t *frontOf<uint16_t>(const Slots &s)
{
    return s.thermal[s.front];
}
template <>
const uint8_t *frontOf<uint8_t>(const Slots &s)
{
    return s.gray[s.front];
}

}   // namespace

const LiveBuffer<uint16_t> thermalRaw;
const LiveBuffer<uint8_t> grayRaw;

template <typename T>
T LiveBuffer<T>::at(int row, int col) const
{
    if (!inside(row, col))
        return 0;
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    return frontOf<T>(s)[row * kLiveCols + col];
}

template <typename T>
void LiveBuffer<T>::copyTo(T *dst) const
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    std::memcpy(dst, frontOf<T>(s), sizeof(T) * kLiveSamples);
}

template class LiveBuffer<uint16_t>;
template class LiveBuffer<uint8_t>;

uint32_t copyLiveFrame(uint16_t *thermal, uint8_t *gray)
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    if (thermal)
        std::memcpy(thermal, s.thermal[s.front], sizeof s.thermal[0]);
    if (gray)
        std::memcpy(gray, s.gray[s.front], sizeof s.gray[0]);
    return s.sequence;
}

bool copyLiveFrameWithCentre(uint16_t centre, uint16_t *thermal, uint8_t *gray)
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    if (s.thermal[s.front][(kLiveRows / 2) * kLiveCols + kLiveCols / 2] != centre)
        return false;
    std::memcpy(thermal, s.thermal[s.front], sizeof s.thermal[0]);
    std::memcpy(gray, s.gray[s.front], sizeof s.gray[0]);
    return true;
}

uint32_t liveFrameSequence()
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    return s.sequence;
}

namespace liveframe {

// The back slot is only ever touched by the one writer, and readers only
// touch the front slot while holding the lock, which the swap also takes.
uint16_t *thermalBack()
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    return s.thermal[1 - s.front];
}
uint8_t *grayBack()
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    return s.gray[1 - s.front];
}

void publish()
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    s.front = 1 - s.front;
    ++s.sequence;
}

void clear()
{
    Slots &s = slots();
    std::lock_guard<std::mutex> g(s.lock);
    std::memset(s.thermal, 0, sizeof s.thermal);
    std::memset(s.gray, 0, sizeof s.gray);
    s.front = 0;
    s.sequence = 0;
}

}   // namespace liveframe
