#pragma once
// The infrared module's SDK interface as this program uses it: transport,
// frames, command channel, image and temperature properties, shutter and the
// calibration tables. Every call returns a negative number on failure.
// Property values travel as unsigned 16-bit words.
//
// The simulated module (simmodule.cpp) implements every call; a build with
// NORVIK7_REAL_SDK links the module maker's libraries in its place.

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

// ---- transport ---------------------------------------------------------------

#define DEV_MAX_NUM 64
#define STREAM_FORMAT_MAX_NUM 16

typedef struct {
    uint16_t vid;
    uint16_t pid;
    char name[32];
} DevCfg_t;

typedef struct {
    uint32_t format;   // stream format code; 0 width or height ends the list
    uint16_t width;
    uint16_t height;
    uint16_t fps;
} CameraStreamInfo_t;

typedef struct {
    DevCfg_t dev_cfg;
    uint32_t format;
    uint16_t width;
    uint16_t height;
    uint32_t frame_size;   // width * height * 2
    uint16_t fps;
    uint16_t timeout_ms_delay;
} CameraParam_t;

int uvc_camera_init(void);
// Fills up to DEV_MAX_NUM entries; entries past the last device stay as given.
int uvc_camera_list(DevCfg_t *devs);
// Fills up to STREAM_FORMAT_MAX_NUM formats of the device.
int uvc_camera_info_get(DevCfg_t dev, CameraStreamInfo_t *info);
int uvc_camera_open(DevCfg_t dev);
// The raw frame buffer of the stream (frame_size bytes), or a null pointer.
void *uvc_frame_buf_create(CameraParam_t param);
int uvc_camera_stream_start(CameraParam_t param, void *callback);

// ---- frames --------------------------------------------------------------------

// Returns when the next raw frame of width * height 16-bit words is in buf.
int uvc_frame_get(void *buf);
// Copies the upper half (grey image) and the lower half (temperature words).
int raw_data_cut(uint8_t *raw, int image_bytes, int temp_bytes, uint8_t *image, uint8_t *temp);

// ---- command channel -------------------------------------------------------------

void vdcmd_set_polling_wait_time(int wait_us);
int vdcmd_init(void);

// ---- image properties ---------------------------------------------------------------

enum { IMAGE_PROP_LEVEL_TNR = 0, IMAGE_PROP_LEVEL_SNR = 1, IMAGE_PROP_LEVEL_DDE = 2 };
int get_prop_image_params(int prop, uint16_t *value);
int set_prop_image_params(int prop, uint16_t value);
// Stores the module's configuration; 12 after a DDE change.
int spi_config_save(int what);

// ---- temperature properties -----------------------------------------------------------

enum {
    TPD_PROP_DISTANCE = 0,   // metres * 128
    TPD_PROP_TU = 1,         // reflected temperature, kelvin
    TPD_PROP_EMS = 3,        // emissivity * 128
    TPD_PROP_GAIN_SEL = 5,   // 0 low gain, 1 high gain
};
int get_prop_tpd_params(int prop, uint16_t *value);
int set_prop_tpd_params(int prop, uint16_t value);

// ---- shutter and offset -------------------------------------------------------------------

int ooc_b_update(int mode);                                   // one shutter (offset) correction
int set_prop_auto_shutter_params(int prop, uint16_t value);   // prop 0: automatic shutter off/on
int shutter_sta_set(int state);
int shutter_manual_switch(int state);
int rmcover_auto_calc(int mode);
int restore_default_cfg(int what);   // 2: the temperature tables of the gain in use

// ---- calibration ---------------------------------------------------------------------------

#define TPD_KT_BT_LEN 1201
#define TPD_NUC_T_LEN 8192
#define TPD_TAU_MAX_BYTES 7168

typedef struct {
    uint16_t Ktemp;
    uint16_t Btemp;
    uint16_t AddressCA;
} TpdCalibParam_t;

// One measured point of a recalibration.
typedef struct {
    float set_temp;        // blackbody set point, degrees Celsius
    uint16_t vtemp;        // sensor reference reading when it was measured
    float measured_temp;   // what the camera reported, degrees Celsius
} IrcalPoint_t;

// Object and atmosphere the calibration points were taken under.
typedef struct {
    float dist;   // metres
    float ems;    // emissivity
    float hum;    // relative humidity 0..1
    float ta;     // atmosphere, degrees Celsius
    float tu;     // reflected, degrees Celsius
} EnvCorrectParam_t;

// The tables of the gain in use. A table set here is kept in the module's
// flash and is the one in use after the next power-up.
int get_tpd_kt_array(uint16_t *kt);
int set_tpd_kt_array(const uint16_t *kt);
int get_tpd_bt_array(int16_t *bt);
int set_tpd_bt_array(const int16_t *bt);
int get_tpd_nuc_t_array(uint16_t *nuc_t);
int set_tpd_nuc_t_array(const uint16_t *nuc_t);
int get_tpd_calib_param(TpdCalibParam_t *param);
int cur_vtemp_get(uint16_t *vtemp);

// New kt and bt tables that move the low and high points onto their set points.
int new_ktbt_recal_double_point_calculate(const IrcalPoint_t *low, const IrcalPoint_t *high,
                                          const EnvCorrectParam_t *env, const TpdCalibParam_t *calib,
                                          const uint8_t *tau, uint16_t cur_vtemp, const uint16_t *nuc_t,
                                          const uint16_t *kt_in, const int16_t *bt_in, uint16_t *kt_out,
                                          int16_t *bt_out, int kt_bt_len);
// The nuc value of the point's set temperature and of its measured temperature.
int multi_point_calc_user_defined_nuc(const IrcalPoint_t *point, const EnvCorrectParam_t *env,
                                      const TpdCalibParam_t *calib, const uint8_t *tau, uint16_t cur_vtemp,
                                      const uint16_t *nuc_t, int nuc_t_len, uint16_t *setting_nuc,
                                      uint16_t *output_nuc);
// A nuc-t table bent through three (setting, output) pairs, in ascending order
// of temperature, beyond the straight line through the first and last pair.
int multi_point_calc_new_nuc_table(const uint16_t *nuc_t_in, const uint16_t *setting_nuc, const uint16_t *output_nuc,
                                   int points, uint16_t *nuc_t_out, int nuc_t_len);

#ifdef __cplusplus
}
#endif
