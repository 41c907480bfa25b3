// The core's flash: the kt, bt and nuc-t tables of both gains, kept in a
// file of the simulated board.

#include "acquisition/sdk/simcore.h"
#include "board/board.h"
#include "core/logging.h"

#include <cstdio>
#include <cstring>

namespace irsim {
namespace {

// The tables of both gains, kept as a real core keeps them in its flash:
// "N7IRFLSH", a format word, then for gain 0 and gain 1 the kt, bt and nuc-t
// tables as little-endian 16-bit words. Written whole (beside, then renamed),
// read back only when the file is complete and carries the mark.
constexpr char kFlashMark[8] = {'N', '7', 'I', 'R', 'F', 'L', 'S', 'H'};
constexpr uint16_t kFlashFormat = 2;
constexpr size_t kFlashTableWords = 2 * TPD_KT_BT_LEN + TPD_NUC_T_LEN;
constexpr size_t kFlashBytes = sizeof kFlashMark + 2 + 2 * 2 * kFlashTableWords;
constexpr const char *kFlashFile = kFlashBoardPath;

void putWord(std::vector<unsigned char> &out, uint16_t w)
{
    out.push_back(static_cast<unsigned char>(w & 0xFF));
    out.push_back(static_cast<unsigned char>(w >> 8));
}

std::vector<unsigned char> flashImage(const Tables (&t)[2])
{
    std::vector<unsigned char> out(kFlashMark, kFlashMark + sizeof kFlashMark);
    out.reserve(kFlashBytes);
    putWord(out, kFlashFormat);
    for (const Tables &g : t) {
        for (uint16_t k : g.kt)
            putWord(out, k);
        for (int16_t b : g.bt)
            putWord(out, static_cast<uint16_t>(b));
        for (uint16_t n : g.nuc)
            putWord(out, n);
    }
    return out;
}

bool tablesOfFlash(const std::vector<unsigned char> &in, Tables (&t)[2])
{
    if (in.size() != kFlashBytes || std::memcmp(in.data(), kFlashMark, sizeof kFlashMark) != 0)
        return false;
    size_t at = sizeof kFlashMark;
    auto word = [&] {
        const uint16_t w = static_cast<uint16_t>(in[at] | in[at + 1] << 8);
        at += 2;
        return w;
    };
    if (word() != kFlashFormat)
        return false;
    Tables read[2];
    for (Tables &g : read) {
        for (uint16_t &k : g.kt)
            k = word();
        for (int16_t &b : g.bt)
            b = static_cast<int16_t>(word());
        for (uint16_t &n : g.nuc)
            n = word();
    }
    t[0] = read[0];
    t[1] = read[1];
    return true;
}

}   // namespace

// Power-up: the tables of the flash when the board holds a complete one,
// else the factory's.
void Core::loadFlash()
{
    tables[0] = factory[0];
    tables[1] = factory[1];
    if (board::isSimulated()) {
        std::vector<unsigned char> bytes;
        if (FILE *f = std::fopen(hostPath(kFlashFile).c_str(), "rb")) {
            bytes.resize(kFlashBytes + 1);
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), f));
            std::fclose(f);
        }
        if (!bytes.empty() && !tablesOfFlash(bytes, tables))
            qCWarning(lcSim, "simulated module: flash %s unreadable, factory tables in use", kFlashFile);
    }
    parametersChanged();
}

// The tables in use become the flash's, whole or not at all.
void Core::saveFlash()
{
    if (!board::isSimulated())
        return;
    const std::string path = hostPath(kFlashFile);
    const std::string part = path + ".part";
    const std::vector<unsigned char> bytes = flashImage(tables);
    FILE *f = std::fopen(part.c_str(), "wb");
    bool ok = f && std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    if (f)
        ok = std::fclose(f) == 0 && ok;
    if (!ok || std::rename(part.c_str(), path.c_str()) != 0) {
        std::remove(part.c_str());
        qCWarning(lcSim, "simulated module: cannot write flash %s", kFlashFile);
    }
}

}   // namespace irsim
