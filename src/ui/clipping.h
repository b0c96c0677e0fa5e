#pragma once

#include <QPointF>
#include <optional>
#include <vector>

// Shapes far outside a picture cut down to the part that can show. The painter's arithmetic
// goes wrong some way out (wide pens and ellipses past some 32000 pixels), and a coordinate
// clamped on its own turns a line: what reaches the painter from far out has been cut to the
// visible area first, in its true direction.
namespace ui {

struct Segment {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    bool operator==(const Segment&) const = default;
};

// Left < right and top < bottom.
struct Area {
    double left = 0, top = 0, right = 0, bottom = 0;
};

// What of a segment lies inside the area, in its own direction; nothing when none of it does
// or an end is no finite number. An end moved onto an edge takes that edge's coordinate
// exactly: ends reach 1e17 and more, where the parameter along the segment alone would
// misplace the crossing by whole units.
std::optional<Segment> clipSegment(const Segment& s, const Area& area);

// The rim of an ellipse (centre and radii in pixels, y downwards) where it can meet the area,
// as polylines close enough to the curve to pass for it; only the arc from `start` over
// `span` radians anticlockwise when span is less than a turn.
std::vector<std::vector<QPointF>> ellipseRim(QPointF centre, double rx, double ry, const Area& area,
                                             double start, double span);

// The columns of pixel row `row` whose centres lie inside the ellipse, from first to last;
// nothing when none does.
struct Span {
    double first, last;
};
std::optional<Span> ellipseRow(QPointF centre, double rx, double ry, int row);

} // namespace ui
