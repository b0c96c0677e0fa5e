#include "vbrt/colour.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace vbrt;

TEST(ColourTest, PackingKeepsRedInTheLowByte) {
    EXPECT_EQ(RGB(1, 2, 3), 197121);
    EXPECT_EQ(RGB(255, 0, 0), 0x0000FF);
    EXPECT_EQ(redOf(0x123456), 0x56);
    EXPECT_EQ(greenOf(0x123456), 0x34);
    EXPECT_EQ(blueOf(0x123456), 0x12);
}

TEST(ColourTest, QColorRoundTrips) {
    EXPECT_EQ(toQColor(0xFF0000), QColor(0, 0, 255)); // &HFF0000 is blue
    EXPECT_EQ(toQColor(0x0000FF), QColor(255, 0, 0));
    EXPECT_EQ(fromQColor(QColor(10, 20, 30, 40)), RGB(10, 20, 30));
    EXPECT_EQ(fromQColor(QColor::fromHsv(120, 255, 255)), RGB(0, 255, 0));
    for (Colour c : {RGB(1, 2, 3), RGB(255, 255, 255), RGB(0, 0, 0), RGB(200, 100, 50)}) {
        SCOPED_TRACE(c);
        EXPECT_EQ(fromQColor(toQColor(c)), c);
        EXPECT_EQ(fromRgb32(toRgb32(c)), c);
    }
}

TEST(ColourTest, ImagePixelsUseTheSameColours) {
    EXPECT_EQ(toRgb32(RGB(1, 2, 3)), 0xFF010203u);
    EXPECT_EQ(fromRgb32(0x80010203u), RGB(1, 2, 3));
    QImage image(2, 1, QImage::Format_RGB32);
    image.setPixel(0, 0, toRgb32(0xFF0000));
    image.setPixelColor(1, 0, toQColor(RGB(7, 8, 9)));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::blue));
    EXPECT_EQ(fromRgb32(image.pixel(1, 0)), RGB(7, 8, 9));
}
