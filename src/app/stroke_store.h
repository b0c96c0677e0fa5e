#pragma once

#include <array>
#include <vector>

namespace app {

// One sampled point of a freehand stroke: its place in the canvas's scale, its colour
// (&HBBGGRR) and the pen width in pixels. Slots never written read as zeros.
struct StrokePoint {
    double x = 0, y = 0, colour = 0, width = 0;
    bool operator==(const StrokePoint&) const = default;
};

// The freehand strokes: stroke i, point j for i and j in 0..kLast, as the fixed arrays the
// drawing board indexes, but each stroke costs only the points written into it. Nothing is
// ever cleared: a later stroke overwrites only the slots it writes, and a reader may see
// points an older stroke left behind, as the counters allow.
class StrokeStore {
public:
    static constexpr int kLast = 3000;

    static bool inBounds(int i) { return i >= 0 && i <= kLast; }

    // A point as stored; zeros outside the bounds or where nothing was written.
    StrokePoint point(int stroke, int index) const;
    // The slot to write; the caller keeps both indices within the bounds.
    StrokePoint& at(int stroke, int index);

    // The index of the last point of each stroke, and the number of strokes of each page.
    std::array<double, kLast + 1> pointsPerStroke{};
    std::array<double, kLast + 1> strokesPerPage{};

private:
    std::vector<std::vector<StrokePoint>> strokes_;
};

} // namespace app
