#pragma once
// The live temperature matrix `thermalRaw` (256 rows x 192 columns of words in
// sixteenths of a kelvin) and grey image `grayRaw` (the matching contrast-
// stretched bytes), in the portrait orientation of the picture: row r,
// column c is the displayed pixel (c, r).
//
// The acquisition thread fills a back buffer and publishes it whole, so any
// reader sees one complete frame, never a mix of two. Readers take a sample
// or a copy; both buffers of one frame come together from copyLiveFrame().

#include <cstdint>

constexpr int kLiveRows = 256;
constexpr int kLiveCols = 192;
constexpr int kLiveSamples = kLiveRows * kLiveCols;

template <typename T>
class LiveBuffer {
public:
    // The sample at (row, col) of the newest frame; 0 outside the frame.
    T at(int row, int col) const;
    // The newest frame whole, kLiveSamples values row by row.
    void copyTo(T *dst) const;
};

extern const LiveBuffer<uint16_t> thermalRaw;
extern const LiveBuffer<uint8_t> grayRaw;

// Both buffers of the newest frame; returns its sequence number (0 before
// the first frame).
uint32_t copyLiveFrame(uint16_t *thermal, uint8_t *gray);
// Both buffers of the newest frame, only when its centre word (row 128,
// column 96) is `centre`; otherwise nothing is written. Whether they were.
bool copyLiveFrameWithCentre(uint16_t centre, uint16_t *thermal, uint8_t *gray);
uint32_t liveFrameSequence();

// ---- the acquisition thread's side -------------------------------------------------
namespace liveframe {
// The buffers to fill with the next frame; nobody reads them meanwhile.
uint16_t *thermalBack();
uint8_t *grayBack();
// Makes the back buffers the newest frame.
void publish();
// Back to zeros, for a fresh start.
void clear();
}   // namespace liveframe
