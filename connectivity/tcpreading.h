#pragma once
// The temperature server's wire format and commands, with no sockets in them.
//
// A client receives 6 bytes: three little-endian 16-bit words, the measured
// temperature x 10 (degrees Celsius), the high-alert limit x 10 and the
// emissivity x 100. It may answer with "UVC start" or "UVC stop".

#include <array>
#include <cstddef>
#include <cstdint>

namespace tcpserver {

constexpr int kDefaultPort = 1234;
// The largest command read from a client in one receive.
constexpr std::size_t kReceiveMax = 1024;
// How long a client may take to send its command before the next one is served.
constexpr int kReceiveTimeoutMs = 2000;

struct Reading {
    std::uint16_t temperature = 0x1234;   // before the first frame: 0x1234, 0x5678, 0x9876
    std::uint16_t highLimit = 0x5678;
    std::uint16_t emissivity = 0x9876;
    bool operator==(const Reading &o) const
    {
        return temperature == o.temperature && highLimit == o.highLimit && emissivity == o.emissivity;
    }
};

// v x factor in single precision, truncated toward zero; the low 16 bits of
// the result. Negative values (and NaN) give 0.
std::uint16_t scaled(float v, float factor);
// The reading formed from the values the live view sends (each already
// carrying its rounding half-step).
Reading readingFrom(float measured, float highLimit, float emissivity);

// The reading packed into one word (so it can be published atomically) and back.
std::uint64_t pack(const Reading &r);
Reading unpack(std::uint64_t word);
// The 6 bytes as they go on the wire.
std::array<unsigned char, 6> wireBytes(const Reading &r);

enum class Command { None, UvcStart, UvcStop };
// The received bytes read as a C string (up to the first zero byte, if any):
// exactly "UVC start" or "UVC stop"; anything else is no command.
Command parseCommand(const char *data, std::size_t size);

// The port to listen on: NORVIK7_TCP_PORT when it holds a number 0..65535
// (0: any free port), else 1234.
int configuredPort();

}   // namespace tcpserver
