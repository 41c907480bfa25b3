#include "acquisition/modulerequests.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/irmodule.h"

#include <QThread>

#include <algorithm>
#include <cmath>
#include <mutex>

namespace acq {
namespace {

std::atomic<PauseFn> pauseFn{nullptr};
std::atomic<TableCommandHandler> tableHandler{nullptr};
// Sending a parameter is compare, send, remember: one at a time.
std::mutex parameterLock;

void shutter() { ir::ooc_b_update(0); }
void autoShutter(bool on) { ir::set_prop_auto_shutter_params(0, on ? 1 : 0); }

// Back to idle, unless a newer mode was posted meanwhile.
void modeIdle(std::atomic<uint8_t> &mode, uint8_t running) { mode.compare_exchange_strong(running, kCalibrationIdle); }

void pointSequence(std::atomic<uint8_t> &mode, uint8_t running)
{
    pause(300);
    shutter();
    pause(300);
    shutter();
    autoShutter(false);
    pause(300);
    shutter();
    pause(1000);
    shutter();
    pause(200);
    autoShutter(true);
    pause(200);
    modeIdle(mode, running);
    pause(100);
}

void rmcoverSequence(std::atomic<uint8_t> &mode, uint8_t running)
{
    shutter();
    pause(3000);
    shutter();
    autoShutter(false);
    shutter();
    ir::rmcover_auto_calc(1);
    pause(3000);
    autoShutter(true);
    modeIdle(mode, running);
    shutter();
    pause(100);
}

void resetSequence(std::atomic<uint8_t> &mode, uint8_t running)
{
    pause(300);
    shutter();
    pause(300);
    ir::restore_default_cfg(2);
    pause(300);
    shutter();
    pause(3000);
    // The tables of the gain the reset was asked in are saved. A command
    // posted meanwhile (a gain switch) stays pending and runs after the reset.
    runModuleCommand(running == kResetHigh ? kSaveHighGainTables : kSaveLowGainTables);
    modeIdle(mode, running);
    pause(100);
}

void recalSequence(std::atomic<uint8_t> &mode, uint8_t running)
{
    const int posted = acqState.pendingModuleCommand.exchange(kNoCommand);
    if (posted != kNoCommand)
        runModuleCommand(posted);
    modeIdle(mode, running);
    pause(100);
}

}   // namespace

void setPause(PauseFn fn) { pauseFn.store(fn); }

void pause(int ms)
{
    if (PauseFn fn = pauseFn.load()) {
        fn(ms);
        return;
    }
    // In slices, so that a thread asked to end does not sit out a long wait;
    // the pause between two frames (20 or 40 ms) is one slice, one wake-up:
    // each wake-up costs the thread far more than the frame's arithmetic
    // where the processor sleeps in between (bench/wakecost.cpp).
    constexpr int kSliceMs = 40;
    QThread *self = QThread::currentThread();
    for (int left = ms; left > 0 && !self->isInterruptionRequested(); left -= kSliceMs)
        QThread::msleep(static_cast<unsigned long>(std::min(left, kSliceMs)));
}

// ---- object parameters --------------------------------------------------------------------

int emissivityCode(float e)
{
    const double d = e;
    int code;
    if (d >= 0.9)
        code = static_cast<int>(std::trunc((1.2 * d - 0.2) * 128 + 0.5));
    else if (d > 0.04)
        code = static_cast<int>(std::trunc((d - 0.02) * 128 + 0.5));
    else
        code = 3;
    return code & 0xFF;
}

float reflectedKelvin(int celsius) { return static_cast<float>(celsius + 273.15 + 0.5); }

uint16_t reflectedCode(float kelvin) { return static_cast<uint16_t>(static_cast<int>(std::trunc(kelvin))); }

uint16_t distanceCode(float metres)
{
    return static_cast<uint16_t>(static_cast<int>(std::trunc(static_cast<double>(metres) * 128 + 0.5)));
}

void sendEmissivity(float e)
{
    std::lock_guard<std::mutex> lock(parameterLock);
    acqState.requestedEmissivity.store(e);
    if (e == acqState.sentEmissivity.load())
        return;
    ir::set_prop_tpd_params(TPD_PROP_EMS, static_cast<uint16_t>(emissivityCode(e)));
    acqState.sentEmissivity.store(e);
    uint16_t value = 0;
    ir::get_prop_tpd_params(TPD_PROP_EMS, &value);
    acq::log("TPD_PROP_EMS = %d\n", value);
}

void sendReflectedTemperature(int celsius)
{
    std::lock_guard<std::mutex> lock(parameterLock);
    const float k = reflectedKelvin(celsius);
    acqState.reflectedTemperatureK.store(k);
    if (k == acqState.sentReflectedTemperatureK.load())
        return;
    ir::set_prop_tpd_params(TPD_PROP_TU, reflectedCode(k));
    uint16_t value = 0;
    ir::get_prop_tpd_params(TPD_PROP_TU, &value);
    acq::log("TPD_PROP_TU = %d\n", value);
    acqState.sentReflectedTemperatureK.store(k);
}

void sendDistance(float metres)
{
    std::lock_guard<std::mutex> lock(parameterLock);
    acqState.distanceMetres.store(metres);
    if (metres == acqState.sentDistanceMetres.load())
        return;
    ir::set_prop_tpd_params(TPD_PROP_DISTANCE, distanceCode(metres));
    acqState.sentDistanceMetres.store(metres);
}

// ---- module commands -------------------------------------------------------------------------

void setTableCommandHandler(TableCommandHandler handler) { tableHandler.store(handler); }

void runModuleCommand(int code)
{
    switch (code) {
    case kShutterCorrection:
        shutter();
        break;
    case kShutterBackground:
        ir::shutter_sta_set(0);
        ir::shutter_manual_switch(0);
        shutter();
        ir::shutter_sta_set(1);
        acq::log("shutter background\n");
        break;
    case kLowGainCommand:
        ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, 0);
        acq::log("set_prop_tpd_params to low\n");
        break;
    case kHighGainCommand:
        ir::set_prop_tpd_params(TPD_PROP_GAIN_SEL, 1);
        acq::log("set_prop_tpd_params to high\n");
        break;
    case kSaveHighGainTables:
    case kSaveLowGainTables:
    case kRecalHighGain:
    case kRecalLowGain:
        if (TableCommandHandler h = tableHandler.load())
            h(code);
        else
            acq::log("module command %d: no calibration table handler\n", code);
        break;
    default:
        acq::log("module command %d: unknown\n", code);
        break;
    }
}

void setDdeLevel(int gain)
{
    ir::set_prop_image_params(IMAGE_PROP_LEVEL_DDE, gain == 0 ? 0 : 2);
    ir::spi_config_save(12);
    uint16_t level = 1;
    ir::get_prop_image_params(IMAGE_PROP_LEVEL_DDE, &level);
    acq::log("IMAGE_PROP_LEVEL_DDE %d\n", level);
    acqState.currentDDELevel.store(level);
}

void gainFollowUp(int code)
{
    if (code == kHighGainCommand) {
        acq::log("test highgain dde\n");
        pause(2000);
        setDdeLevel(1);
    } else if (code == kLowGainCommand) {
        acq::log("test lowgain dde\n");
        pause(2000);
        setDdeLevel(0);
    }
}

// ---- calibration modes ----------------------------------------------------------------------------

uint8_t modeForGain(int gain, uint8_t highGainMode, uint8_t lowGainMode, uint8_t current)
{
    return gain == 1 ? highGainMode : gain == 0 ? lowGainMode : current;
}

bool carryOutRequests(std::atomic<uint8_t> &mode, CalibratedFn calibrated, void *context)
{
    bool done = false;
    const uint8_t m = mode.load();
    if (m <= kNewRecal) {
        switch (m) {
        case kRmcoverHigh:
        case kRmcoverLow:
            rmcoverSequence(mode, m);
            break;
        case kResetHigh:
        case kResetLow:
            resetSequence(mode, m);
            break;
        case kNewRecal:
            recalSequence(mode, m);
            break;
        default:
            pointSequence(mode, m);
            break;
        }
        modeIdle(mode, m);
        done = true;
        if (calibrated)
            calibrated(context);
    }
    int code = acqState.pendingModuleCommand.load();
    if (code != kNoCommand) {
        runModuleCommand(code);
        gainFollowUp(code);
        // A command posted while this one ran stays for the next frame.
        acqState.pendingModuleCommand.compare_exchange_strong(code, kNoCommand);
    }
    return done;
}

// ---- pacing --------------------------------------------------------------------------------------------

int framePauseMs(int imageMode, int calibrationMenu, int uvcStreaming)
{
    return (imageMode == 0 || imageMode == 1) && !calibrationMenu && !uvcStreaming ? 20 : 40;
}

bool visibleWanted(int imageMode, int frameCounter) { return imageMode != 0 || frameCounter % 5 == 0; }

}   // namespace acq
