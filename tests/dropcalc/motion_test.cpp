#include "dropcalc/motion.h"

#include <gtest/gtest.h>

#include <cmath>

using dropcalc::Drop;
using dropcalc::DropInputs;

namespace {

// A 1 mm water drop with the given velocities.
DropInputs waterDrop(double vx0, double windX, double windY, double vy0) {
    return DropInputs{1, vx0, windX, windY, vy0, 1};
}

// Equal to six significant digits.
::testing::AssertionResult sixDigits(double actual, double expected) {
    const double unit = std::pow(10.0, std::floor(std::log10(std::abs(expected))) - 5);
    if (std::abs(actual - expected) <= unit / 2)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << actual << " is not " << expected;
}

} // namespace

TEST(DropMotion, WorkedValuesOfAOneMillimetreWaterDrop) {
    const Drop d = Drop::forModel(waterDrop(0, 0, 0, 0));
    EXPECT_TRUE(sixDigits(d.m, 4.18879e-6));
    EXPECT_TRUE(sixDigits(d.k, 3.43062e-7));
    EXPECT_TRUE(sixDigits(d.vT, 10.9388));
    EXPECT_TRUE(sixDigits(d.p, 0.895891));
    EXPECT_TRUE(sixDigits(d.m / d.k, 12.2100));

    struct Case {
        const char* what;
        DropInputs in;
        double t;
        double x, y; // NaN: not checked
    };
    const double no = NAN;
    const Case cases[] = {
        {"all velocities 1: speeding up", waterDrop(1, 1, 1, 1), 1, 1, 5.35764},
        {"from rest in a downward wind", waterDrop(0, 0, 5, 0), 10, no, 144.532},
        {"thrown up in calm air", waterDrop(0, 0, 0, -5), 10, no, 94.5319},
        {"thrown down faster than it can fall", waterDrop(0, 0, 0, 20), 10, no, 113.620},
        {"thrown sideways into calm air", waterDrop(700, 0, 0, 0), 1, 49.6473, no},
    };
    for (const Case& c : cases) {
        const Drop drop = Drop::forModel(c.in);
        if (!std::isnan(c.x)) {
            EXPECT_TRUE(sixDigits(dropcalc::horizontalDisplacement(drop, c.t), c.x)) << c.what;
        }
        if (!std::isnan(c.y)) {
            EXPECT_TRUE(sixDigits(dropcalc::verticalDisplacement(drop, c.t), c.y)) << c.what;
        }
    }
    EXPECT_TRUE(sixDigits(Drop::forModel(waterDrop(0, 0, 0, -5)).t1, 0.478554));
}

TEST(DropMotion, EveryFamilyStartsAtTheOriginAndIsContinuousAtTheRest) {
    const DropInputs starts[] = {
        waterDrop(3, -2, 4, 1),  waterDrop(-3, 2, 0, -5), waterDrop(0, 0, -4, -6),
        waterDrop(0, 0, -4, -1), waterDrop(0, 0, -1, 30), waterDrop(0, 0, 2, 2),
    };
    for (const DropInputs& in : starts) {
        const Drop d = Drop::forModel(in);
        EXPECT_EQ(dropcalc::horizontalDisplacement(d, 0), 0);
        EXPECT_NEAR(dropcalc::verticalDisplacement(d, 0), 0, 1e-12);
        if (d.t1 > 0) {
            const double before = dropcalc::verticalDisplacement(d, d.t1 * (1 - 1e-9));
            const double after = dropcalc::verticalDisplacement(d, d.t1 * (1 + 1e-9));
            EXPECT_NEAR(before, after, 1e-6) << in.vy0 << " " << in.windY;
        }
    }
}

TEST(DropMotion, LongTimesGiveNumbersThatKeepGrowingAtTheTerminalSpeed) {
    // For a 1 mm drop the exponentials overflow after about 396 s.
    for (const DropInputs& in : {waterDrop(0, 0, 5, 0), waterDrop(0, 0, 0, -5),
                                 waterDrop(0, 0, 0, 1), waterDrop(0, 0, 0, 30)}) {
        const Drop d = Drop::forModel(in);
        const double early = dropcalc::verticalDisplacement(d, 390);
        const double late = dropcalc::verticalDisplacement(d, 10000);
        ASSERT_TRUE(std::isfinite(late)) << in.vy0;
        EXPECT_NEAR((late - early) / (10000 - 390), d.vT + in.windY, 1e-9) << in.vy0;
        const dropcalc::DropState s = dropcalc::stateAt(in, 10000);
        EXPECT_TRUE(std::isfinite(s.hy));
        EXPECT_NEAR(s.vy, d.vT + in.windY, 1e-9);
    }
}

TEST(DropCalculatorState, VelocitiesAndTheMomentsItRecords) {
    struct Case {
        const char* what;
        DropInputs in;
        double t;
        double vx;      // NaN: not checked
        double zeroVx;  // time the horizontal velocity passes 0
        bool equalised; // the rest relative to the air is recorded
    };
    const double no = NAN;
    const Case cases[] = {
        {"wind as fast as the drop", waterDrop(4, 4, 0, 0), 2, 4, 0, false},
        {"drop against the wind", waterDrop(5, -3, 0, 0), 1, no, 12.21 * (1 / 3.0 - 1 / 8.0),
         false},
        {"wind against the drop", waterDrop(-5, 3, 0, 0), 1, no, 12.21 * (1 / 3.0 - 1 / 8.0),
         false},
        {"still drop, no vx passage", waterDrop(0, 3, 0, 0), 1, no, 0, false},
        {"thrown up into calm air", waterDrop(0, 0, 0, -5), 1, no, 0, true},
        {"thrown up into an upward wind", waterDrop(0, 0, -1, -5), 1, no, 0, true},
        {"thrown down slower than the wind", waterDrop(0, 0, 5, 1), 1, no, 0, false},
    };
    for (const Case& c : cases) {
        const dropcalc::DropState s = dropcalc::stateAt(c.in, c.t);
        const Drop d = Drop::forCalculator(c.in);
        if (!std::isnan(c.vx)) {
            EXPECT_EQ(s.vx, c.vx) << c.what;
        }
        EXPECT_NEAR(s.zeroVxTime, c.zeroVx, 1e-3) << c.what;
        EXPECT_EQ(s.equalisedTime, c.equalised ? d.t1 : 0) << c.what;
        EXPECT_TRUE(sixDigits(s.hx, dropcalc::horizontalDisplacement(Drop::forModel(c.in), c.t)))
            << c.what;
        EXPECT_TRUE(sixDigits(s.hy, dropcalc::verticalDisplacement(Drop::forModel(c.in), c.t)))
            << c.what;
    }
    // At the moment of rest the drop moves with the wind; at the terminal speed it keeps it.
    const DropInputs up = waterDrop(0, 0, 2, -5);
    EXPECT_NEAR(dropcalc::stateAt(up, Drop::forCalculator(up).t1).vy, 2, 1e-9);
    const double vT = Drop::forCalculator(waterDrop(0, 0, 0, 0)).vT;
    EXPECT_EQ(dropcalc::stateAt(waterDrop(0, 0, 0, vT), 3).vy, vT);
}

TEST(DropMotion, TheLastRuleThatAppliesChoosesTheFamilyInEachOrder) {
    using F = dropcalc::Family;
    const double vT = Drop::forModel(waterDrop(0, 0, 0, 0)).vT;
    struct Case {
        const char* what;
        double vy0, windY;
        bool late; // well after the drop comes to rest in the air
        F model;
        std::optional<F> calculator; // nothing: the same as the model
        bool hidesDragReadout = false;
    };
    const Case cases[] = {
        {"down, slower than a downward wind", 1, 4, false, F::Rising, {}},
        {"the same once at rest in the air", 1, 4, true, F::AfterRise, {}, true},
        {"down, faster than the wind", 2, 1, false, F::Speeding, {}},
        {"down, beyond the terminal speed", 30, 0, false, F::Slowing, {}},
        {"down at the terminal speed, calm air", vT, 0, false, F::Uniform, std::nullopt},
        {"up, faster than an upward wind", -5, -1, false, F::Rising, {}},
        {"the same after the rest", -5, -1, true, F::AfterRise, {}},
        {"up, slower than an upward wind", -1, -4, false, F::Speeding, {}},
        {"up, far slower than a strong upward wind", -1, -20, false, F::Slowing, {}},
        {"at rest in calm air: the last rule is the rise's", 0, 0, false, F::AfterRise,
         F::Speeding},
        {"up into a downward wind", -5, 3, false, F::Rising, {}},
        {"from rest in a downward wind, late", 0, 5, true, F::AfterRise, {}, true},
        {"down into an upward wind", 5, -3, false, F::Speeding, {}},
    };
    for (const Case& c : cases) {
        const DropInputs in = waterDrop(0, 0, c.windY, c.vy0);
        const Drop d = Drop::forModel(in);
        const double t = c.late ? d.t1 + 5 : d.t1 > 0 ? d.t1 / 2 : 0.5;
        const dropcalc::ModelChoice choice = dropcalc::modelFamily(d, t);
        EXPECT_EQ(choice.family, c.model) << c.what;
        EXPECT_EQ(choice.afterRiseFromRest, c.hidesDragReadout) << c.what;
        if (c.vy0 != vT) {
            EXPECT_EQ(dropcalc::stateAt(in, t).family, c.calculator.value_or(c.model)) << c.what;
        }
    }
}
