#include "acqtestsupport.h"

#include "acquisition/acquisitionstate.h"
#include "acquisition/liveframe.h"
#include "acquisition/modulerequests.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/sdk/simcontrol.h"
#include "liveview/viewstate.h"

#include <QThread>

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
    acqState.currentGain.store(0);
    acqState.temperature_scale.store(1);
    acqState.currentDDELevel.store(0);
    acqState.calTempSubMenuFlag.store(0);
    acqState.uvcStartFlag.store(0);
    acqState.requestedEmissivity.store(0.95f);
    acqState.sentEmissivity.store(0.0f);
    acqState.reflectedTemperatureK.store(293.0f);
    acqState.sentReflectedTemperatureK.store(0.0f);
    acqState.distanceMetres.store(0.6f);
    acqState.sentDistanceMetres.store(0.0f);
    acqState.paletteNumber.store(0);
    acqState.image_mode.store(0);
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
