#pragma once
// The program's one way to the infrared module. Frames are read on the
// acquisition thread while property, shutter and calibration calls come from
// the GUI thread too; every call here holds one lock, so no two of them ever
// reach the module at once. Same names and meaning as the SDK's calls.

#include "acquisition/sdk/irsdk.h"

namespace ir {

int uvc_camera_init();
int uvc_camera_list(DevCfg_t *devs);
int uvc_camera_info_get(DevCfg_t dev, CameraStreamInfo_t *info);
int uvc_camera_open(DevCfg_t dev);
void *uvc_frame_buf_create(CameraParam_t param);
int uvc_camera_stream_start(CameraParam_t param, void *callback);
int uvc_frame_get(void *buf);
int raw_data_cut(uint8_t *raw, int imageBytes, int tempBytes, uint8_t *image, uint8_t *temp);

void vdcmd_set_polling_wait_time(int waitUs);
int vdcmd_init();

int get_prop_image_params(int prop, uint16_t *value);
int set_prop_image_params(int prop, uint16_t value);
int spi_config_save(int what);
int get_prop_tpd_params(int prop, uint16_t *value);
int set_prop_tpd_params(int prop, uint16_t value);

int ooc_b_update(int mode);
int set_prop_auto_shutter_params(int prop, uint16_t value);
int shutter_sta_set(int state);
int shutter_manual_switch(int state);
int rmcover_auto_calc(int mode);
int restore_default_cfg(int what);

int get_tpd_kt_array(uint16_t *kt);
int set_tpd_kt_array(const uint16_t *kt);
int get_tpd_bt_array(int16_t *bt);
int set_tpd_bt_array(const int16_t *bt);
int get_tpd_nuc_t_array(uint16_t *nuc);
int set_tpd_nuc_t_array(const uint16_t *nuc);
int get_tpd_calib_param(TpdCalibParam_t *param);
int cur_vtemp_get(uint16_t *vtemp);
int new_ktbt_recal_double_point_calculate(const IrcalPoint_t *low, const IrcalPoint_t *high,
                                          const EnvCorrectParam_t *env, const TpdCalibParam_t *calib,
                                          const uint8_t *tau, uint16_t curVtemp, const uint16_t *nuc,
                                          const uint16_t *ktIn, const int16_t *btIn, uint16_t *ktOut, int16_t *btOut,
                                          int len);
int multi_point_calc_user_defined_nuc(const IrcalPoint_t *point, const EnvCorrectParam_t *env,
                                      const TpdCalibParam_t *calib, const uint8_t *tau, uint16_t curVtemp,
                                      const uint16_t *nuc, int nucLen, uint16_t *settingNuc, uint16_t *outputNuc);
int multi_point_calc_new_nuc_table(const uint16_t *nucIn, const uint16_t *settingNuc, const uint16_t *outputNuc,
                                   int points, uint16_t *nucOut, int nucLen);

}   // namespace ir
