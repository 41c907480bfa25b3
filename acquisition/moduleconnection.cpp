#include "acquisition/moduleconnection.h"

#include "acquisition/acqlog.h"
#include "acquisition/irmodule.h"

#include <cstdlib>
#include <cstring>

CameraParam_t cameraParam;
StreamFrameInfo_t streamFrameInfo;

int get_dev_index_with_pid_vid(int pid, int vid, DevCfg_t *table)
{
    for (int i = 0; i < DEV_MAX_NUM; ++i)
        if (table[i].vid == vid && table[i].pid == pid)
            return i;
    return -1;
}

CameraParam_t camera_para_set(DevCfg_t dev, int index, CameraStreamInfo_t *formats)
{
    CameraParam_t p;
    std::memset(&p, 0, sizeof p);
    p.dev_cfg = dev;
    p.format = formats[index].format;
    p.width = formats[index].width;
    p.height = formats[index].height;
    p.frame_size = static_cast<uint32_t>(p.width) * p.height * 2;
    p.fps = formats[index].fps;
    p.timeout_ms_delay = 1000;
    return p;
}

int ir_camera_openm(CameraParam_t *param)
{
    DevCfg_t devs[DEV_MAX_NUM];
    CameraStreamInfo_t formats[STREAM_FORMAT_MAX_NUM];
    std::memset(devs, 0, sizeof devs);
    std::memset(formats, 0, sizeof formats);

    int r = ir::uvc_camera_init();
    if (r < 0) {
        acq::log("uvc_camera_init:%d\n", r);
        return r;
    }
    r = ir::uvc_camera_list(devs);
    if (r < 0) {
        acq::log("uvc_camera_list:%d\n", r);
        return r;
    }
    int index = get_dev_index_with_pid_vid(kModuleProductId, kModuleVendorId, devs);
    if (index < 0) {
        acq::log("can not get this device! just try other pid\n");
        index = get_dev_index_with_pid_vid(kModuleProductIdOlder, kModuleVendorId, devs);
        if (index < 0) {
            acq::log("can not get this device!\n");
            return -1;
        }
    }
    devs[index].name[sizeof devs[index].name - 1] = '\0';
    acq::log("name=%s\n", devs[index].name);
    acq::log("cur_index=%d\n", index);

    r = ir::uvc_camera_info_get(devs[index], formats);
    if (r < 0) {
        acq::log("uvc_camera_info_get:%d\n", r);
        return r;
    }
    r = ir::uvc_camera_open(devs[index]);
    if (r < 0) {
        acq::log("uvc_camera_open:%d\n", r);
        return r;
    }
    for (int i = 0; i < STREAM_FORMAT_MAX_NUM && formats[i].width != 0 && formats[i].height != 0; ++i)
        acq::log("width:%d height: %d\n", formats[i].width, formats[i].height);

    *param = camera_para_set(devs[index], kModuleStreamFormat, formats);
    return 0;
}

void create_data_demo(StreamFrameInfo_t *info)
{
    if (info->raw_frame || info->image_frame || info->temp_frame)
        return;
    info->raw_frame = static_cast<uint8_t *>(ir::uvc_frame_buf_create(info->camera_param));
    info->image_frame = static_cast<uint8_t *>(std::calloc(1, info->image_byte_size));
    info->temp_frame = static_cast<uint8_t *>(std::calloc(1, info->temp_byte_size));
}

void load_stream_frame_info(StreamFrameInfo_t *info)
{
    const CameraParam_t &p = info->camera_param;
    info->image_info = {p.width, static_cast<uint16_t>(p.height / 2)};
    info->temp_info = {p.width, static_cast<uint16_t>(p.height / 2)};
    info->image_byte_size = static_cast<uint32_t>(p.width) * (p.height / 2) * 2;
    info->temp_byte_size = info->image_byte_size;
    create_data_demo(info);
}

int ir_camera_stream_on(StreamFrameInfo_t *info, const CameraParam_t &param)
{
    ir::vdcmd_set_polling_wait_time(10000);
    ir::vdcmd_init();
    info->camera_param = param;
    load_stream_frame_info(info);
    if (!info->raw_frame || !info->image_frame || !info->temp_frame) {
        acq::log("frame buffers could not be allocated\n");
        return -1;
    }
    const int r = ir::uvc_camera_stream_start(param, nullptr);
    if (r < 0) {
        acq::log("uvc_camera_stream_start:%d\n", r);
        return r;
    }
    return 0;
}
