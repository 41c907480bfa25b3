#include "acquisition/thermalcamerathread.h"

#include "acquisition/acqlog.h"
#include "acquisition/acquisitionstate.h"
#include "acquisition/framepath.h"
#include "acquisition/irmodule.h"
#include "acquisition/liveframe.h"
#include "acquisition/moduleconnection.h"
#include "acquisition/palettes.h"
#include "acquisition/picturepool.h"
#include "acquisition/visiblecamera.h"
#include "acquisition/yuv.h"
#include "core/config.h"
#include "core/logging.h"
#include "core/threadend.h"

#include <QDebug>

#include <algorithm>
#include <cstring>
#include <vector>

static_assert(framepath::kRows == kLiveRows && framepath::kCols == kLiveCols, "one portrait geometry");

// Working buffers of the loop, allocated once before the first frame.
struct ThermalCameraThread::Loop {
    framepath::Work work;
    const ColourTable *table = &colormap_Iron;
    bool inverted = false;
    framepath::Rgb888Table rgb = framepath::expand(colormap_Iron, false);
    int paletteInUse = 1;
    std::vector<uint8_t> yuyv = std::vector<uint8_t>(yuv::kWidth * yuv::kHeight * 2);   // a short buffer's copy
    yuv::Enlarger enlarger;
    // The pictures sent; the GUI thread keeps the last one or two of each.
    PicturePool thermalPictures{framepath::kCols, framepath::kRows, QImage::Format_RGB888, 4};
    PicturePool visiblePictures{yuv::kOutWidth, yuv::kOutHeight, QImage::Format_RGB888, 4};
    QImage visiblePicture;   // the last one grabbed
    bool visibleFailing = false;
};

ThermalCameraThread::ThermalCameraThread(QObject *parent) : QThread(parent) {}

ThermalCameraThread::~ThermalCameraThread()
{
    requestInterruption();
    wait();
    m_ended.load(std::memory_order_acquire);
}

// ---- start of the thread --------------------------------------------------------------------

bool ThermalCameraThread::startModule()
{
    if (ir_camera_openm(&cameraParam) < 0) {
        acq::log("ir camera open failed!\n");
        return false;
    }
    return ir_camera_stream_on(&streamFrameInfo, cameraParam) == 0;
}

void ThermalCameraThread::startGain()
{
    const uint8_t stored = acqState.temperature_scale.load();
    acqState.currentGain.store(stored);
    acq::runModuleCommand(stored ? kHighGainCommand : kLowGainCommand);
    acqState.pendingModuleCommand.store(kNoCommand);
    uint16_t gain = 1;
    ir::get_prop_tpd_params(TPD_PROP_GAIN_SEL, &gain);
    acqState.currentGain.store(static_cast<uint8_t>(gain));
    ir::set_prop_image_params(IMAGE_PROP_LEVEL_DDE, gain == 0 ? 0 : 2);
    ir::spi_config_save(12);
    acq::pause(500);
    uint16_t dde = 1;
    ir::get_prop_image_params(IMAGE_PROP_LEVEL_DDE, &dde);
    acq::log("IMAGE_PROP_LEVEL_DDE %d\n", dde);
    acqState.currentDDELevel.store(dde);
}

void ThermalCameraThread::run()
{
    qCDebug(lcAcquisition) << "ThermalCameraThread:" << QThread::currentThreadId();
    const ThreadEnd ended{m_ended};
    if (!startModule())
        return;

    uint16_t tnr = 0, snr = 0, dde = 0;
    ir::get_prop_image_params(IMAGE_PROP_LEVEL_TNR, &tnr);
    ir::get_prop_image_params(IMAGE_PROP_LEVEL_SNR, &snr);
    ir::get_prop_image_params(IMAGE_PROP_LEVEL_DDE, &dde);
    acq::log("IMAGE_PROP_LEVEL_DDE %d\n", dde);
    acq::log("IMAGE_PROP_LEVEL_TNR %d\n", tnr);
    acq::log("IMAGE_PROP_LEVEL_SNR %d\n", snr);

    startGain();
    acq::sendEmissivity(acqState.requestedEmissivity.load());

    yuv::tables();
    initVLCameraDevice();
    startVLCameraDevice();
    auto loop = std::make_unique<Loop>();
    m_frameCounter = 1;
    while (!isInterruptionRequested())
        frame(*loop);
    m_visible.reset();   // the sensor is the loop's, gone with it
}

// ---- one frame ----------------------------------------------------------------------------------

void ThermalCameraThread::frame(Loop &loop)
{
    if (m_frameCounter > 100)
        m_frameCounter = 1;

    const int number = acqState.paletteNumber.load();
    if (number != loop.paletteInUse) {
        if (const Palette *p = palettes::byNumber(number)) {
            loop.rgb = framepath::expand(*p->table, p->inverted);
            loop.paletteInUse = number;
        }
    }

    // The finished calibration is reported before a pending command runs.
    acq::carryOutRequests(
        calibrationMode, [](void *self) { emit static_cast<ThermalCameraThread *>(self)->SignalCalibrationFinish(); },
        this);
    // The calibration page opened: the picture goes out without the module's AGC.
    const bool calibrationMenu = acqState.calTempSubMenuFlag.load() != 0;
    if (calibrationMenu && !m_calibrationMenuSeen)
        emit closeThermalModuleAGC();
    m_calibrationMenuSeen = calibrationMenu;
    const int restart = m_restartRequest.exchange(-1);
    if (restart >= 0) {
        acq::log("closeThermalCameraDevice %d\n", restart);
        emit resetThermalCameraDevice();
        acq::pause(2000);
        acq::runModuleCommand(kShutterCorrection);
    }

    StreamFrameInfo_t &f = streamFrameInfo;
    ir::uvc_frame_get(f.raw_frame);
    ir::raw_data_cut(f.raw_frame, static_cast<int>(f.image_byte_size), static_cast<int>(f.temp_byte_size),
                     f.image_frame, f.temp_frame);

    QImage picture = loop.thermalPictures.take();
    const framepath::Stats s =
        framepath::process(loop.work, reinterpret_cast<const uint16_t *>(f.image_frame),
                           reinterpret_cast<const uint16_t *>(f.temp_frame), loop.rgb, liveframe::thermalBack(),
                           liveframe::grayBack(), picture.bits(), static_cast<int>(picture.bytesPerLine()));
    liveframe::publish();

    if (acq::visibleWanted(acqState.image_mode.load(), m_frameCounter))
        grabVisible(loop);

    emit updateMaxMinValuePost(s.max.row, s.max.col, s.min.row, s.min.col, m_frameCounter);
    emit updateZoneMaxMinValuePost(s.zoneMax.row, s.zoneMax.col, s.zoneMin.row, s.zoneMin.col, m_frameCounter);
    emit updateThermalVLCImage(picture, loop.visiblePicture, s.centre, s.maxValue, s.minValue, s.zoneMaxValue,
                               m_frameCounter);
    ++m_frameCounter;

    acq::pause(acq::framePauseMs(acqState.image_mode.load(), acqState.calTempSubMenuFlag.load(),
                                 acqState.uvcStartFlag.load()));
}

// A sensor that fails to deliver costs the frame its visible picture only:
// the last one grabbed goes out again and infrared frames keep coming.
void ThermalCameraThread::grabVisible(Loop &loop)
{
    const uint8_t *data = nullptr;
    size_t length = 0;
    const int r = m_visible ? m_visible->dequeue(&data, &length) : -1;
    if (r < 0) {
        if (!loop.visibleFailing)
            acq::log("GC0308 camera: VIDIOC_DQBUF failed (%d)\n", r);
        loop.visibleFailing = true;
        return;
    }
    loop.visibleFailing = false;
    // The buffer stays the loop's until it is queued again: a whole picture
    // is read where it is. A short one is copied into the working buffer,
    // whose rest keeps what an earlier short one left (zeros at first).
    if (length < loop.yuyv.size()) {
        std::memcpy(loop.yuyv.data(), data, length);
        data = loop.yuyv.data();
    }
    QImage visible = loop.visiblePictures.take();
    loop.enlarger.runYuyv(data, visible.bits(), static_cast<int>(visible.bytesPerLine()));
    loop.visiblePicture = visible;
    m_visible->requeue();
}

// ---- the visible sensor ---------------------------------------------------------------------------

void ThermalCameraThread::initVLCameraDevice()
{
    m_visible = VisibleCamera::create();
    m_visible->init();
}

void ThermalCameraThread::startVLCameraDevice()
{
    if (m_visible)
        m_visible->start();
}

void ThermalCameraThread::convert_yuv_to_rgb_buffer(unsigned char *yuvData, unsigned char *rgb, unsigned int width,
                                                    unsigned int height)
{
    yuv::toRgb(yuvData, rgb, width, height);
}

int ThermalCameraThread::convert_yuv_to_rgb_pixel(int y, int u, int v) { return yuv::pixel(y, u, v); }

// ---- palettes -------------------------------------------------------------------------------------

void ThermalCameraThread::selectPalette(int number)
{
    const Palette *p = palettes::byNumber(number);
    config::write(config::Main, QStringLiteral("color"), QString::fromLatin1(p->stored));
    acqState.paletteNumber.store(number);
}

void ThermalCameraThread::radioButtonSelectOne() { selectPalette(1); }
void ThermalCameraThread::radioButtonSelectTwo() { selectPalette(2); }
void ThermalCameraThread::radioButtonSelectThree() { selectPalette(3); }
void ThermalCameraThread::radioButtonSelectFour() { selectPalette(4); }
void ThermalCameraThread::radioButtonSelectFive() { selectPalette(5); }
void ThermalCameraThread::radioButtonSelectSix() { selectPalette(6); }
void ThermalCameraThread::radioButtonSelectSeven() { selectPalette(7); }

// ---- calibration modes -------------------------------------------------------------------------------

void ThermalCameraThread::setCalibrationMode(uint8_t highGainMode, uint8_t lowGainMode)
{
    calibrationMode.store(
        acq::modeForGain(acqState.currentGain.load(), highGainMode, lowGainMode, calibrationMode.load()));
}

void ThermalCameraThread::calTempRmcover() { setCalibrationMode(acq::kRmcoverHigh, acq::kRmcoverLow); }
void ThermalCameraThread::calLowTempPoint() { setCalibrationMode(acq::kLowPointHigh, acq::kLowPointLow); }
void ThermalCameraThread::calMiddleTempPoint() { setCalibrationMode(acq::kMidPointHigh, acq::kMidPointLow); }
void ThermalCameraThread::calHighTempPoint() { setCalibrationMode(acq::kHighPointHigh, acq::kHighPointLow); }
void ThermalCameraThread::calTempReset() { setCalibrationMode(acq::kResetHigh, acq::kResetLow); }

void ThermalCameraThread::newRecal()
{
    calibrationMode.store(acq::kNewRecal);
    acqState.pendingModuleCommand.store(acqState.currentGain.load() == 1 ? kRecalHighGain : kRecalLowGain);
}

void ThermalCameraThread::getCalTempSubMenuMode(int mode) { acqState.calTempSubMenuFlag.store(mode); }
void ThermalCameraThread::getUVCStart(int start) { acqState.uvcStartFlag.store(start); }

// ---- parameters, gain and shutter ----------------------------------------------------------------------

void ThermalCameraThread::settingTriggerEmissivity(float emissivity) { acq::sendEmissivity(emissivity); }
void ThermalCameraThread::settingTriggerTu(int celsius) { acq::sendReflectedTemperature(celsius); }
void ThermalCameraThread::settingTriggerDistance(float metres) { acq::sendDistance(metres); }

void ThermalCameraThread::settingTempGain(unsigned char gain)
{
    acqState.currentGain.store(gain);
    acqState.pendingModuleCommand.store(gain != 0 ? kHighGainCommand : kLowGainCommand);
}

void ThermalCameraThread::switchTempGain()
{
    const uint8_t next = acqState.currentGain.load() == 1 ? 0 : 1;
    acqState.currentGain.store(next);
    acqState.temperature_scale.store(next);
    acqState.pendingModuleCommand.store(next ? kHighGainCommand : kLowGainCommand);
}

void ThermalCameraThread::settingTempShutter(qint8 background)
{
    // A shutter replaces a shutter still waiting, never a gain switch or a
    // table command: on a slow frame loop a BACK pressed just after "switch
    // gain" would otherwise lose the switch while the page shows the new gain
    // (and the core recalibrates its offset on a gain change anyway).
    int waiting = acqState.pendingModuleCommand.load();
    const int wanted = background != 0 ? kShutterBackground : kShutterCorrection;
    while (waiting == kNoCommand || waiting == kShutterCorrection || waiting == kShutterBackground) {
        if (acqState.pendingModuleCommand.compare_exchange_weak(waiting, wanted))
            return;
    }
}

void ThermalCameraThread::setDDEofLowGain() { acq::setDdeLevel(0); }
void ThermalCameraThread::setDDEofHighGain() { acq::setDdeLevel(1); }

void ThermalCameraThread::closeThermalCameraDevice(int reason) { m_restartRequest.store(std::max(0, reason)); }
