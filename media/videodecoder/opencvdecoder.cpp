// The video decoder library: OpenCV's file capture behind videofile::Decoder.
#include "media/videofile.h"

#include <opencv2/imgproc.hpp>
#include <opencv2/videoio.hpp>

namespace {

class OpenCvDecoder : public videofile::Decoder {
public:
    // Opens `name` with the backends that read files only (FFmpeg, GStreamer,
    // OpenCV's own MJPEG reader), in that order. OpenCV's automatic choice
    // falls through to camera libraries when a file does not open: the
    // gPhoto2 one walks every USB device (the infrared module among them) for
    // each such file and leaks what it found.
    bool open(const std::string &name)
    {
        for (const int backend : {cv::CAP_FFMPEG, cv::CAP_GSTREAMER, cv::CAP_OPENCV_MJPEG}) {
            try {
                if (m_capture.open(name, backend) && m_capture.isOpened())
                    return true;
            } catch (const cv::Exception &) {
            }
            m_capture.release();
        }
        return false;
    }

    double frameCount() override { return m_capture.get(cv::CAP_PROP_FRAME_COUNT); }
    double framesPerSecond() override { return m_capture.get(cv::CAP_PROP_FPS); }

    bool read(QImage &rgb) override
    {
        cv::Mat frame;
        try {
            if (!m_capture.read(frame) || frame.empty())
                return false;
            if (frame.type() != CV_8UC3) {
                cv::Mat converted;
                if (frame.channels() == 1)
                    cv::cvtColor(frame, converted, cv::COLOR_GRAY2BGR);
                else if (frame.channels() == 4)
                    cv::cvtColor(frame, converted, cv::COLOR_BGRA2BGR);
                else
                    return false;
                frame = converted;
            }
            if (rgb.width() != frame.cols || rgb.height() != frame.rows || rgb.format() != QImage::Format_RGB888)
                rgb = QImage(frame.cols, frame.rows, QImage::Format_RGB888);
            // The picture's pixels seen as an OpenCV image: converted in place.
            cv::Mat shared(frame.rows, frame.cols, CV_8UC3, rgb.bits(), static_cast<size_t>(rgb.bytesPerLine()));
            cv::cvtColor(frame, shared, cv::COLOR_BGR2RGB);
        } catch (const cv::Exception &) {
            return false;
        }
        return true;
    }

    void seek(int index) override { m_capture.set(cv::CAP_PROP_POS_FRAMES, index); }

private:
    cv::VideoCapture m_capture;
};

}   // namespace

extern "C" __attribute__((visibility("default"))) videofile::Decoder *norvik7_open_video_v1(const char *path)
{
    auto decoder = std::make_unique<OpenCvDecoder>();
    if (!decoder->open(path))
        return nullptr;
    return decoder.release();
}
