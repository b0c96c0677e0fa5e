#pragma once

#include <QString>

namespace windows {
class Form2Controls;
}

namespace drawing {

// The background picture each mode of the drawing window starts on: a fixed picture of the
// program's folder, loaded into the window's picture holder and painted stretched over the
// whole drawing area.
class OverlayPictures {
public:
    explicit OverlayPictures(windows::Form2Controls& form) : f_(form) {}

    void hai();         // smart monitoring
    void zhihuaxiang(); // freehand drawing
    void hai3();        // image overlay
    void shuxiang();
    // The anti-missile mode: the window and the drawing area first take the whole screen.
    void daotu();

private:
    void paintOver(const QString& file);

    windows::Form2Controls& f_;
};

} // namespace drawing
