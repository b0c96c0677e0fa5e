#include "app/stroke_store.h"

#include <cassert>
#include <cstddef>

namespace app {

StrokePoint StrokeStore::point(int stroke, int index) const {
    if (!inBounds(stroke) || !inBounds(index) || std::size_t(stroke) >= strokes_.size())
        return {};
    const std::vector<StrokePoint>& points = strokes_[stroke];
    return std::size_t(index) < points.size() ? points[index] : StrokePoint{};
}

StrokePoint& StrokeStore::at(int stroke, int index) {
    assert(inBounds(stroke) && inBounds(index));
    if (std::size_t(stroke) >= strokes_.size())
        strokes_.resize(stroke + 1);
    std::vector<StrokePoint>& points = strokes_[stroke];
    if (std::size_t(index) >= points.size())
        points.resize(index + 1);
    return points[index];
}

} // namespace app
