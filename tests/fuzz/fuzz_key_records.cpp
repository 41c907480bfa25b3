// The key device's byte stream, cut at arbitrary places: every whole record
// comes out once, in order, and the partial rest stays pending.
#include "fuzztarget.h"
#include "app/keyrecords.h"

#include <linux/input.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    keys::RecordStream s;
    const size_t rec = static_cast<size_t>(s.recordSize());
    // The first byte picks the chunk size the bytes arrive in.
    const size_t chunk = size ? 1 + data[0] % 40 : 1;
    size_t taken = 0;
    for (size_t at = 0; at < size; at += chunk) {
        s.append(reinterpret_cast<const char *>(data + at), static_cast<int>(std::min(chunk, size - at)));
        for (; s.hasRecord(); ++taken) {
            const keys::KeyRecord r = s.take();
            struct input_event ev;
            std::memcpy(&ev, data + taken * rec, sizeof ev);
            check(r.code == ev.code && r.value == ev.value && r.type == ev.type, "a record that is not the stream's");
        }
    }
    check(taken == size / rec && static_cast<size_t>(s.pending()) == size % rec, "records lost or pending");
    return 0;
}
