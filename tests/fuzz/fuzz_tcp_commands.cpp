// What a client of the temperature server may send, as the server reads it
// (one receive of at most 1024 bytes, zero-terminated): only the two exact
// commands are commands, and nothing else is read beyond the received bytes.
#include "fuzztarget.h"
#include "connectivity/tcpreading.h"

using namespace tcpserver;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // Exactly the received bytes in a buffer of their own size, so a read
    // past them shows under the address sanitizer.
    const std::vector<char> received(data, data + std::min(size, size_t(kReceiveMax)));
    const std::string text =
        received.empty() ? std::string() : std::string(received.data(), strnlen(received.data(), received.size()));
    check(parseCommand(received.data(), received.size()) ==
              (text == "UVC start"      ? Command::UvcStart
                   : text == "UVC stop" ? Command::UvcStop
                                        : Command::None),
          "not the exact command");
    // Any six bytes form a reading that survives packing.
    float f[3];
    std::memcpy(f, data, size >= 12 ? sizeof f : 0);
    check(size < 12 || unpack(pack(readingFrom(f[0], f[1], f[2]))) == readingFrom(f[0], f[1], f[2]),
          "a reading changed by packing");
    return 0;
}
