#include "acquisition/visiblecamera.h"

#include "acquisition/acqlog.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/yuv.h"
#include "board/board.h"

#include <QByteArray>

#include <cerrno>
#include <cstdint>
#include <string>
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
    // The node exists and the switch file does not say "off". The switch is
    // read again only when it changed.
    bool available()
    {
        if (m_nodePath.empty()) {
            m_nodePath = board::path(QString::fromLatin1(kVisibleCameraNode)).toStdString();
            m_switchPath = board::path(QStringLiteral("/sim/visible_camera")).toStdString();
            m_nodeWatch = irsim::FileWatch(m_nodePath);
            m_switchWatch = irsim::FileWatch(m_switchPath);
        }
        if (m_nodeWatch.mayHaveChanged())
            m_nodeExists = irsim::stampOf(m_nodePath).exists;
        if (!m_nodeExists)
            return false;
        if (m_switchRead && !m_switchWatch.mayHaveChanged())
            return !m_off;
        const irsim::FileStamp now = irsim::stampOf(m_switchPath);
        if (!m_switchRead || !(now == m_switchStamp)) {
            m_off = board::readFile(QStringLiteral("/sim/visible_camera")).trimmed().startsWith("off");
            m_switchStamp = now;
            m_switchRead = true;
        }
        return !m_off;
    }

    std::string m_nodePath, m_switchPath;
    irsim::FileWatch m_nodeWatch, m_switchWatch;   // the files are looked up only when they may have changed
    bool m_nodeExists = false;
    irsim::FileStamp m_switchStamp;
    bool m_switchRead = false;
    bool m_off = false;

    bool m_open = false;
    bool m_streaming = false;
    std::vector<uint8_t> m_buffers[kVisibleBuffers];
    int m_next = 0;
};

}   // namespace

std::unique_ptr<VisibleCamera> makeSimulatedCamera() { return std::make_unique<SimulatedCamera>(); }
