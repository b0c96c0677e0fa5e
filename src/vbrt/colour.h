#pragma once

#include <QColor>
#include <cstdint>

namespace vbrt {

// Colours are packed as &HBBGGRR (red in the low byte), as the program stores them in
// files and compares them. This is the one place they turn into QColor and back.
using Colour = int32_t;

constexpr Colour RGB(int r, int g, int b) {
    return Colour((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int redOf(Colour c) {
    return c & 0xFF;
}
constexpr int greenOf(Colour c) {
    return (c >> 8) & 0xFF;
}
constexpr int blueOf(Colour c) {
    return (c >> 16) & 0xFF;
}

QColor toQColor(Colour c);
Colour fromQColor(const QColor& c);
// For QImage pixels (0xAARRGGBB).
Colour fromRgb32(uint32_t argb);
uint32_t toRgb32(Colour c);

} // namespace vbrt
