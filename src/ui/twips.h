#pragma once

#include <QtGlobal>

namespace ui {

// Positions and sizes of windows and controls are kept in twips, 15 to a pixel.
constexpr int kTwipsPerPixel = 15;

inline int twipsToPixels(double twips) {
    return qRound(twips / kTwipsPerPixel);
}
inline int pixelsToTwips(int pixels) {
    return pixels * kTwipsPerPixel;
}

} // namespace ui
