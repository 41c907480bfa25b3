// The visible camera's picture: conversion, the quarter turn, red/blue
// exchange and enlargement, the tuned steps against their plain versions.
#include "acquisition/thermalcamerathread.h"
#include "acquisition/yuv.h"
#include "referencesteps.h"

#include <QtTest>

#include <cstring>
#include <vector>

namespace {
// YUYV of `width` x `height` pixels of one kind.
std::vector<uint8_t> yuyvOf(const QString &kind, int width, int height, uint32_t seed)
{
    std::vector<uint8_t> out(2 * width * height);
    for (size_t i = 0; i < out.size(); ++i) {
        seed = seed * 1664525u + 1013904223u;
        const int p = static_cast<int>(i / 4), px = static_cast<int>(i / 2) % width,
                  py = static_cast<int>(i / 2) / width;
        const bool luma = i % 2 == 0;
        uint8_t &v = out[i];
        if (kind == "noise")
            v = static_cast<uint8_t>(seed >> 24);
        else if (kind == "chroma")   // every chroma pair, luma all over
            v = static_cast<uint8_t>(i % 4 == 0 ? p * 7 : i % 4 == 1 ? p : i % 4 == 2 ? 255 - p * 13 : p >> 8);
        else if (kind == "white")
            v = luma ? 255 : 128;
        else if (kind == "extremes")
            v = (seed >> 28) & 1 ? 255 : 0;
        else   // bright borders: the bands' first and last columns
            v = luma ? (px == 0 || py == 0 || px == width - 1 || py == height - 1 ? 255 : 16)
                     : static_cast<uint8_t>(i % 4 == 1 ? px : 255 - py);
    }
    return out;
}
}   // namespace

class TestVisiblePicture : public QObject {
    Q_OBJECT
private slots:
    void pixelAndPairs()
    {
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(128, 128, 128), 0x808080);
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(255, 128, 255), 0xFFA7FF);   // clamped above
        QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(0, 0, 0), 0x008500);         // and below
        // Y0 U Y1 V: both pixels of a pair take the pair's U and V.
        unsigned char yuyv[8] = {100, 128, 200, 128, 50, 255, 60, 0}, rgb[12] = {};
        ThermalCameraThread::convert_yuv_to_rgb_buffer(yuyv, rgb, 4, 1);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(rgb), 12), QByteArray::fromHex("646464c8c8c80062ff006cff"));
    }

    void convertedAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::newRow("noise, the sensor's size") << "noise" << yuv::kWidth << yuv::kHeight;
        QTest::newRow("every chroma pair, luma all over") << "chroma" << 512 << 256;
        QTest::newRow("luma and chroma at both ends") << "extremes" << 64 << 2;
        QTest::newRow("noise, 5 pairs") << "noise" << 10 << 1;
    }
    void convertedAsBefore()
    {
        // Every pixel as the four tables make it, up to the picture's last byte and not beyond.
        QFETCH(QString, kind);
        QFETCH(int, width);
        QFETCH(int, height);
        const std::vector<uint8_t> yuyv = yuyvOf(kind, width, height, 3);
        std::vector<uint8_t> got(3 * width * height + 8, 0xA5), expected(got);
        yuv::toRgb(yuyv.data(), got.data(), static_cast<unsigned>(width), static_cast<unsigned>(height));
        reference::toRgb(yuyv.data(), expected.data(), static_cast<unsigned>(width), static_cast<unsigned>(height));
        QVERIFY(got == expected);
    }

    void enlargedAsBefore_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("stride");
        const int rows = yuv::kOutWidth * 3;
        QTest::newRow("noise") << "noise" << rows;
        QTest::newRow("white, every sum at its largest") << "white" << rows;
        QTest::newRow("luma and chroma at both ends") << "extremes" << rows;
        QTest::newRow("bright borders, the bands' first and last columns") << "edges" << rows;
        QTest::newRow("noise into wider rows") << "noise" << rows + 13;
    }
    void enlargedAsBefore()
    {
        // From converted pixels, and converting band by band inside the
        // enlargement: both the picture of a whole conversion followed by the
        // plain turn, exchange and enlargement, twice over one object.
        QFETCH(QString, kind);
        QFETCH(int, stride);
        yuv::Enlarger tuned;
        std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3);
        for (uint32_t seed : {1u, 2u}) {
            const std::vector<uint8_t> yuyv = yuyvOf(kind, yuv::kWidth, yuv::kHeight, seed);
            std::vector<uint8_t> expected(stride * yuv::kOutHeight, 0xA5), got(expected), fromYuyv(expected);
            reference::toRgb(yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
            reference::Enlarger().run(rgb.data(), expected.data(), stride);
            tuned.run(rgb.data(), got.data(), stride);
            tuned.runYuyv(yuyv.data(), fromYuyv.data(), stride);
            QVERIFY(got == expected);
            QVERIFY(fromYuyv == expected);
        }
    }
};

QTEST_APPLESS_MAIN(TestVisiblePicture)
#include "tst_visiblepicture.moc"
