#include "drawing/figures.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>

using namespace drawing;

namespace {

// How far an outer end (relative to the centre) is from its curve, in units of its size, so
// that ends 1e17 away are held to the same digits as ends nearby.
using Curve = std::function<double(double x, double y)>;
Curve line(double normal, double distance) {
    return [=](double x, double y) {
        return (x * std::cos(normal) + y * std::sin(normal) - distance) / (1 + std::hypot(x, y));
    };
}
Curve circle(double cx, double cy, double radius) {
    return [=](double x, double y) {
        return (std::hypot(x - cx, y - cy) - radius) / (1 + std::hypot(x, y));
    };
}
// r = 3 + sec(theta): (x - 1)^2 (x^2 + y^2) = 9 x^2.
Curve conchoid() {
    return [](double x, double y) {
        const double r2 = x * x + y * y;
        return (std::pow(x - 1, 2) * r2 - 9 * x * x) / std::pow(1 + r2, 2);
    };
}

} // namespace

TEST(CurveFigures, EachFigureDrawsThePassesItsAngleSumGivesAndPausesWhereItShould) {
    const ComaState s;
    struct Case {
        const char* name;
        Figure figure;
        std::size_t passes, segmentsPerPass, pausesPerPass;
        std::vector<std::size_t> firstPauses;
    };
    const Case cases[] = {
        {"egg", eggFigure(s, {}, 9), 1001, 2, 1, {0, 2}},
        {"death", deathFigure(s, {}), 1002, 1, 1, {1, 2}},
        {"tower", towerFigure({}), 1002, 1, 1, {0, 1}},
        {"nutshell", nutshellFigure(s, {}, 9), 501, 6, 1, {6, 12}},
        {"life", lifeFigure(s, {}), 302, 3, 2, {1, 2, 4}},
        {"light", lightFigure({}), 601, 1, 1, {0, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.figure.segments.size(), c.passes * c.segmentsPerPass) << c.name;
        ASSERT_EQ(c.figure.pauses.size(), c.passes * c.pausesPerPass) << c.name;
        const std::vector<std::size_t> first(c.figure.pauses.begin(),
                                             c.figure.pauses.begin() + c.firstPauses.size());
        EXPECT_EQ(first, c.firstPauses) << c.name;
        for (const Segment& seg : c.figure.segments)
            ASSERT_EQ(seg.x1, 0) << c.name << ": inner ends lie on the axis";
    }
}

TEST(CurveFigures, OuterEndsLieOnTheirCurvesAboutAShiftedCentre) {
    // Away from the load values, so every term of every figure counts.
    ComaState s;
    s.shellPhase = int16_t(1);
    s.shellFreq = 1.5;
    s.eggPhase = 0.3;
    s.eggFreq = 2.5;
    s.deathPhase = 0.5;
    s.deathFreq = 0.7;
    s.lifePhase = 0.4;
    s.lifeFreq = 1.2;
    const Centre c{2, -1};
    const double r0 = 9, half = r0 / 2, egg = 0.3, death = 0.5;
    const Curve eggLeft = circle(-half * std::cos(egg), half * std::sin(egg), half);
    const Curve eggRight = circle(half * std::cos(egg), -half * std::sin(egg), half);
    const Curve deathLine = line(-death, 1);
    struct Case {
        const char* name;
        Figure figure;
        std::vector<Curve> curves; // of the segments of a pass, in order
    };
    const Case cases[] = {
        {"egg", eggFigure(s, c, r0), {eggLeft, eggRight}},
        {"death", deathFigure(s, c), {deathLine}},
        {"tower", towerFigure(c), {line(-30, 1)}},
        {"nutshell",
         nutshellFigure(s, c, r0),
         {deathLine, eggLeft, eggRight, line(0, 8), line(0, -8), conchoid()}},
        {"life", lifeFigure(s, c), {conchoid(), line(0, 8), line(0, -8)}},
        {"light", lightFigure(c), {line(-29.9, 8)}},
    };
    for (const Case& k : cases) {
        const std::vector<Segment>& segs = k.figure.segments;
        for (std::size_t i = 0; i < segs.size(); ++i) {
            const Curve& curve = k.curves[i % k.curves.size()];
            ASSERT_NEAR(curve(segs[i].x2 - c.x, segs[i].y2 - c.y), 0, 1e-9) << k.name << " " << i;
        }
    }
}

TEST(CurveFigures, TheDeathAndTowerRadiiRunFarOutNearTheirAsymptotes) {
    const ComaState s;
    const Figure death = deathFigure(s, {}), tower = towerFigure({});
    EXPECT_NEAR(death.segments[0].y1, 1.00000000005, 1e-15);
    EXPECT_NEAR(death.segments[0].x2, 1.00000000005, 1e-15);
    EXPECT_NEAR(death.segments[250].y1, -1e5, 10);
    EXPECT_NEAR(death.segments[750].y1, 1e5, 10);
    EXPECT_NEAR(tower.segments[475].y1, 452.5, 0.1);
}
