#include "ui/clipping.h"

#include <cfloat>
#include <cmath>
#include <gtest/gtest.h>

using namespace ui;

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
