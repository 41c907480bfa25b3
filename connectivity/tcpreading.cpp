#include "connectivity/tcpreading.h"

#include <QByteArray>
#include <QtGlobal>

#include <cmath>
#include <cstring>

namespace tcpserver {

std::uint16_t scaled(float v, float factor)
{
    const float x = v * factor;          // single precision, as the reading was always formed
    if (!(x >= 0.0f) || std::isinf(x))   // not a number, negative or infinite
        return 0;
    // Only the low 16 bits are kept; reduce first so that the conversion
    // stays defined for any size.
    const float reduced = x < 4294967296.0f ? x : std::fmod(x, 65536.0f);
    return static_cast<std::uint16_t>(static_cast<std::uint32_t>(reduced) & 0xffffu);
}

Reading readingFrom(float measured, float highLimit, float emissivity)
{
    Reading r;
    r.temperature = scaled(measured, 10.0f);
    r.highLimit = scaled(highLimit, 10.0f);
    r.emissivity = scaled(emissivity, 100.0f);
    return r;
}

std::uint64_t pack(const Reading &r)
{
    return std::uint64_t(r.temperature) | (std::uint64_t(r.highLimit) << 16) | (std::uint64_t(r.emissivity) << 32);
}

Reading unpack(std::uint64_t word)
{
    Reading r;
    r.temperature = static_cast<std::uint16_t>(word);
    r.highLimit = static_cast<std::uint16_t>(word >> 16);
    r.emissivity = static_cast<std::uint16_t>(word >> 32);
    return r;
}

std::array<unsigned char, 6> wireBytes(const Reading &r)
{
    return {static_cast<unsigned char>(r.temperature & 0xff), static_cast<unsigned char>(r.temperature >> 8),
            static_cast<unsigned char>(r.highLimit & 0xff),   static_cast<unsigned char>(r.highLimit >> 8),
            static_cast<unsigned char>(r.emissivity & 0xff),  static_cast<unsigned char>(r.emissivity >> 8)};
}

Command parseCommand(const char *data, std::size_t size)
{
    if (!data || size == 0)
        return Command::None;
    const void *zero = std::memchr(data, 0, size);
    const std::size_t length = zero ? static_cast<std::size_t>(static_cast<const char *>(zero) - data) : size;
    auto is = [&](const char *word) { return length == std::strlen(word) && std::memcmp(data, word, length) == 0; };
    if (is("UVC start"))
        return Command::UvcStart;
    if (is("UVC stop"))
        return Command::UvcStop;
    return Command::None;
}

int configuredPort()
{
    const QByteArray text = qgetenv("NORVIK7_TCP_PORT").trimmed();
    if (text.isEmpty())
        return kDefaultPort;
    bool ok = false;
    const int port = text.toInt(&ok);
    return ok && port >= 0 && port <= 65535 ? port : kDefaultPort;
}

}   // namespace tcpserver
