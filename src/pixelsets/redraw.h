#pragma once

#include "app/line_table.h"
#include "pixelsets/comparison.h"
#include "pixelsets/pixel_set.h"

// Drawing sets back onto the drawing area as filled dots on the sampling grid: a dot is a
// circle around the grid point whose radius is the row step, drawn and filled in one colour.
namespace pixelsets {

// A cell's colour by the redraw rule; parts that are no hexadecimal number keep their values
// in `parts`.
vbrt::Colour cellColour(QByteArrayView cell, Channels& parts);

// The redraw of a difference set loaded into `a`: every cell that is not "*" gets a dot in
// the pen colour (oneColour) or in its own colour. False when stopped.
bool redrawChanged(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps, bool oneColour,
                   const vbrt::Colour& pen, const Pacing& pacing);
// Set A against set B: a dot at every grid point, in the pen colour where `test` finds A's
// colour (first) and B's (second) differ, in A's colour elsewhere.
bool compareRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& b,
                   const Steps& steps, DiffTest test, const ThresholdText& thresholdText,
                   const vbrt::Colour& pen, const Pacing& pacing);
// The cells of A that are not "*", in the colour C has at the same place.
bool overlayRedraw(ui::PictureBox& area, const app::TextGrid& a, const app::TextGrid& c,
                   const Steps& steps, const Pacing& pacing);
// The cells of A that are not "*", in their own colours.
bool ownColourRedraw(ui::PictureBox& area, const app::TextGrid& a, const Steps& steps,
                     const Pacing& pacing);
// The alarm value of a difference set loaded into `grid`: every changed sample whose
// neighbours two columns right, two rows down and diagonally changed too (beyond the grid
// counts as changed) gets a dot in the pen colour and adds 1 to `level`, which climbs while
// the walk runs. False when stopped.
bool scoreChanged(ui::PictureBox& area, const app::TextGrid& grid, const Steps& steps,
                  vbrt::Colour pen, const Pacing& pacing, double& level);

} // namespace pixelsets
