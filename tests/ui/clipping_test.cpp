#include "ui/clipping.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>

using namespace ui;

namespace {
// How far a point is from a polyline.
double distance(QPointF p, const std::vector<QPointF>& line) {
    double nearest = INFINITY;
    for (size_t i = 0; i + 1 < line.size(); ++i) {
        const QPointF a = line[i], d = line[i + 1] - a;
        const double length2 = QPointF::dotProduct(d, d);
        const double t =
            length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - a, d) / length2, 0.0, 1.0);
        const QPointF q = a + t * d - p;
        nearest = std::min(nearest, std::hypot(q.x(), q.y()));
    }
    return nearest;
}
} // namespace

TEST(Clipping, KeepsTheVisiblePartOfASegmentInItsDirection) {
    const Area area{-10, -10, 10, 10};
    const double inf = INFINITY, nan = NAN, big = DBL_MAX;
    struct Case {
        const char* what;
        Segment in;
        std::optional<Segment> out;
    };
    const Case cases[] = {
        {"inside", {1, 2, 3, 4}, Segment{1, 2, 3, 4}},
        {"both ends 1e17 away, across", {0, 1e17, 1, -1e17}, Segment{0.5, 10, 0.5, -10}},
        {"one end far out", {0, 0, 1e17, 2e16}, Segment{0, 0, 10, 2}},
        {"along, beyond both sides", {-1e17, 3, 1e17, 3}, Segment{-10, 3, 10, 3}},
        {"past a corner", {-20, 5, 5, 30}, std::nullopt},
        {"wholly beside", {20, 20, 30, -1e17}, std::nullopt},
        {"an infinite end", {0, 0, inf, 1}, std::nullopt},
        {"no number", {0, nan, 1, 1}, std::nullopt},
        {"across, ends whose difference overflows", {-big, 4, big, 4}, Segment{-10, 4, 10, 4}},
        {"far above, ends whose difference overflows", {big, big, -big, big}, std::nullopt},
    };
    for (const Case& c : cases) {
        const std::optional<Segment> got = clipSegment(c.in, area);
        ASSERT_EQ(got.has_value(), c.out.has_value()) << c.what;
        if (!got)
            continue;
        EXPECT_NEAR(got->x1, c.out->x1, 1e-9) << c.what;
        EXPECT_NEAR(got->x2, c.out->x2, 1e-9) << c.what;
        // An end cut at an edge lies on it exactly.
        EXPECT_EQ(got->y1, c.out->y1) << c.what;
        EXPECT_EQ(got->y2, c.out->y2) << c.what;
    }
}

TEST(Clipping, AFarEllipsesRimIsCutToTheAreaAndStaysOnTheCurve) {
    const Area area{-5, -5, 105, 85};
    struct Case {
        const char* what;
        QPointF centre;
        double rx, ry, start, span;
        // A point of the rim inside the area, and one angle that lies outside the arc.
        double seenAt, notAt;
    };
    const double pi = M_PI;
    const Case cases[] = {
        {"a circle whose left side crosses", {1e7 + 50, 40}, 1e7, 1e7, 0, 2 * pi, pi, NAN},
        {"an ellipse whose top crosses", {50, 40 + 3e9}, 1e5, 3e9, 0, 2 * pi, pi / 2, NAN},
        {"the arc from the top on",
         {50, 40 + 1e6},
         1e6,
         1e6,
         pi / 2,
         pi / 2,
         pi / 2 + 3e-5,
         pi / 2 - 3e-5},
        {"the arc from three o'clock on", {50 - 1e6, 40}, 1e6, 1e6, 0, pi, 1e-6, -1e-6},
    };
    for (const Case& c : cases) {
        const auto lines = ellipseRim(c.centre, c.rx, c.ry, area, c.start, c.span);
        ASSERT_FALSE(lines.empty()) << c.what;
        double nearest = INFINITY;
        const QPointF seen(c.centre.x() + c.rx * std::cos(c.seenAt),
                           c.centre.y() - c.ry * std::sin(c.seenAt));
        for (const auto& line : lines) {
            for (const QPointF& p : line) {
                EXPECT_GE(p.x(), area.left) << c.what;
                EXPECT_LE(p.x(), area.right) << c.what;
                EXPECT_GE(p.y(), area.top) << c.what;
                EXPECT_LE(p.y(), area.bottom) << c.what;
                // On the curve: (x/rx)^2 + (y/ry)^2 = 1 to within a pixel.
                const double u = (p.x() - c.centre.x()) / c.rx;
                const double v = (p.y() - c.centre.y()) / c.ry;
                EXPECT_NEAR(std::hypot(u, v), 1, 1 / std::min(c.rx, c.ry)) << c.what;
            }
            nearest = std::min(nearest, distance(seen, line));
        }
        EXPECT_LT(nearest, 0.5) << c.what << ": the rim passes there";
        if (std::isnan(c.notAt))
            continue;
        const QPointF unseen(c.centre.x() + c.rx * std::cos(c.notAt),
                             c.centre.y() - c.ry * std::sin(c.notAt));
        for (const auto& line : lines)
            EXPECT_GT(distance(unseen, line), 0.5) << c.what << ": beyond the arc's end";
    }
    EXPECT_TRUE(ellipseRim({1e9, 40}, 1e6, 1e6, area, 0, 2 * M_PI).empty()) << "wholly beside";
}
