#include "ui/clipping.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ui {

namespace {
// An end of a clipped segment: where along the segment it lies and, when it was moved there,
// the edge it lies on.
struct End {
    double t;
    bool moved = false;
    bool onVerticalEdge = false;
    double edge = 0;
};
} // namespace

std::optional<Segment> clipSegment(const Segment& s, const Area& area) {
    for (double v : {s.x1, s.y1, s.x2, s.y2}) {
        if (!std::isfinite(v))
            return std::nullopt;
    }
    const double dx = s.x2 - s.x1, dy = s.y2 - s.y1;
    if (!std::isfinite(dx) || !std::isfinite(dy)) {
        // Ends of opposite signs near the largest number: the difference of their halves
        // does not overflow, and halving is exact.
        const std::optional<Segment> half =
            clipSegment({s.x1 / 2, s.y1 / 2, s.x2 / 2, s.y2 / 2},
                        {area.left / 2, area.top / 2, area.right / 2, area.bottom / 2});
        if (!half)
            return std::nullopt;
        return Segment{half->x1 * 2, half->y1 * 2, half->x2 * 2, half->y2 * 2};
    }

    // Liang-Barsky: each edge narrows the stretch of the segment, t in [start, end], inside it.
    End start{0}, end{1};
    const auto edge = [&](double p, double q, bool vertical, double at) {
        if (p == 0)
            return q >= 0;
        const double r = q / p;
        if (p < 0) {
            if (r > end.t)
                return false;
            if (r > start.t)
                start = {r, true, vertical, at};
        } else {
            if (r < start.t)
                return false;
            if (r < end.t)
                end = {r, true, vertical, at};
        }
        return true;
    };
    if (!edge(-dx, s.x1 - area.left, true, area.left) ||
        !edge(dx, area.right - s.x1, true, area.right) ||
        !edge(-dy, s.y1 - area.top, false, area.top) ||
        !edge(dy, area.bottom - s.y1, false, area.bottom))
        return std::nullopt;

    const auto point = [&](const End& e, double x, double y, double& outX, double& outY) {
        outX = x;
        outY = y;
        if (!e.moved)
            return;
        outX = e.onVerticalEdge ? e.edge : s.x1 + e.t * dx;
        outY = e.onVerticalEdge ? s.y1 + e.t * dy : e.edge;
    };
    Segment out;
    point(start, s.x1, s.y1, out.x1, out.y1);
    point(end, s.x2, s.y2, out.x2, out.y2);
    return out;
}

namespace {

constexpr double kTurn = 2 * std::numbers::pi;
// A chord of the rim may stray this many pixels from the curve.
constexpr double kSagitta = 0.1;
// Chords of one stretch of the rim at most: a rim that would need more is no number anyway.
constexpr int kMostChords = 1 << 16;

// Angles from `from` over `width` radians.
struct Stretch {
    double from, width;
};

// Where cos(a) lies in [lo, hi]: two stretches mirrored through the horizontal axis.
std::vector<Stretch> whereCosine(double lo, double hi) {
    if (!(lo <= hi) || lo > 1 || hi < -1)
        return {};
    const double a = std::acos(std::min(hi, 1.0)), b = std::acos(std::max(lo, -1.0));
    return {{a, b - a}, {kTurn - b, b - a}};
}

// Where sin(a) lies in [lo, hi]: two stretches mirrored through the vertical axis.
std::vector<Stretch> whereSine(double lo, double hi) {
    if (!(lo <= hi) || lo > 1 || hi < -1)
        return {};
    const double a = std::asin(std::max(lo, -1.0)), b = std::asin(std::min(hi, 1.0));
    return {{a, b - a}, {std::numbers::pi - b, b - a}};
}

double total(const std::vector<Stretch>& stretches) {
    double sum = 0;
    for (const Stretch& s : stretches)
        sum += s.width;
    return sum;
}

// The parts of the stretches that lie on the arc from `start` over `span` (under a turn).
std::vector<Stretch> onArc(const std::vector<Stretch>& stretches, double start, double span) {
    std::vector<Stretch> out;
    for (const Stretch& s : stretches) {
        for (int turn = -2; turn <= 1; ++turn) {
            const double from = std::max(s.from, start + turn * kTurn);
            const double to = std::min(s.from + s.width, start + span + turn * kTurn);
            if (from < to)
                out.push_back({from, to - from});
        }
    }
    return out;
}

} // namespace

std::vector<std::vector<QPointF>> ellipseRim(QPointF c, double rx, double ry, const Area& area,
                                             double start, double span) {
    // The area in the ellipse's own terms, where its rim is the unit circle (v upwards): the
    // angles where the rim can be inside are those where the cosine or the sine lies in the
    // area's range; of the two, the narrower set is taken. Each chord is cut to the area
    // after all.
    const double u0 = (area.left - c.x()) / rx, u1 = (area.right - c.x()) / rx;
    const double v0 = (c.y() - area.bottom) / ry, v1 = (c.y() - area.top) / ry;
    const std::vector<Stretch> byCosine = whereCosine(std::min(u0, u1), std::max(u0, u1));
    const std::vector<Stretch> bySine = whereSine(std::min(v0, v1), std::max(v0, v1));
    std::vector<Stretch> stretches = total(byCosine) <= total(bySine) ? byCosine : bySine;
    if (span < kTurn)
        stretches = onArc(stretches, start, span);

    const double step = std::sqrt(8 * kSagitta / std::max(rx, ry));
    const auto at = [&](double a) {
        return QPointF(c.x() + rx * std::cos(a), c.y() - ry * std::sin(a));
    };
    std::vector<std::vector<QPointF>> lines;
    for (const Stretch& s : stretches) {
        const double wanted = s.width / step;
        const int chords = !(s.width > 0)         ? 1
                           : wanted < kMostChords ? std::max(1, int(std::ceil(wanted)))
                                                  : kMostChords;
        // A chord cut by an edge starts a new line; one that goes on from the last keeps it.
        bool goesOn = false;
        for (int i = 0; i < chords; ++i) {
            const QPointF a = at(s.from + s.width * i / chords);
            const QPointF b = at(s.from + s.width * (i + 1) / chords);
            const std::optional<Segment> shown = clipSegment({a.x(), a.y(), b.x(), b.y()}, area);
            if (!shown) {
                goesOn = false;
                continue;
            }
            if (!goesOn)
                lines.push_back({QPointF(shown->x1, shown->y1)});
            lines.back().push_back(QPointF(shown->x2, shown->y2));
            goesOn = shown->x2 == b.x() && shown->y2 == b.y();
        }
    }
    return lines;
}

std::optional<Span> ellipseRow(QPointF c, double rx, double ry, int row) {
    const double t = (row + 0.5 - c.y()) / ry;
    if (!(std::abs(t) < 1))
        return std::nullopt;
    // (1 - t)(1 + t) keeps its digits where t is near 1.
    const double half = rx * std::sqrt((1 - t) * (1 + t));
    const Span span{std::ceil(c.x() - half - 0.5), std::floor(c.x() + half - 0.5)};
    if (!(span.first <= span.last))
        return std::nullopt;
    return span;
}

} // namespace ui
