#pragma once
// Controls of the simulated infrared module beyond its SDK calls: what the
// simulated board's visible camera sees, and the knobs tests turn (frame
// period, devices listed, failing calls, the record of calls made).

#include "acquisition/sdk/irsdk.h"

#include <cstdint>
#include <string>
#include <vector>

namespace irsim {

// Power-on state: factory tables, default properties, stream closed, no
// overrides, empty record of calls, default frame period. The tables the
// core keeps in its flash (DIR/sim/ir_flash.bin of the simulated board) are
// loaded again by uvc_camera_init(), as a real core reads its flash when it
// starts; every table set and every restore of the defaults rewrites it.
void reset();
// The flash file's board path.
constexpr const char *kFlashBoardPath = "/sim/ir_flash.bin";

// Time between two frames of the stream (40000 us, 25 frames a second);
// 0 delivers every frame at once.
void setFramePeriodUs(int us);

// Devices the transport lists instead of the simulated board's one module.
void setDevices(const std::vector<DevCfg_t> &devices);
// Makes a call of that name return `result` (negative: a failure) until reset().
void setCallResult(const std::string &call, int result);

// Every property, shutter and calibration call in the order made, as
// "set_prop_tpd_params(3,120)"; frame reads are not recorded. note() adds a
// line of the caller's own (tests mark their sleeps with it).
std::vector<std::string> calls();
void clearCalls();
void note(const std::string &line);

// Frames delivered since the stream started, and the scene's clock (seconds).
long framesDelivered();
double sceneSeconds();

// The scene as the simulated board's visible camera delivers it at the
// current scene time: 320 x 240 YUYV (Y0 U Y1 V per two pixels), red and blue
// exchanged the way the board's sensor delivers them.
constexpr int kVisibleWidth = 320;
constexpr int kVisibleHeight = 240;
void renderVisible(uint8_t *yuyv);

// What a file of the simulated board looks like from outside (host path):
// whether it exists, when it last changed, its size and inode. The simulated
// devices look at their files before each frame; an unchanged stamp spares
// reading them.
struct FileStamp {
    bool exists = false;
    long long mtimeNs = 0;
    long long size = 0;
    unsigned long long inode = 0;
    bool operator==(const FileStamp &o) const
    {
        return exists == o.exists && mtimeNs == o.mtimeNs && size == o.size && inode == o.inode;
    }
};
FileStamp stampOf(const std::string &hostPath);

// Whether a file of the simulated board may have changed since the last
// question, from the kernel's notices on its folder: one read that finds
// nothing costs far less than looking a long path up before every frame.
// Where the notices cannot be had (no folder, no inotify, the folder gone)
// every answer is yes, and the caller compares stamps as it would anyway.
class FileWatch {
public:
    FileWatch() = default;
    explicit FileWatch(const std::string &hostPath);
    ~FileWatch();
    FileWatch(const FileWatch &) = delete;
    FileWatch &operator=(const FileWatch &) = delete;
    FileWatch(FileWatch &&other) noexcept;
    FileWatch &operator=(FileWatch &&other) noexcept;

    bool mayHaveChanged();

private:
    void close();
    int m_fd = -1;
    std::string m_name;
    bool m_pending = true;   // the first question is always yes
};

// The counts-to-temperature model of a gain (0 low, 1 high), for tests of
// the physics: the reported range and noise in degrees Celsius.
struct GainRange {
    double minC;
    double maxC;
};
GainRange gainRange(int gain);

// A raw recording as the replay scene reads it (host path): its frames of
// 256 x 384 little-endian words, after an 8-byte header when one is there, in
// `words`; the number of whole frames, 0 when there is none or no file.
long readRecording(const std::string &hostPath, std::vector<uint16_t> *words);

}   // namespace irsim
