// What a client of the temperature server may send, as the server reads it
// (one receive of at most 1024 bytes, zero-terminated): only the two exact
// commands are commands, and nothing else is read beyond the received bytes.
#include "fuzztarget.h"
#include "connectivity/tcpreading.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const size_t n = size < tcpserver::kReceiveMax ? size : tcpserver::kReceiveMax;
    // Exactly the received bytes in a buffer of their own size, so a read
    // past them shows under the address sanitizer.
    std::vector<char> received(data, data + n);
    const tcpserver::Command c = tcpserver::parseCommand(received.data(), received.size());
    const std::string text =
        received.empty() ? std::string() : std::string(received.data(), strnlen(received.data(), received.size()));
    const tcpserver::Command expected = text == "UVC start" ? tcpserver::Command::UvcStart
        : text == "UVC stop"                                ? tcpserver::Command::UvcStop
                                                            : tcpserver::Command::None;
    check(c == expected, "not the exact command");
    // Any six bytes form a reading that survives packing.
    if (size >= 12) {
        float f[3];
        std::memcpy(f, data, sizeof f);
        const tcpserver::Reading r = tcpserver::readingFrom(f[0], f[1], f[2]);
        check(tcpserver::unpack(tcpserver::pack(r)) == r, "a reading changed by packing");
    }
    return 0;
}
