#pragma once
// Reading saved videos. The decoder (OpenCV's video reading) lives in a
// library of its own, libnorvik7video.so, loaded the first time a video is
// opened: it brings a few hundred libraries with it (image codecs and what
// they read), which a session that never plays a video should not load.
#include <QImage>
#include <QString>

#include <memory>

namespace videofile {

// An open video. Made and destroyed by the decoder library.
class Decoder {
public:
    virtual ~Decoder() = default;
    // The frame count the file states (0 or less when unknown) and its rate.
    virtual double frameCount() = 0;
    virtual double framesPerSecond() = 0;
    // The next frame into `rgb` as Format_RGB888 (remade when its size
    // differs); false at the end or on a frame that does not decode.
    virtual bool read(QImage &rgb) = 0;
    // The next read() returns frame `index`.
    virtual void seek(int index) = 0;
};

// The decoder library's entry point: a video opened from the file name
// (local 8-bit encoding), or nullptr when it is no video.
using OpenFunction = Decoder *(*)(const char *path);
#define NORVIK7_VIDEO_ENTRY "norvik7_open_video_v1"

// Opens `path`, or nullptr when it is no video or when the decoder library
// cannot be loaded (then decoderError() says why).
std::unique_ptr<Decoder> open(const QString &path);

// Empty when the decoder library is loaded (it is loaded here if need be),
// otherwise why it cannot be: the places searched and the loader's message.
QString decoderError();

}   // namespace videofile
