// The visible camera's picture: conversion, the quarter turn, red/blue
// exchange and enlargement.
#include "acquisition/thermalcamerathread.h"
#include "acquisition/yuv.h"
#include "referencesteps.h"

#include <QtTest>

#include <cstring>
#include <vector>

class TestVisiblePicture : public QObject {
    Q_OBJECT
private slots:
    void pixel_data();
    void pixel();
    void bufferSharesChromaPerPair();
    void turnedExchangedEnlarged_data();
    void turnedExchangedEnlarged();
    void convertedAsBefore_data();
    void convertedAsBefore();
    void enlargedAsBefore_data();
    void enlargedAsBefore();
};

void TestVisiblePicture::pixel_data()
{
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("u");
    QTest::addColumn<int>("v");
    QTest::addColumn<int>("rgb");
    QTest::newRow("neutral grey") << 128 << 128 << 128 << 0x808080;
    QTest::newRow("clamped above") << 255 << 128 << 255 << 0xFFA7FF;
    QTest::newRow("clamped below") << 0 << 0 << 0 << 0x008500;
}

void TestVisiblePicture::pixel()
{
    QFETCH(int, y);
    QFETCH(int, u);
    QFETCH(int, v);
    QFETCH(int, rgb);
    QCOMPARE(ThermalCameraThread::convert_yuv_to_rgb_pixel(y, u, v), rgb);
}

void TestVisiblePicture::bufferSharesChromaPerPair()
{
    // Y0 U Y1 V: both pixels of a pair take the pair's U and V.
    unsigned char yuyv[8] = {100, 128, 200, 128, 50, 255, 60, 0};
    unsigned char rgb[12] = {};
    ThermalCameraThread::convert_yuv_to_rgb_buffer(yuyv, rgb, 4, 1);
    const unsigned char expected[12] = {100, 100, 100, 200, 200, 200, 0, 98, 255, 0, 108, 255};
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(rgb), 12),
             QByteArray(reinterpret_cast<const char *>(expected), 12));
}

void TestVisiblePicture::turnedExchangedEnlarged_data()
{
    QTest::addColumn<int>("xs");   // sensor pixel
    QTest::addColumn<int>("ys");
    // Turned a quarter clockwise: sensor (xs, ys) -> (239 - ys, xs), then x 1.1.
    QTest::newRow("near the sensor's top-left") << 10 << 10;
    QTest::newRow("near the bottom-right") << 300 << 230;
}

void TestVisiblePicture::turnedExchangedEnlarged()
{
    QFETCH(int, xs);
    QFETCH(int, ys);
    std::vector<uint8_t> rgb(yuv::kWidth * yuv::kHeight * 3, 0);
    rgb[(ys * yuv::kWidth + xs) * 3] = 255;   // a red dot
    std::vector<uint8_t> out(yuv::kOutWidth * yuv::kOutHeight * 3, 0);
    yuv::Enlarger().run(rgb.data(), out.data(), yuv::kOutWidth * 3);
    int best = -1, bx = 0, by = 0;
    for (int y = 0; y < yuv::kOutHeight; ++y)
        for (int x = 0; x < yuv::kOutWidth; ++x) {
            const uint8_t *o = &out[(y * yuv::kOutWidth + x) * 3];
            QCOMPARE(static_cast<int>(o[0]), 0);   // red went to the blue place
            QCOMPARE(static_cast<int>(o[1]), 0);
            if (o[2] > best) {
                best = o[2];
                bx = x;
                by = y;
            }
        }
    QVERIFY(best > 100);
    const double ex = (239 - ys + 0.5) * 1.1 - 0.5, ey = (xs + 0.5) * 1.1 - 0.5;
    QVERIFY2(std::abs(bx - ex) <= 1.0 && std::abs(by - ey) <= 1.0,
             qPrintable(QStringLiteral("at %1,%2 expected %3,%4").arg(bx).arg(by).arg(ex).arg(ey)));
}

void TestVisiblePicture::convertedAsBefore_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::newRow("noise, the sensor's size") << "noise" << yuv::kWidth << yuv::kHeight;
    QTest::newRow("every chroma pair, luma all over") << "chroma" << 512 << 256;
    QTest::newRow("luma at both ends") << "ends" << 64 << 2;
    QTest::newRow("noise, 5 pairs") << "noise" << 10 << 1;
}

void TestVisiblePicture::convertedAsBefore()
{
    // Every pixel as the four tables make it, up to the picture's last byte
    // and not beyond.
    QFETCH(QString, kind);
    QFETCH(int, width);
    QFETCH(int, height);
    const int pairs = width * height / 2;
    std::vector<uint8_t> yuyv(4 * pairs);
    uint32_t seed = 3;
    for (int p = 0; p < pairs; ++p) {
        seed = seed * 1664525u + 1013904223u;
        uint8_t *q = &yuyv[4 * p];
        if (kind == QLatin1String("chroma")) {
            q[0] = static_cast<uint8_t>(p * 7);
            q[1] = static_cast<uint8_t>(p);
            q[2] = static_cast<uint8_t>(255 - p * 13);
            q[3] = static_cast<uint8_t>(p >> 8);
        } else if (kind == QLatin1String("ends")) {
            q[0] = p % 2 ? 255 : 0;
            q[1] = static_cast<uint8_t>(p % 3 == 0 ? 0 : p % 3 == 1 ? 255 : 128);
            q[2] = p % 2 ? 0 : 255;
            q[3] = static_cast<uint8_t>(p % 4 < 2 ? 255 : 0);
        } else {
            std::memcpy(q, &seed, 4);
        }
    }
    std::vector<uint8_t> got(6 * pairs + 8, 0xA5), expected(got);
    yuv::toRgb(yuyv.data(), got.data(), static_cast<unsigned>(width), static_cast<unsigned>(height));
    reference::toRgb(yuyv.data(), expected.data(), static_cast<unsigned>(width), static_cast<unsigned>(height));
    QVERIFY(got == expected);
}

void TestVisiblePicture::enlargedAsBefore_data()
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

void TestVisiblePicture::enlargedAsBefore()
{
    // From converted pixels, and converting band by band inside the
    // enlargement: both the picture of a whole conversion followed by the
    // plain enlargement, twice over one object.
    QFETCH(QString, kind);
    QFETCH(int, stride);
    yuv::Enlarger tuned;
    reference::Enlarger before;
    std::vector<uint8_t> yuyv(yuv::kWidth * yuv::kHeight * 2), rgb(yuv::kWidth * yuv::kHeight * 3);
    for (uint32_t seed : {1u, 2u}) {
        for (size_t i = 0; i < yuyv.size(); ++i) {
            seed = seed * 1664525u + 1013904223u;
            const int px = static_cast<int>(i / 2) % yuv::kWidth, py = static_cast<int>(i / 2) / yuv::kWidth;
            const bool luma = i % 2 == 0;
            if (kind == QLatin1String("noise"))
                yuyv[i] = static_cast<uint8_t>(seed >> 24);
            else if (kind == QLatin1String("white"))
                yuyv[i] = luma ? 255 : 128;
            else if (kind == QLatin1String("extremes"))
                yuyv[i] = (seed >> 28) & 1 ? 255 : 0;
            else   // edges
                yuyv[i] = luma ? (px == 0 || py == 0 || px == yuv::kWidth - 1 || py == yuv::kHeight - 1 ? 255 : 16)
                               : static_cast<uint8_t>(i % 4 == 1 ? px : 255 - py);
        }
        std::vector<uint8_t> expected(stride * yuv::kOutHeight, 0xA5), got(expected), fromYuyv(expected);
        reference::toRgb(yuyv.data(), rgb.data(), yuv::kWidth, yuv::kHeight);
        before.run(rgb.data(), expected.data(), stride);
        tuned.run(rgb.data(), got.data(), stride);
        tuned.runYuyv(yuyv.data(), fromYuyv.data(), stride);
        QVERIFY(got == expected);
        QVERIFY(fromYuyv == expected);
    }
}

QTEST_APPLESS_MAIN(TestVisiblePicture)
#include "tst_visiblepicture.moc"
