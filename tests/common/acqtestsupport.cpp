#include "acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/modulerequests.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "liveview/viewstate.h"

#include <QThread>

#include <algorithm>
#include <atomic>

namespace acqtest {
namespace {
std::atomic<int> pauseSleepMs{0};

void recordPause(int ms)
{
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
    acqState.pendingModuleCommand.store(kNoCommand);
    for (std::atomic<int> *a :
         {&acqState.calTempSubMenuFlag, &acqState.uvcStartFlag, &acqState.paletteNumber, &acqState.image_mode})
        a->store(0);
    acqState.currentGain.store(0);
    acqState.temperature_scale.store(1);
    acqState.currentDDELevel.store(0);
    for (std::atomic<float> *a :
         {&acqState.sentEmissivity, &acqState.sentReflectedTemperatureK, &acqState.sentDistanceMetres})
        a->store(0.0f);
    acqState.requestedEmissivity.store(0.95f);
    acqState.reflectedTemperatureK.store(293.0f);
    acqState.distanceMetres.store(0.6f);
    liveframe::clear();
    acq::setTableCommandHandler(nullptr);
    acq::setPause(nullptr);
    pauseSleepMs = 0;
}

void recordPauses(int sleepMs)
{
    pauseSleepMs = sleepMs;
    acq::setPause(recordPause);
}

bool openModule()
{
    return ir_camera_openm(&cameraParam) == 0 && ir_camera_stream_on(&streamFrameInfo, cameraParam) == 0;
}

std::vector<std::string> callsWithout(std::initializer_list<const char *> skip)
{
    std::vector<std::string> out;
    for (const std::string &c : irsim::calls())
        if (std::none_of(skip.begin(), skip.end(), [&](const char *s) { return c.rfind(s, 0) == 0; }))
            out.push_back(c);
    return out;
}

QByteArray recording(const std::vector<std::vector<uint16_t>> &frames, bool header)
{
    QByteArray out;
    auto words = [&out](const std::vector<uint16_t> &ws) {
        for (uint16_t w : ws)
            out.append(static_cast<char>(w & 0xFF)).append(static_cast<char>(w >> 8));
    };
    words(header ? std::vector<uint16_t>{384, 256, 2, 1} : std::vector<uint16_t>{});
    for (const auto &f : frames)
        words(f);
    return out;
}

}   // namespace acqtest
