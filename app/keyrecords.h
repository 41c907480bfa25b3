#pragma once
// Records of the key device.
#include <QByteArray>

namespace keys {

// One key record: the type is carried but not looked at.
struct KeyRecord {
    int type = 0;
    int code = 0;
    int value = 0;
};

// Cuts a byte stream from the key device into whole native records
// (board::inputEventSize() bytes each), keeping a partial record until the
// rest of it arrives.
class RecordStream {
public:
    RecordStream();
    void append(const char *data, int n);
    bool hasRecord() const { return m_buffer.size() >= m_size; }
    KeyRecord take();
    // Bytes of a record still incomplete.
    int pending() const { return static_cast<int>(m_buffer.size()); }
    int recordSize() const { return m_size; }

private:
    int m_size;
    QByteArray m_buffer;
};

}   // namespace keys
