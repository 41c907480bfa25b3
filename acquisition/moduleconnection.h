#pragma once
// Finding, opening and streaming the infrared module, once, at the start of
// the acquisition thread. The module delivers 256 x 384 frames of 16-bit
// words: the upper 256 x 192 half is the grey image, the lower half the
// temperature words.

#include "acquisition/sdk/irsdk.h"

constexpr uint16_t kModuleVendorId = 0x0BDA;
constexpr uint16_t kModuleProductId = 0x5840;
constexpr uint16_t kModuleProductIdOlder = 0x5830;
constexpr int kModuleStreamFormat = 1;   // the second format listed

typedef struct {
    uint16_t width;
    uint16_t height;
} FrameInfo_t;

// The frame set of the stream.
typedef struct {
    uint8_t *raw_frame;   // from uvc_frame_buf_create
    uint8_t *image_frame;
    uint32_t image_byte_size;   // width * (height / 2) * 2
    uint8_t *temp_frame;
    uint32_t temp_byte_size;
    FrameInfo_t image_info;   // width x height / 2
    FrameInfo_t temp_info;
    CameraParam_t camera_param;
} StreamFrameInfo_t;

// The single stream parameter block and frame set, owned by the acquisition thread.
extern CameraParam_t cameraParam;
extern StreamFrameInfo_t streamFrameInfo;

// Finds and opens the module and fills the parameter block; 0 on success.
int ir_camera_openm(CameraParam_t *param);
// Index of the first table entry with the given ids, or -1.
int get_dev_index_with_pid_vid(int pid, int vid, DevCfg_t *table);
// The parameter block of a device entry and its stream format `index`.
CameraParam_t camera_para_set(DevCfg_t dev, int index, CameraStreamInfo_t *formats);
// Geometry and byte counts from the parameter block, then the buffers.
void load_stream_frame_info(StreamFrameInfo_t *info);
// The raw, image and temperature buffers, unless one of them exists already.
void create_data_demo(StreamFrameInfo_t *info);
// Command channel, frame set, stream start; 0 on success.
int ir_camera_stream_on(StreamFrameInfo_t *info, const CameraParam_t &param);
