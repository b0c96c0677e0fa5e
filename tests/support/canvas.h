#pragma once

#include "ui/picture_box.h"
#include "vbrt/colour.h"

#include <QImage>
#include <functional>

// A small synthetic drawing area for the pixel-set tests: 1920 x 720 twips with a border,
// sampled as 4 columns of 3 rows. Grid point (c, r) lies at pixel (32c, 16r); a dot drawn
// there has a radius of 16 pixels, and the pixel 10 to its right belongs to that dot alone.
namespace canvas {

constexpr int kWidth = 1920, kHeight = 720;
constexpr int kColumnPx = 32, kRowPx = 16;

inline void size(ui::PictureBox& area) {
    area.setBorderStyle(1);
    area.Scale();
    area.Move(0, 0, kWidth, kHeight);
}

// Fills the block of each grid point with a colour.
inline void paint(ui::PictureBox& area, const std::function<vbrt::Colour(int c, int r)>& colour) {
    QImage img(area.innerWidthPx(), area.innerHeightPx(), QImage::Format_RGB32);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, vbrt::toRgb32(colour(x / kColumnPx, y / kRowPx)));
    area.setPicture(img);
}

// The colour of the dot at grid point (c, r), or of the canvas when none was drawn there.
inline vbrt::Colour probe(const ui::PictureBox& area, int c, int r) {
    return area.Point((kColumnPx * c + 10) * 15.0, kRowPx * r * 15.0);
}

} // namespace canvas
