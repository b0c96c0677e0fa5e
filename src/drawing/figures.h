#pragma once

#include "drawing/coma_state.h"
#include "ui/clipping.h"

#include <cstddef>
#include <vector>

// The curve animations' figures as plain geometry: fans of straight segments whose inner ends
// run along x = 0 of the canvas's scale and whose outer ends run along a curve about the
// figure's centre. Nothing here draws; the painter takes a figure to the canvas.
namespace drawing {

using ui::Segment;

// What a figure draws, in order, with the places its drawing pauses: a paced figure grows on
// screen one pass of its angle at a time.
struct Figure {
    std::vector<Segment> segments;
    // Before which segment each pause comes; segments.size() for a pause after the last one.
    std::vector<std::size_t> pauses;
};

struct Centre {
    double x = 0, y = 0;
};

// 蛋: two circles of diameter r0 through the centre, mirrored through it, that the egg's
// frequency runs round and its phase turns.
Figure eggFigure(const ComaState& state, Centre centre, double r0);
// 死: the straight line at distance 1 from the centre whose normal turns with the death phase.
Figure deathFigure(const ComaState& state, Centre centre);
// 塔: the same line at the fixed phase 30; its pause comes before each segment.
Figure towerFigure(Centre centre);
// 果壳: six fans at once, from the death, egg and shell sets.
Figure nutshellFigure(const ComaState& state, Centre centre, double r0);
// 生: a conchoid and the two vertical lines 8 to either side, from the life set.
Figure lifeFigure(const ComaState& state, Centre centre);
// 光: one line at distance 8 whose end points run round seven times; it reads no state.
Figure lightFigure(Centre centre);

} // namespace drawing
