#include "app/keyrecords.h"

#include <cstring>
#include <linux/input.h>

namespace keys {

RecordStream::RecordStream() : m_size(static_cast<int>(sizeof(struct input_event))) {}

void RecordStream::append(const char *data, int n)
{
    if (n > 0)
        m_buffer.append(data, n);
}

KeyRecord RecordStream::take()
{
    KeyRecord r;
    if (!hasRecord())
        return r;
    // The record is the host's native input_event (16 bytes on the 32-bit
    // board, 24 on a 64-bit machine): time stamp, type, code, value.
    struct input_event ev;
    std::memcpy(&ev, m_buffer.constData(), sizeof ev);
    r.type = ev.type;
    r.code = ev.code;
    r.value = ev.value;
    m_buffer.remove(0, m_size);
    return r;
}

}   // namespace keys
