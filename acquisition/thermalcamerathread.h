#pragma once
// The acquisition thread: owns the infrared module for the life of the
// program. Per frame it reads the module, stretches and colours the grey
// half, turns picture and temperatures to portrait, finds the hottest and
// coldest points of the frame and of the central zone, grabs a visible
// picture when needed and hands everything to the GUI thread by queued
// signals. Between frames it carries out the gain, shutter and calibration
// requests that the GUI-thread slots post.
//
// The object belongs to the GUI thread: its slots run there and only post
// requests (the parameter slots also call the module, which serialises them
// against frame reads).

#include "acquisition/modulerequests.h"

#include <QImage>
#include <QThread>

#include <atomic>
#include <cstdint>
#include <memory>

class VisibleCamera;

class ThermalCameraThread : public QThread {
    Q_OBJECT
public:
    explicit ThermalCameraThread(QObject *parent = nullptr);
    // Asks the loop to end and waits for it (the program itself never stops it).
    ~ThermalCameraThread() override;

    // Calibration mode, acq::kCalibrationIdle when none is pending.
    std::atomic<uint8_t> calibrationMode{acq::kCalibrationIdle};

    // The visible sensor, set up once at the start of the thread.
    void initVLCameraDevice();
    void startVLCameraDevice();
    static void convert_yuv_to_rgb_buffer(unsigned char *yuv, unsigned char *rgb, unsigned int width,
                                          unsigned int height);
    // One pixel as 0xRRGGBB.
    static int convert_yuv_to_rgb_pixel(int y, int u, int v);

signals:
    // Row and column of the frame's maximum and minimum, frame counter 1..100.
    void updateMaxMinValuePost(int maxRow, int maxCol, int minRow, int minCol, int frameCounter);
    // The same for the central zone.
    void updateZoneMaxMinValuePost(int maxRow, int maxCol, int minRow, int minCol, int frameCounter);
    // Infrared picture (192 x 256), visible picture (264 x 352, the last one
    // grabbed; null before the first), centre, maximum, minimum and zone
    // maximum words, frame counter.
    void updateThermalVLCImage(QImage thermal, QImage visible, unsigned short centre, unsigned short max,
                               unsigned short min, unsigned short zoneMax, int frameCounter);
    // After each calibration mode has been carried out.
    void SignalCalibrationFinish();
    // The temperature calibration page has opened (the loop saw its flag set).
    void closeThermalModuleAGC();
    // The module was asked to restart (after a remove-cover reset).
    void resetThermalCameraDevice();

public slots:
    // Palettes 1..7: store the choice and use it from the next frame.
    void radioButtonSelectOne();
    void radioButtonSelectTwo();
    void radioButtonSelectThree();
    void radioButtonSelectFour();
    void radioButtonSelectFive();
    void radioButtonSelectSix();
    void radioButtonSelectSeven();

    // Calibration modes of the current gain.
    void calTempRmcover();
    void calLowTempPoint();
    void calMiddleTempPoint();
    void calHighTempPoint();
    void calTempReset();
    void newRecal();

    void getCalTempSubMenuMode(int mode);
    void getUVCStart(int start);

    // Object parameters, sent to the module at once when they changed.
    void settingTriggerEmissivity(float emissivity);
    void settingTriggerTu(int celsius);
    void settingTriggerDistance(float metres);
    // Gain and shutter, run by the loop before its next frame.
    void settingTempGain(unsigned char gain);
    void switchTempGain();
    void settingTempShutter(qint8 background);
    void setDDEofLowGain();
    void setDDEofHighGain();

    void closeThermalCameraDevice(int reason);

protected:
    void run() override;

private:
    struct Loop;
    bool startModule();
    void startGain();
    void frame(Loop &loop);
    void grabVisible(Loop &loop);
    void selectPalette(int number);
    void setCalibrationMode(uint8_t highGainMode, uint8_t lowGainMode);

    std::unique_ptr<VisibleCamera> m_visible;
    std::atomic<int> m_restartRequest{-1};
    // Set as run() returns; read after the thread has been waited for, so that
    // everything the loop touched is seen as done (also by ThreadSanitizer).
    std::atomic<bool> m_ended{false};
    int m_frameCounter = 1;
    bool m_calibrationMenuSeen = false;
};
