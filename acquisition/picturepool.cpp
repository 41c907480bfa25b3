#include "acquisition/picturepool.h"

#include <atomic>
#include <memory>

// A buffer is free in the pool, lent with a picture, or lent after the pool
// went (then whoever lets go of the picture last frees it).
struct PicturePool::Buffer {
    enum State { Free, Lent, Orphan };
    std::atomic<int> state{Free};
    std::unique_ptr<uchar[]> bytes;
};

PicturePool::PicturePool(int width, int height, QImage::Format format, int count)
    : m_width(width), m_height(height), m_format(format), m_count(count),
      m_bytesPerLine(QImage(1, 1, format).depth() * width / 8)
{
    // Rows start on 32-bit boundaries, as a picture of its own has them.
    m_bytesPerLine = (m_bytesPerLine + 3) & ~qsizetype(3);
    m_buffers.reserve(count);
}

PicturePool::~PicturePool()
{
    for (Buffer *b : m_buffers)
        if (b->state.exchange(Buffer::Orphan, std::memory_order_acq_rel) == Buffer::Free)
            delete b;
}

void PicturePool::released(void *buffer)
{
    Buffer *b = static_cast<Buffer *>(buffer);
    // Release: everything the last holder did with the pixels happens before
    // the pool writes them again.
    if (b->state.exchange(Buffer::Free, std::memory_order_acq_rel) == Buffer::Orphan)
        delete b;
}

QImage PicturePool::take()
{
    Buffer *free = nullptr;
    for (Buffer *b : m_buffers)
        if (b->state.load(std::memory_order_acquire) == Buffer::Free) {
            free = b;
            break;
        }
    if (!free && static_cast<int>(m_buffers.size()) < m_count) {
        free = new Buffer;
        free->bytes.reset(new uchar[static_cast<size_t>(m_bytesPerLine) * m_height]);
        m_buffers.push_back(free);
    }
    if (!free)
        return QImage(m_width, m_height, m_format);
    // Release: the buffer made here is whole for whoever lets go of the picture.
    free->state.store(Buffer::Lent, std::memory_order_release);
    return QImage(free->bytes.get(), m_width, m_height, m_bytesPerLine, m_format, &PicturePool::released, free);
}
