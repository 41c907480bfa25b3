#pragma once
// Opening a saved video for reading.
#include <QString>

namespace cv {
class VideoCapture;
}

namespace videofile {

// Opens `path` in `capture` with the backends that read files only (FFmpeg,
// GStreamer, OpenCV's own MJPEG reader), in that order. OpenCV's automatic
// choice falls through to camera libraries when a file does not open: the
// gPhoto2 one walks every USB device (the infrared module among them) for
// each such file and leaks what it found. True when the video is open.
bool open(cv::VideoCapture &capture, const QString &path);

}  // namespace videofile
