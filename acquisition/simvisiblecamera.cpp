#include "acquisition/visiblecamera.h"

#include "acquisition/acqlog.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/yuv.h"
#include "board/board.h"

#include <QByteArray>

#include <cerrno>
#include <cstdint>
#include <vector>

namespace {

// The simulated GC0308: present while its node exists and
// "/sim/visible_camera" does not say "off"; it shows the scene the infrared
// module looks at, at the module's scene time.
class SimulatedCamera : public VisibleCamera {
public:
    void init() override
    {
        if (!available()) {
            acq::log("Open %s failed\n", kVisibleCameraNode);
            return;
        }
        m_open = true;
        acq::log("Capability Informations:\n");
        acq::log(" driver: gc0308\n card: GC0308 (simulated)\n bus_info: platform:sim\n version: 1.0.0\n"
                 " capabilities: 0x04000001\n");
        acq::log("Stream Format Informations:\n");
        acq::log(" type: 1\n width: %d\n height: %d\n pixelformat: YUYV\n field: 4\n", yuv::kWidth, yuv::kHeight);
    }

    void start() override
    {
        if (!m_open)
            return;
        for (int i = 0; i < kVisibleBuffers; ++i) {
            m_buffers[i].assign(yuv::kWidth * yuv::kHeight * 2, 0);
            acq::log("Frame buffer %d: address=0x%x, length=%d\n", i,
                     static_cast<unsigned>(reinterpret_cast<uintptr_t>(m_buffers[i].data())),
                     static_cast<int>(m_buffers[i].size()));
        }
        m_streaming = true;
    }

    int dequeue(const uint8_t **data, size_t *length) override
    {
        if (!m_streaming || !available())
            return -EIO;
        std::vector<uint8_t> &b = m_buffers[m_next];
        irsim::renderVisible(b.data());
        *data = b.data();
        *length = b.size();
        m_next = (m_next + 1) % kVisibleBuffers;
        return 0;
    }

    void requeue() override {}

private:
    static bool available()
    {
        if (!board::exists(QString::fromLatin1(kVisibleCameraNode)))
            return false;
        return !board::readFile(QStringLiteral("/sim/visible_camera")).trimmed().startsWith("off");
    }

    bool m_open = false;
    bool m_streaming = false;
    std::vector<uint8_t> m_buffers[kVisibleBuffers];
    int m_next = 0;
};

}  // namespace

std::unique_ptr<VisibleCamera> makeSimulatedCamera() { return std::make_unique<SimulatedCamera>(); }
