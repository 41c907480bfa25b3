// The simulated infrared module behind the SDK calls of irsdk.h: its
// power-on state, the calls themselves, and the controls tests turn.

#include "acquisition/sdk/simcore.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <thread>

namespace irsim {

void Core::powerOn()
{
    initialised = opened = streaming = commandChannel = false;
    gain = 1;
    imageProps[IMAGE_PROP_LEVEL_TNR] = 2;
    imageProps[IMAGE_PROP_LEVEL_SNR] = 1;
    imageProps[IMAGE_PROP_LEVEL_DDE] = 1;
    distanceCode = 64;
    tuKelvin = 298;
    emsCode = 128;
    autoShutter = true;
    shutterState = 1;
    lastShutter = 0.0;
    for (int g = 0; g < 2; ++g) {
        factory[g] = factoryTables(kGains[g]);
        tables[g] = factory[g];
        reportDirty[g] = true;
    }
    frame = 0;
    periodUs = 40000;
    deviceOverride.clear();
    devicesOverridden = false;
    forcedResults.clear();
    log.clear();
    scene.reset();
    recording.reset();
    lastReplayed = -1;
    visibleOfReplay.clear();
    sceneFileStamp = {};
    sceneWatch = FileWatch();
    moduleWatch = FileWatch();
    unplugged = false;
    lastRaw.assign(kFrameWords, 0);
    if (driftShape.empty()) {
        driftShape.resize(kPixels);
        for (int y = 0; y < kHalfHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                const double dx = (x - 127.5) / 128.0, dy = (y - 95.5) / 96.0;
                driftShape[y * kWidth + x] = static_cast<float>(1.0 + 0.35 * (dx * dx + dy * dy));
            }
    }
}

void Core::record(const char *fmt, ...)
{
    char line[160];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(line, sizeof line, fmt, ap);
    va_end(ap);
    log.emplace_back(line);
}

// The first nuc value whose temperature reaches `kelvin`, with a fraction.
double Core::nucOf(const uint16_t *nuc, int len, double kelvin)
{
    const double w = kelvin * 64.0;
    if (w <= nuc[0])
        return 0;
    for (int n = 1; n < len; ++n)
        if (nuc[n] >= w) {
            const double span = nuc[n] - nuc[n - 1];
            return span > 0 ? n - 1 + (w - nuc[n - 1]) / span : n;
        }
    return len - 1;
}

Core &core()
{
    static Core c;
    return c;
}

namespace {

bool envPlausible(const EnvCorrectParam_t *env)
{
    return env && env->ems > 0.0f && env->ems <= 1.0f && env->dist >= 0.0f && env->hum >= 0.0f && env->hum <= 1.0f;
}

}   // namespace

// ---- controls --------------------------------------------------------------------------------

void reset()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.powerOn();
}

void setFramePeriodUs(int us)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.periodUs = std::max(0, us);
}

void setDevices(const std::vector<DevCfg_t> &devices)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.deviceOverride = devices;
    c.devicesOverridden = true;
}

void setCallResult(const std::string &call, int result)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.forcedResults[call] = result;
}

std::vector<std::string> calls()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.log;
}

void clearCalls()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.log.clear();
}

void note(const std::string &line)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.log.push_back(line);
}

long framesDelivered()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.frame;
}

double sceneSeconds()
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    return c.sceneTime();
}

void renderVisible(uint8_t *yuyv)
{
    Core &c = core();
    std::lock_guard<std::mutex> lock(c.m);
    c.renderVisible(yuyv);
}

GainRange gainRange(int gain)
{
    const GainModel &g = kGains[gain ? 1 : 0];
    return {g.minC, g.maxC};
}

}   // namespace irsim

using irsim::core;

#define SIM_LOCK                    \
    irsim::Core &c = irsim::core(); \
    std::lock_guard<std::mutex> lock(c.m)

// Property and calibration calls need the command channel.
#define NEED_CHANNEL(name)         \
    if (!c.commandChannel)         \
        return c.result(name, -1); \
    if (c.result(name, 0) < 0)     \
    return c.result(name, 0)

extern "C" {

// ---- transport ---------------------------------------------------------------------------------

int uvc_camera_init(void)
{
    SIM_LOCK;
    const int r = c.result("uvc_camera_init", 0);
    if (r < 0)
        return r;
    c.initialised = true;
    c.opened = c.streaming = false;
    c.loadFlash();
    return 0;
}

int uvc_camera_list(DevCfg_t *devs)
{
    SIM_LOCK;
    if (!c.initialised || !devs)
        return -1;
    const int r = c.result("uvc_camera_list", 0);
    if (r < 0)
        return r;
    std::vector<DevCfg_t> list;
    if (c.devicesOverridden) {
        list = c.deviceOverride;
    } else {
        const std::string state = irsim::readSmallFile(irsim::hostPath("/sim/ir_module"));
        if (state.compare(0, 6, "absent") != 0) {
            DevCfg_t d{};
            d.vid = irsim::kVid;
            d.pid = irsim::kPid;
            std::snprintf(d.name, sizeof d.name, "%s", "Norvik7 IR core");
            list.push_back(d);
        }
    }
    for (size_t i = 0; i < list.size() && i < DEV_MAX_NUM; ++i)
        devs[i] = list[i];
    return 0;
}

int uvc_camera_info_get(DevCfg_t dev, CameraStreamInfo_t *info)
{
    (void)dev;
    SIM_LOCK;
    if (!c.initialised || !info)
        return -1;
    const int r = c.result("uvc_camera_info_get", 0);
    if (r < 0)
        return r;
    std::memset(info, 0, sizeof(CameraStreamInfo_t) * STREAM_FORMAT_MAX_NUM);
    info[0] = {1, 256, 192, 25};   // the grey image alone
    info[1] = {2, 256, 384, 25};   // grey image over temperature words
    return 0;
}

int uvc_camera_open(DevCfg_t dev)
{
    SIM_LOCK;
    if (!c.initialised)
        return -1;
    const int r = c.result("uvc_camera_open", 0);
    if (r < 0)
        return r;
    if (dev.vid != irsim::kVid || (dev.pid != 0x5840 && dev.pid != 0x5830))
        return -2;
    c.opened = true;
    return 0;
}

void *uvc_frame_buf_create(CameraParam_t param)
{
    SIM_LOCK;
    if (param.frame_size == 0 || c.result("uvc_frame_buf_create", 0) < 0)
        return nullptr;
    c.frameBuffers.emplace_back(new uint8_t[param.frame_size]());
    return c.frameBuffers.back().get();
}

int uvc_camera_stream_start(CameraParam_t param, void *callback)
{
    (void)callback;
    SIM_LOCK;
    const int r = c.result("uvc_camera_stream_start", 0);
    if (r < 0)
        return r;
    if (!c.opened || param.width != irsim::kWidth || param.height != 2 * irsim::kHalfHeight ||
        param.frame_size != static_cast<uint32_t>(irsim::kFrameBytes))
        return -1;
    c.streaming = true;
    c.frame = 0;
    c.lastShutter = 0.0;
    c.streamStart = std::chrono::steady_clock::now();
    c.chooseStartScene();
    return 0;
}

// ---- frames ---------------------------------------------------------------------------------------

int uvc_frame_get(void *buf)
{
    irsim::Core &c = irsim::core();
    std::unique_lock<std::mutex> lock(c.m);
    if (!c.streaming || !buf)
        return -1;
    if (c.periodUs > 0) {
        // Wait for the next frame of the stream; a late reader gets the newest.
        const auto period = std::chrono::microseconds(c.periodUs);
        const auto due = c.streamStart + period * (c.frame + 1);
        lock.unlock();
        std::this_thread::sleep_until(due);
        lock.lock();
        const long elapsed = static_cast<long>((std::chrono::steady_clock::now() - c.streamStart) / period);
        c.frame = std::max(c.frame + 1, elapsed);
    } else {
        ++c.frame;
    }
    c.followModuleFile();
    if (c.unplugged)
        return -1;   // nothing comes from a module that is gone
    c.followSceneFile();
    c.followRecording();
    c.makeFrame(static_cast<uint16_t *>(buf));
    return 0;
}

int raw_data_cut(uint8_t *raw, int image_bytes, int temp_bytes, uint8_t *image, uint8_t *temp)
{
    if (!raw || !image || !temp || image_bytes < 0 || temp_bytes < 0)
        return -1;
    std::memcpy(image, raw, image_bytes);
    std::memcpy(temp, raw + image_bytes, temp_bytes);
    return 0;
}

// ---- command channel -----------------------------------------------------------------------------------

void vdcmd_set_polling_wait_time(int wait_us)
{
    SIM_LOCK;
    c.record("vdcmd_set_polling_wait_time(%d)", wait_us);
}

int vdcmd_init(void)
{
    SIM_LOCK;
    c.record("vdcmd_init()");
    const int r = c.result("vdcmd_init", 0);
    if (r < 0 || !c.opened)
        return r < 0 ? r : -1;
    c.commandChannel = true;
    return 0;
}

// ---- properties ---------------------------------------------------------------------------------------------

int get_prop_image_params(int prop, uint16_t *value)
{
    SIM_LOCK;
    c.record("get_prop_image_params(%d)", prop);
    NEED_CHANNEL("get_prop_image_params");
    if (prop < 0 || prop > 2 || !value)
        return -1;
    *value = c.imageProps[prop];
    return 0;
}

int set_prop_image_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_image_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_image_params");
    if (prop < 0 || prop > 2 || value > 4)
        return -1;
    c.imageProps[prop] = value;
    return 0;
}

int spi_config_save(int what)
{
    SIM_LOCK;
    c.record("spi_config_save(%d)", what);
    NEED_CHANNEL("spi_config_save");
    return 0;
}

int get_prop_tpd_params(int prop, uint16_t *value)
{
    SIM_LOCK;
    c.record("get_prop_tpd_params(%d)", prop);
    NEED_CHANNEL("get_prop_tpd_params");
    if (!value)
        return -1;
    switch (prop) {
    case TPD_PROP_DISTANCE:
        *value = c.distanceCode;
        return 0;
    case TPD_PROP_TU:
        *value = c.tuKelvin;
        return 0;
    case TPD_PROP_EMS:
        *value = c.emsCode;
        return 0;
    case TPD_PROP_GAIN_SEL:
        *value = static_cast<uint16_t>(c.gain);
        return 0;
    default:
        return -1;
    }
}

int set_prop_tpd_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_tpd_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_tpd_params");
    switch (prop) {
    case TPD_PROP_DISTANCE:
        c.distanceCode = value;
        break;
    case TPD_PROP_TU:
        c.tuKelvin = value;
        break;
    case TPD_PROP_EMS:
        if (value == 0 || value > 128)
            return -1;
        c.emsCode = value;
        break;
    case TPD_PROP_GAIN_SEL:
        if (value > 1)
            return -1;
        if (c.gain != value)
            c.lastShutter = c.sceneTime();   // the core recalibrates its offset on a gain change
        c.gain = value;
        break;
    default:
        return -1;
    }
    c.parametersChanged();
    return 0;
}

// ---- shutter ---------------------------------------------------------------------------------------------------

int ooc_b_update(int mode)
{
    SIM_LOCK;
    c.record("ooc_b_update(%d)", mode);
    NEED_CHANNEL("ooc_b_update");
    c.lastShutter = c.sceneTime();
    return 0;
}

int set_prop_auto_shutter_params(int prop, uint16_t value)
{
    SIM_LOCK;
    c.record("set_prop_auto_shutter_params(%d,%u)", prop, value);
    NEED_CHANNEL("set_prop_auto_shutter_params");
    if (prop != 0)
        return -1;
    c.autoShutter = value != 0;
    return 0;
}

int shutter_sta_set(int state)
{
    SIM_LOCK;
    c.record("shutter_sta_set(%d)", state);
    NEED_CHANNEL("shutter_sta_set");
    c.shutterState = state;
    return 0;
}

int shutter_manual_switch(int state)
{
    SIM_LOCK;
    c.record("shutter_manual_switch(%d)", state);
    NEED_CHANNEL("shutter_manual_switch");
    return 0;
}

int rmcover_auto_calc(int mode)
{
    SIM_LOCK;
    c.record("rmcover_auto_calc(%d)", mode);
    NEED_CHANNEL("rmcover_auto_calc");
    c.lastShutter = c.sceneTime();
    return 0;
}

int restore_default_cfg(int what)
{
    SIM_LOCK;
    c.record("restore_default_cfg(%d)", what);
    NEED_CHANNEL("restore_default_cfg");
    if (what == 2 || what == 0) {
        // The temperature tables of the gain in use; the other range keeps
        // its calibration.
        c.tables[c.gain] = c.factory[c.gain];
        c.parametersChanged();
        c.saveFlash();
    }
    if (what == 1 || what == 0) {
        c.imageProps[IMAGE_PROP_LEVEL_TNR] = 2;
        c.imageProps[IMAGE_PROP_LEVEL_SNR] = 1;
        c.imageProps[IMAGE_PROP_LEVEL_DDE] = 1;
    }
    return 0;
}

// ---- calibration tables ------------------------------------------------------------------------------------------

int get_tpd_kt_array(uint16_t *kt)
{
    SIM_LOCK;
    c.record("get_tpd_kt_array()");
    NEED_CHANNEL("get_tpd_kt_array");
    if (!kt)
        return -1;
    std::copy(c.tables[c.gain].kt.begin(), c.tables[c.gain].kt.end(), kt);
    return 0;
}

int set_tpd_kt_array(const uint16_t *kt)
{
    SIM_LOCK;
    c.record("set_tpd_kt_array()");
    NEED_CHANNEL("set_tpd_kt_array");
    if (!kt)
        return -1;
    std::copy(kt, kt + TPD_KT_BT_LEN, c.tables[c.gain].kt.begin());
    c.saveFlash();
    return 0;
}

int get_tpd_bt_array(int16_t *bt)
{
    SIM_LOCK;
    c.record("get_tpd_bt_array()");
    NEED_CHANNEL("get_tpd_bt_array");
    if (!bt)
        return -1;
    std::copy(c.tables[c.gain].bt.begin(), c.tables[c.gain].bt.end(), bt);
    return 0;
}

int set_tpd_bt_array(const int16_t *bt)
{
    SIM_LOCK;
    c.record("set_tpd_bt_array()");
    NEED_CHANNEL("set_tpd_bt_array");
    if (!bt)
        return -1;
    std::copy(bt, bt + TPD_KT_BT_LEN, c.tables[c.gain].bt.begin());
    c.saveFlash();
    return 0;
}

int get_tpd_nuc_t_array(uint16_t *nuc_t)
{
    SIM_LOCK;
    c.record("get_tpd_nuc_t_array()");
    NEED_CHANNEL("get_tpd_nuc_t_array");
    if (!nuc_t)
        return -1;
    std::copy(c.tables[c.gain].nuc.begin(), c.tables[c.gain].nuc.end(), nuc_t);
    return 0;
}

int set_tpd_nuc_t_array(const uint16_t *nuc_t)
{
    SIM_LOCK;
    c.record("set_tpd_nuc_t_array()");
    NEED_CHANNEL("set_tpd_nuc_t_array");
    if (!nuc_t)
        return -1;
    std::copy(nuc_t, nuc_t + TPD_NUC_T_LEN, c.tables[c.gain].nuc.begin());
    c.parametersChanged();
    c.saveFlash();
    return 0;
}

int get_tpd_calib_param(TpdCalibParam_t *param)
{
    SIM_LOCK;
    c.record("get_tpd_calib_param()");
    NEED_CHANNEL("get_tpd_calib_param");
    if (!param)
        return -1;
    param->Ktemp = static_cast<uint16_t>(irsim::kVtempPerDegree);
    param->Btemp = static_cast<uint16_t>(irsim::kVtempAtZero);
    param->AddressCA = c.gain ? 0x1C00 : 0x2C00;
    return 0;
}

int cur_vtemp_get(uint16_t *vtemp)
{
    SIM_LOCK;
    c.record("cur_vtemp_get()");
    NEED_CHANNEL("cur_vtemp_get");
    if (!vtemp)
        return -1;
    *vtemp = irsim::vtempOf(irsim::coreCelsius(c.sceneTime()));
    return 0;
}

// The module reads a measured temperature back into what it saw, with the
// object parameters in use when it was measured (the current ones); a set
// point is a blackbody at the set distance.
int new_ktbt_recal_double_point_calculate(const IrcalPoint_t *low, const IrcalPoint_t *high,
                                          const EnvCorrectParam_t *env, const TpdCalibParam_t *calib,
                                          const uint8_t *tau, uint16_t cur_vtemp, const uint16_t *nuc_t,
                                          const uint16_t *kt_in, const int16_t *bt_in, uint16_t *kt_out,
                                          int16_t *bt_out, int kt_bt_len)
{
    (void)tau;
    (void)cur_vtemp;
    SIM_LOCK;
    c.record("new_ktbt_recal_double_point_calculate()");
    if (!low || !high || !calib || !nuc_t || !kt_in || !bt_in || !kt_out || !bt_out || kt_bt_len != TPD_KT_BT_LEN)
        return -1;
    std::copy(kt_in, kt_in + kt_bt_len, kt_out);
    std::copy(bt_in, bt_in + kt_bt_len, bt_out);
    if (!irsim::envPlausible(env))
        return -2;
    auto nucOfObject = [&](float celsius) {
        return irsim::Core::nucOf(nuc_t, TPD_NUC_T_LEN, c.apparentOf(celsius + irsim::kKelvin));
    };
    auto nucOfSet = [&](float celsius) {
        return irsim::Core::nucOf(nuc_t, TPD_NUC_T_LEN, c.apparentOfBlackbody(celsius + irsim::kKelvin));
    };
    const double mLo = nucOfObject(low->measured_temp), mHi = nucOfObject(high->measured_temp);
    const double sLo = nucOfSet(low->set_temp), sHi = nucOfSet(high->set_temp);
    if (mHi - mLo < 16 || sHi - sLo < 16)
        return -3;   // the points are not two distinct readings inside the range
    const double a = (sHi - sLo) / (mHi - mLo);
    const double b = sLo - a * mLo;
    if (a < 0.8 || a > 1.25)
        return -4;
    for (int i = 0; i < kt_bt_len; ++i) {
        kt_out[i] = static_cast<uint16_t>(std::clamp(std::lround(kt_in[i] * a), 1L, 65535L));
        bt_out[i] = static_cast<int16_t>(std::clamp(std::lround(a * bt_in[i] + b * irsim::kBtScale), -32768L, 32767L));
    }
    return 0;
}

int multi_point_calc_user_defined_nuc(const IrcalPoint_t *point, const EnvCorrectParam_t *env,
                                      const TpdCalibParam_t *calib, const uint8_t *tau, uint16_t cur_vtemp,
                                      const uint16_t *nuc_t, int nuc_t_len, uint16_t *setting_nuc, uint16_t *output_nuc)
{
    (void)tau;
    (void)cur_vtemp;
    SIM_LOCK;
    c.record("multi_point_calc_user_defined_nuc()");
    if (!point || !calib || !nuc_t || nuc_t_len != TPD_NUC_T_LEN || !setting_nuc || !output_nuc)
        return -1;
    if (!irsim::envPlausible(env))
        return -2;
    *setting_nuc = static_cast<uint16_t>(
        std::lround(irsim::Core::nucOf(nuc_t, nuc_t_len, c.apparentOfBlackbody(point->set_temp + irsim::kKelvin))));
    *output_nuc = static_cast<uint16_t>(
        std::lround(irsim::Core::nucOf(nuc_t, nuc_t_len, c.apparentOf(point->measured_temp + irsim::kKelvin))));
    return 0;
}

int multi_point_calc_new_nuc_table(const uint16_t *nuc_t_in, const uint16_t *setting_nuc, const uint16_t *output_nuc,
                                   int points, uint16_t *nuc_t_out, int nuc_t_len)
{
    SIM_LOCK;
    c.record("multi_point_calc_new_nuc_table(%d)", points);
    if (!nuc_t_in || !setting_nuc || !output_nuc || !nuc_t_out || nuc_t_len != TPD_NUC_T_LEN)
        return -1;
    std::copy(nuc_t_in, nuc_t_in + nuc_t_len, nuc_t_out);
    if (points != 3)
        return points == 2 ? 0 : -1;
    // The straight line through the outer pairs is the kt/bt correction; what
    // the middle pair leaves over it bends the table between the outer
    // set points.
    const double sLo = setting_nuc[0], sMid = setting_nuc[1], sHi = setting_nuc[2];
    const double oLo = output_nuc[0], oMid = output_nuc[1], oHi = output_nuc[2];
    if (!(sLo < sMid && sMid < sHi) || oHi - oLo < 16)
        return -2;
    const double m = sLo + (oMid - oLo) * (sHi - sLo) / (oHi - oLo);
    if (!(sLo < m && m < sHi))
        return -3;
    for (int n = static_cast<int>(std::ceil(sLo)); n <= static_cast<int>(sHi) && n < nuc_t_len; ++n) {
        const double w = n < m ? sLo + (n - sLo) * (sMid - sLo) / (m - sLo) : sMid + (n - m) * (sHi - sMid) / (sHi - m);
        const int i = std::clamp(static_cast<int>(w), 0, nuc_t_len - 2);
        const double f = w - i;
        nuc_t_out[n] = static_cast<uint16_t>(std::lround(nuc_t_in[i] * (1 - f) + nuc_t_in[i + 1] * f));
    }
    return 0;
}

}   // extern "C"
