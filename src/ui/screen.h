#pragma once

#include <QSize>

namespace ui {

// The screen shows a new frame about this often (seconds): showing a change more often is
// wasted.
inline constexpr double kScreenFrame = 0.015;

// The screen the windows are on, in twips. Tests fix its size.
class Screen {
public:
    static int Width();
    static int Height();
    static void setPixelSize(const QSize& size); // an empty size goes back to the real screen
};

} // namespace ui
