#pragma once

#include "pixelsets/pixel_set.h"

#include <QByteArray>
#include <functional>

// The plain pixel set of the drawing window: the drawing area sampled every 1000 units across
// and every 100 down in its current scale, its far edges included. One line per column: per
// sample its cell and a TAB, then CR LF; no running count and nothing after the last line.
namespace pixelsets {

inline constexpr Steps kPlainSteps{1000, 100};

// point(column, row, x, y) at every point of the plain grid, column by column.
template <class Point> void walkPlainGrid(const ui::PictureBox& area, Point&& point) {
    walkGrid(
        area, kPlainSteps, [](int, double) {}, point, [](int) { return true; }, FarEdge::Included);
}

// The set's text as the area stands now; sampled(column, row, colour) learns each colour read.
QByteArray plainSetText(const ui::PictureBox& area,
                        const std::function<void(int column, int row, vbrt::Colour)>& sampled);

} // namespace pixelsets
