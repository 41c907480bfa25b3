#pragma once
// The GC0308 visible-light sensor: 320 x 240 YUYV, interlaced field order,
// three memory-mapped capture buffers. On the board it is read through
// Video4Linux2 on "/dev/video_gc0308"; on a simulated board a simulated
// sensor shows the infrared module's scene in colour.

#include <cstddef>
#include <cstdint>
#include <memory>

class VisibleCamera {
public:
    virtual ~VisibleCamera() = default;
    // Opens the device and sets its format; failures print and leave it closed.
    virtual void init() = 0;
    // Requests, maps and queues the buffers and starts streaming.
    virtual void start() = 0;
    // A filled buffer; a negative result when none can be had.
    virtual int dequeue(const uint8_t **data, size_t *length) = 0;
    // Gives the buffer of the last successful dequeue back to the sensor.
    virtual void requeue() = 0;

    // The board's sensor, or the simulated one on a simulated board.
    static std::unique_ptr<VisibleCamera> create();
};

// The sensor's device node.
constexpr const char *kVisibleCameraNode = "/dev/video_gc0308";
constexpr int kVisibleBuffers = 3;
