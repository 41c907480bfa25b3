#include "media/videofile.h"

#include <QFile>

#include <opencv2/videoio.hpp>

namespace videofile {

bool open(cv::VideoCapture &capture, const QString &path)
{
    const std::string name = QFile::encodeName(path).toStdString();
    for (const int backend : {cv::CAP_FFMPEG, cv::CAP_GSTREAMER, cv::CAP_OPENCV_MJPEG}) {
        try {
            if (capture.open(name, backend) && capture.isOpened())
                return true;
        } catch (const cv::Exception &) {
        }
        capture.release();
    }
    return false;
}

}  // namespace videofile
