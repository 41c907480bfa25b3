// The board's GC0308 through Video4Linux2: the capture requests of the
// driver, on the node the board layer opens. The simulated board has its own
// GC0308 (acquisition/), so none of this runs on a development machine.
#include "acquisition/visiblecamera.h"

#include "acquisition/acqlog.h"
#include "acquisition/yuv.h"
#include "board/board.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace {

class V4l2Camera : public VisibleCamera {
public:
    ~V4l2Camera() override
    {
        for (int i = 0; i < m_count; ++i)
            if (m_map[i].start != MAP_FAILED && m_map[i].start)
                ::munmap(m_map[i].start, m_map[i].length);
        board::closeFd(m_fd);
    }

    void init() override
    {
        m_fd = board::openDevice(QString::fromLatin1(kVisibleCameraNode), true);
        if (m_fd < 0) {
            acq::log("Open %s failed\n", kVisibleCameraNode);
            return;
        }
        v4l2_capability cap{};
        if (::ioctl(m_fd, VIDIOC_QUERYCAP, &cap) < 0) {
            acq::log("VIDIOC_QUERYCAP failed (%d)\n", errno);
            return;
        }
        acq::log("Capability Informations:\n");
        acq::log(" driver: %s\n card: %s\n bus_info: %s\n version: %u.%u.%u\n capabilities: 0x%08x\n",
                 reinterpret_cast<const char *>(cap.driver), reinterpret_cast<const char *>(cap.card),
                 reinterpret_cast<const char *>(cap.bus_info), (cap.version >> 16) & 0xFF, (cap.version >> 8) & 0xFF,
                 cap.version & 0xFF, cap.capabilities);
        v4l2_format fmt{};
        fmt.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        fmt.fmt.pix.width = yuv::kWidth;
        fmt.fmt.pix.height = yuv::kHeight;
        fmt.fmt.pix.pixelformat = V4L2_PIX_FMT_YUYV;
        fmt.fmt.pix.field = V4L2_FIELD_INTERLACED;
        if (::ioctl(m_fd, VIDIOC_S_FMT, &fmt) < 0) {
            acq::log("VIDIOC_S_FMT failed (%d)\n", errno);
            return;
        }
        if (::ioctl(m_fd, VIDIOC_G_FMT, &fmt) < 0) {
            acq::log("VIDIOC_G_FMT failed (%d)\n", errno);
            return;
        }
        const uint32_t pf = fmt.fmt.pix.pixelformat;
        acq::log("Stream Format Informations:\n");
        acq::log(" type: %u\n width: %u\n height: %u\n pixelformat: %c%c%c%c\n field: %u\n bytesperline: %u\n"
                 " sizeimage: %u\n",
                 fmt.type, fmt.fmt.pix.width, fmt.fmt.pix.height, pf & 0xFF, (pf >> 8) & 0xFF, (pf >> 16) & 0xFF,
                 (pf >> 24) & 0xFF, fmt.fmt.pix.field, fmt.fmt.pix.bytesperline, fmt.fmt.pix.sizeimage);
        m_formatSet = true;
    }

    void start() override
    {
        if (m_fd < 0 || !m_formatSet)
            return;
        v4l2_requestbuffers req{};
        req.count = kVisibleBuffers;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (::ioctl(m_fd, VIDIOC_REQBUFS, &req) < 0) {
            acq::log("VIDIOC_REQBUFS failed (%d)\n", errno);
            return;
        }
        const int granted = static_cast<int>(std::min<uint32_t>(req.count, kVisibleBuffers));
        for (int i = 0; i < granted; ++i) {
            v4l2_buffer buf{};
            buf.index = i;
            buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            buf.memory = V4L2_MEMORY_MMAP;
            if (::ioctl(m_fd, VIDIOC_QUERYBUF, &buf) < 0) {
                acq::log("VIDIOC_QUERYBUF (%d) failed (%d)\n", i, errno);
                return;
            }
            void *p = ::mmap(nullptr, buf.length, PROT_READ | PROT_WRITE, MAP_SHARED, m_fd, buf.m.offset);
            if (p == MAP_FAILED) {
                acq::log("mmap (%d) failed: %s\n", i, std::strerror(errno));
                return;
            }
            m_map[i] = {p, buf.length};
            m_count = i + 1;
            if (::ioctl(m_fd, VIDIOC_QBUF, &buf) < 0) {
                acq::log("VIDIOC_QBUF (%d) failed (%d)\n", i, errno);
                return;
            }
            acq::log("Frame buffer %d: address=0x%x, length=%d\n", i,
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(p)), static_cast<int>(buf.length));
        }
        v4l2_buf_type type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (::ioctl(m_fd, VIDIOC_STREAMON, &type) < 0) {
            acq::log("VIDIOC_STREAMON failed (%d)\n", errno);
            return;
        }
        m_streaming = true;
    }

    int dequeue(const uint8_t **data, size_t *length) override
    {
        if (m_fd < 0 || !m_streaming)
            return -EBADF;
        m_buf = v4l2_buffer{};
        m_buf.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        m_buf.memory = V4L2_MEMORY_MMAP;
        if (::ioctl(m_fd, VIDIOC_DQBUF, &m_buf) < 0)
            return -errno;
        if (static_cast<int>(m_buf.index) >= m_count) {
            ::ioctl(m_fd, VIDIOC_QBUF, &m_buf);
            return -EINVAL;
        }
        *data = static_cast<const uint8_t *>(m_map[m_buf.index].start);
        *length =
            std::min<size_t>(m_buf.bytesused ? m_buf.bytesused : m_map[m_buf.index].length, m_map[m_buf.index].length);
        m_held = true;
        return 0;
    }

    void requeue() override
    {
        if (!m_held)
            return;
        m_held = false;
        if (::ioctl(m_fd, VIDIOC_QBUF, &m_buf) < 0)
            acq::log("VIDIOC_QBUF (%d) failed (%d)\n", static_cast<int>(m_buf.index), errno);
    }

private:
    struct Mapping {
        void *start = nullptr;
        size_t length = 0;
    };
    int m_fd = -1;
    bool m_formatSet = false;
    bool m_streaming = false;
    Mapping m_map[kVisibleBuffers];
    int m_count = 0;
    v4l2_buffer m_buf{};
    bool m_held = false;
};

}   // namespace

std::unique_ptr<VisibleCamera> makeV4l2Camera() { return std::make_unique<V4l2Camera>(); }
