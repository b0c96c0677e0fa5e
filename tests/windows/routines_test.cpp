#include "support/error_of.h"
#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/timer.h"
#include "vbrt/errors.h"
#include "windows/routines.h"

#include <gtest/gtest.h>

using namespace windows;
using testing_support::errorOf;

TEST(ThreeWayPicks, LargestSmallestAndMiddleWithTiesGivingZero) {
    const struct {
        int16_t a, b, c, hi, lo, mid;
    } cases[] = {
        {9, 8, 3, 9, 3, 8}, {3, 9, 5, 9, 3, 5},   {5, 5, 7, 7, 5, 0},       {5, 7, 7, 7, 5, 0},
        {4, 4, 4, 4, 4, 0}, {-1, 0, 1, 1, -1, 0}, {-3, -7, -5, -3, -7, -5},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(max3(c.a, c.b, c.c), c.hi);
        EXPECT_EQ(max1(c.a, c.b, c.c), c.lo);
        EXPECT_EQ(max2(c.a, c.b, c.c), c.mid) << c.a << "," << c.b << "," << c.c;
    }
}

TEST(ColourParts, RedGreenBlueOfAColourText) {
    EXPECT_EQ(quza(QStringLiteral("255r128g64b")), 255);
    EXPECT_EQ(quzb(QStringLiteral("255r128g64b")), 128);
    EXPECT_EQ(quzc(QStringLiteral("255r128g64b")), 64);
    EXPECT_EQ(quzb(QStringLiteral("12g")), 12); // no opening letter: from the start
    EXPECT_EQ(quza(QStringLiteral("2.5r")), 2); // halves to even

    EXPECT_EQ(errorOf([] { quzb(QStringLiteral("255r")); }), vbrt::ErrInvalidCall);
    EXPECT_EQ(errorOf([] { quza(QStringLiteral("r1g")); }), vbrt::ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { quza(QStringLiteral("abcr")); }), vbrt::ErrTypeMismatch);
    EXPECT_EQ(errorOf([] { quza(QStringLiteral("40000r")); }), vbrt::ErrOverflow);
    EXPECT_EQ(errorOf([] { quza(QStringLiteral("R1g")); }), vbrt::ErrInvalidCall); // case matters
}

namespace {
class Waits : public ::testing::Test {
protected:
    void SetUp() override {
        ui::EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
    }
    void TearDown() override { ui::EventLoop::instance().useRealTime(); }
    double now() const { return ui::Clock::instance().monotonic(); }
};
} // namespace

TEST_F(Waits, PumpedWaitsLetTimersRunBusyWaitsDoNot) {
    int ticks = 0;
    ui::Timer t;
    t.setInterval(100);
    t.onTimer = [&] { ++ticks; };
    pauseSecond();
    EXPECT_EQ(ticks, 10);
    ticks = 0;
    EXPECT_EQ(yanchi(), 0);
    pauseTickBusy();
    plotStepDelay(false);
    EXPECT_EQ(ticks, 0);
    double start = now();
    pauseShort();
    EXPECT_GT(now() - start, 0.01);
    EXPECT_LT(now() - start, 0.012);
}

TEST_F(Waits, FastPlotStepNeverReadsTheClock) {
    const double start = now();
    plotStepDelay(true);
    EXPECT_EQ(now(), start);
    const double s2 = now();
    plotStepDelay(false);
    EXPECT_GT(now() - s2, 0.01);
}
