#pragma once
// Pictures handed to another thread every frame without allocating one per
// frame: a few buffers that go round. A buffer is lent with the picture and
// comes back when the last copy of that picture, wherever it is, goes; while
// every buffer is out, a picture of its own is allocated as usual.

#include <QImage>

#include <vector>

class PicturePool {
public:
    // `count` buffers of width x height pictures of `format`, made as needed.
    PicturePool(int width, int height, QImage::Format format, int count);
    ~PicturePool();
    PicturePool(const PicturePool &) = delete;
    PicturePool &operator=(const PicturePool &) = delete;

    // A picture to fill, its contents undefined. Taken on one thread only.
    QImage take();

private:
    struct Buffer;
    static void released(void *buffer);

    int m_width;
    int m_height;
    QImage::Format m_format;
    int m_count;
    qsizetype m_bytesPerLine;
    std::vector<Buffer *> m_buffers;
};
