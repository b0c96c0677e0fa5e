#include "vbrt/colour.h"

namespace vbrt {

// Only the low three bytes carry the colour; the high byte (alpha, or a system-colour flag in
// values read from old files) is ignored on every conversion.

QColor toQColor(Colour c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

Colour fromQColor(const QColor& c) {
    const QColor rgb = c.toRgb();
    return RGB(rgb.red(), rgb.green(), rgb.blue());
}

Colour fromRgb32(uint32_t argb) {
    return RGB(int((argb >> 16) & 0xFF), int((argb >> 8) & 0xFF), int(argb & 0xFF));
}

uint32_t toRgb32(Colour c) {
    return 0xFF000000u | (uint32_t(redOf(c)) << 16) | (uint32_t(greenOf(c)) << 8) |
           uint32_t(blueOf(c));
}

} // namespace vbrt
