#pragma once

#include <QSize>

namespace ui {

// The screen the windows are on, in twips. Tests fix its size.
class Screen {
public:
    static int Width();
    static int Height();
    static void setPixelSize(const QSize& size); // an empty size goes back to the real screen
};

} // namespace ui
