// A raw recording chosen for replay on the simulated board may be any file,
// named by any text in sim/scene. Whatever the file holds, the loader takes
// only whole frames, finds them after an 8-byte header or at the start, and
// delivers exactly the file's words; any scene text reads as a known scene or
// as none.
#include "fuzztarget.h"
#include "acquisition/sdk/simcontrol.h"
#include "acquisition/sdk/simscene.h"

#include <cmath>

static constexpr size_t kFrameBytes = 256 * 384 * 2;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static FuzzBoard b;
    if (size == 0)
        return 0;
    // The file: the input after its first byte, then zeros up to none, one or two frames more.
    const std::string head(reinterpret_cast<const char *>(data) + 1, size - 1);
    const size_t fileSize = head.size() + (data[0] % 3) * kFrameBytes;
    const QString path = b.root + "/r.raw";
    writeFile(path, head.data(), head.size());
    check(QFile::resize(path, qint64(fileSize)), "cannot write the file");
    const auto fileByte = [&](size_t i) { return i < head.size() ? static_cast<uint8_t>(head[i]) : uint8_t{0}; };

    std::vector<uint16_t> words;
    const long frames = irsim::readRecording(path.toStdString(), &words);
    check(frames >= 0 && words.size() == static_cast<size_t>(frames) * kFrameBytes / 2, "frames and words disagree");
    check((fileSize % kFrameBytes != 0 && fileSize % kFrameBytes != 8) || size_t(frames) == fileSize / kFrameBytes,
          "whole frames (after a header) not all taken");
    // The frames start at 0 or after the header, end inside the file and
    // hold its words.
    const auto foundAt = [&](size_t offset) {
        bool same = offset + static_cast<size_t>(frames) * kFrameBytes <= fileSize;
        for (size_t i = 0; same && i < head.size() / 2 + 4 && i < words.size(); ++i)
            same = words[i] == (fileByte(offset + 2 * i) | fileByte(offset + 2 * i + 1) << 8);
        return same;
    };
    check(frames == 0 || foundAt(0) || foundAt(8), "frames that are not the file's");

    const irsim::SceneChoice c = irsim::SceneChoice::parse(head);
    const bool replay = c.valid && c.kind == irsim::SceneKind::Replay,
               temperature = c.valid && !replay && c.kind != irsim::SceneKind::Office;
    check((!replay || (!c.path.empty() && c.path[0] == '/')) && (!temperature || std::isfinite(c.tempC)),
          "a recording named by a relative path, or a scene temperature that is not a number");
    return 0;
}
