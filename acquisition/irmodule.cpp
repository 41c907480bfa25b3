#include "acquisition/irmodule.h"

#include <mutex>

namespace ir {
namespace {
std::mutex moduleLock;
}

#define IR_CALL(expr)                                  \
    do {                                               \
        std::lock_guard<std::mutex> guard(moduleLock); \
        return expr;                                   \
    } while (0)

int uvc_camera_init() { IR_CALL(::uvc_camera_init()); }
int uvc_camera_list(DevCfg_t *devs) { IR_CALL(::uvc_camera_list(devs)); }
int uvc_camera_info_get(DevCfg_t dev, CameraStreamInfo_t *info) { IR_CALL(::uvc_camera_info_get(dev, info)); }
int uvc_camera_open(DevCfg_t dev) { IR_CALL(::uvc_camera_open(dev)); }
void *uvc_frame_buf_create(CameraParam_t param) { IR_CALL(::uvc_frame_buf_create(param)); }
int uvc_camera_stream_start(CameraParam_t param, void *callback)
{
    IR_CALL(::uvc_camera_stream_start(param, callback));
}
int uvc_frame_get(void *buf) { IR_CALL(::uvc_frame_get(buf)); }
int raw_data_cut(uint8_t *raw, int imageBytes, int tempBytes, uint8_t *image, uint8_t *temp)
{
    IR_CALL(::raw_data_cut(raw, imageBytes, tempBytes, image, temp));
}

void vdcmd_set_polling_wait_time(int waitUs)
{
    std::lock_guard<std::mutex> guard(moduleLock);
    ::vdcmd_set_polling_wait_time(waitUs);
}
int vdcmd_init() { IR_CALL(::vdcmd_init()); }

int get_prop_image_params(int prop, uint16_t *value) { IR_CALL(::get_prop_image_params(prop, value)); }
int set_prop_image_params(int prop, uint16_t value) { IR_CALL(::set_prop_image_params(prop, value)); }
int spi_config_save(int what) { IR_CALL(::spi_config_save(what)); }
int get_prop_tpd_params(int prop, uint16_t *value) { IR_CALL(::get_prop_tpd_params(prop, value)); }
int set_prop_tpd_params(int prop, uint16_t value) { IR_CALL(::set_prop_tpd_params(prop, value)); }

int ooc_b_update(int mode) { IR_CALL(::ooc_b_update(mode)); }
int set_prop_auto_shutter_params(int prop, uint16_t value) { IR_CALL(::set_prop_auto_shutter_params(prop, value)); }
int shutter_sta_set(int state) { IR_CALL(::shutter_sta_set(state)); }
int shutter_manual_switch(int state) { IR_CALL(::shutter_manual_switch(state)); }
int rmcover_auto_calc(int mode) { IR_CALL(::rmcover_auto_calc(mode)); }
int restore_default_cfg(int what) { IR_CALL(::restore_default_cfg(what)); }

int get_tpd_kt_array(uint16_t *kt) { IR_CALL(::get_tpd_kt_array(kt)); }
int set_tpd_kt_array(const uint16_t *kt) { IR_CALL(::set_tpd_kt_array(kt)); }
int get_tpd_bt_array(int16_t *bt) { IR_CALL(::get_tpd_bt_array(bt)); }
int set_tpd_bt_array(const int16_t *bt) { IR_CALL(::set_tpd_bt_array(bt)); }
int get_tpd_nuc_t_array(uint16_t *nuc) { IR_CALL(::get_tpd_nuc_t_array(nuc)); }
int set_tpd_nuc_t_array(const uint16_t *nuc) { IR_CALL(::set_tpd_nuc_t_array(nuc)); }
int get_tpd_calib_param(TpdCalibParam_t *param) { IR_CALL(::get_tpd_calib_param(param)); }
int cur_vtemp_get(uint16_t *vtemp) { IR_CALL(::cur_vtemp_get(vtemp)); }
int new_ktbt_recal_double_point_calculate(const IrcalPoint_t *low, const IrcalPoint_t *high,
                                          const EnvCorrectParam_t *env, const TpdCalibParam_t *calib,
                                          const uint8_t *tau, uint16_t curVtemp, const uint16_t *nuc,
                                          const uint16_t *ktIn, const int16_t *btIn, uint16_t *ktOut, int16_t *btOut,
                                          int len)
{
    IR_CALL(::new_ktbt_recal_double_point_calculate(low, high, env, calib, tau, curVtemp, nuc, ktIn, btIn, ktOut, btOut,
                                                    len));
}
int multi_point_calc_user_defined_nuc(const IrcalPoint_t *point, const EnvCorrectParam_t *env,
                                      const TpdCalibParam_t *calib, const uint8_t *tau, uint16_t curVtemp,
                                      const uint16_t *nuc, int nucLen, uint16_t *settingNuc, uint16_t *outputNuc)
{
    IR_CALL(::multi_point_calc_user_defined_nuc(point, env, calib, tau, curVtemp, nuc, nucLen, settingNuc, outputNuc));
}
int multi_point_calc_new_nuc_table(const uint16_t *nucIn, const uint16_t *settingNuc, const uint16_t *outputNuc,
                                   int points, uint16_t *nucOut, int nucLen)
{
    IR_CALL(::multi_point_calc_new_nuc_table(nucIn, settingNuc, outputNuc, points, nucOut, nucLen));
}

}   // namespace ir
