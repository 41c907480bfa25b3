#include "acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/modulerequests.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "liveview/viewstate.h"

#include <QThread>

#include <atomic>
#include <mutex>

namespace acqtest {
namespace {
std::mutex pauseLock;
std::vector<int> recorded;
std::atomic<int> pauseSleepMs{0};

void recordPause(int ms)
{
    {
        std::lock_guard<std::mutex> lock(pauseLock);
        recorded.push_back(ms);
    }
    irsim::note("pause " + std::to_string(ms));
    if (pauseSleepMs > 0)
        QThread::msleep(pauseSleepMs);
}
}   // namespace

void resetAll(int framePeriodUs)
{
    irsim::reset();
    irsim::setFramePeriodUs(framePeriodUs);
    qunsetenv("NORVIK7_SCENE");
    pendingModuleCommand.store(kNoCommand);
    currentGain.store(0);
    temperature_scale.store(1);
    currentDDELevel.store(0);
    calTempSubMenuFlag.store(0);
    uvcStartFlag.store(0);
    requestedEmissivity.store(0.95f);
    sentEmissivity.store(0.0f);
    reflectedTemperatureK.store(293.0f);
    sentReflectedTemperatureK.store(0.0f);
    distanceMetres.store(0.6f);
    sentDistanceMetres.store(0.0f);
    paletteNumber.store(0);
    image_mode.store(0);
    liveframe::clear();
    acq::setTableCommandHandler(nullptr);
    acq::setPause(nullptr);
    std::lock_guard<std::mutex> lock(pauseLock);
    recorded.clear();
    pauseSleepMs = 0;
}

void recordPauses(int sleepMs)
{
    {
        std::lock_guard<std::mutex> lock(pauseLock);
        pauseSleepMs = sleepMs;
    }
    acq::setPause(recordPause);
}

std::vector<int> pauses()
{
    std::lock_guard<std::mutex> lock(pauseLock);
    return recorded;
}

bool openModule()
{
    return ir_camera_openm(&cameraParam) == 0 && ir_camera_stream_on(&streamFrameInfo, cameraParam) == 0;
}

std::vector<std::string> callsWithout(std::initializer_list<const char *> skip)
{
    std::vector<std::string> out;
    for (const std::string &c : irsim::calls()) {
        bool drop = false;
        for (const char *s : skip)
            drop = drop || c.rfind(s, 0) == 0;
        if (!drop)
            out.push_back(c);
    }
    return out;
}

QByteArray recording(const std::vector<std::vector<uint16_t>> &frames, bool header)
{
    QByteArray out;
    auto word = [&out](uint16_t w) {
        out.append(static_cast<char>(w & 0xFF));
        out.append(static_cast<char>(w >> 8));
    };
    if (header) {
        word(384);
        word(256);
        word(2);
        word(1);
    }
    for (const auto &f : frames)
        for (uint16_t w : f)
            word(w);
    return out;
}

}   // namespace acqtest
