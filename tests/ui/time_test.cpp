#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/timer.h"
#include "ui/waits.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace ui;

namespace {
class VirtualTime : public ::testing::Test {
protected:
    void SetUp() override {
        EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(10, 0, 0)));
    }
    void TearDown() override { EventLoop::instance().useRealTime(); }
    double now() const { return Clock::instance().monotonic(); }
};
} // namespace

TEST_F(VirtualTime, AdvanceFiresDueTimersInTimeOrder) {
    QStringList order;
    Timer fast, slow;
    fast.setInterval(300);
    slow.setInterval(500);
    fast.onTimer = [&] { order << QStringLiteral("fast@%1").arg(qRound(now() * 1000)); };
    slow.onTimer = [&] { order << QStringLiteral("slow@%1").arg(qRound(now() * 1000)); };
    EventLoop::instance().advance(1.0);
    EXPECT_EQ(order, (QStringList{"fast@300", "slow@500", "fast@600", "fast@900", "slow@1000"}));
    EXPECT_NEAR(now(), 1.0, 1e-9);
}

TEST_F(VirtualTime, DisabledOrZeroIntervalTimersNeverFire) {
    int ticks = 0;
    Timer off, zero;
    off.setInterval(100);
    off.setEnabled(false);
    zero.setInterval(0);
    off.onTimer = zero.onTimer = [&] { ++ticks; };
    EventLoop::instance().advance(2.0);
    EXPECT_EQ(ticks, 0);
}

TEST_F(VirtualTime, PumpedWaitLetsTimersTickBusyWaitDoesNot) {
    int ticks = 0;
    Timer t;
    t.setInterval(100);
    t.onTimer = [&] { ++ticks; };

    pumpedWait(1.0f);
    EXPECT_GE(ticks, 9);
    EXPECT_LE(ticks, 11);

    ticks = 0;
    const double before = now();
    busyWait(1.0f);
    EXPECT_EQ(ticks, 0);
    EXPECT_GT(now() - before, 1.0);
}

TEST_F(VirtualTime, WaitEndsAtFirstElapsedAboveBoundNotAtIt) {
    const double start = now();
    pumpedWait(1.0f);
    // Virtual time moves by whole milliseconds: an elapsed 1.000 keeps waiting.
    EXPECT_NEAR(now() - start, 1.001, 1e-9);
    const double s2 = now();
    busyWait(0.01f);
    EXPECT_GT(float(now() - s2), 0.01f);
    EXPECT_LT(now() - s2, 0.0125);
}

TEST_F(VirtualTime, RunningTimerIsNotReenteredByAWaitInsideItsHandler) {
    int depth = 0, maxDepth = 0, ticks = 0, otherTicks = 0;
    Timer slowHandler, other;
    slowHandler.setInterval(100);
    other.setInterval(50);
    slowHandler.onTimer = [&] {
        ++ticks;
        maxDepth = std::max(maxDepth, ++depth);
        pumpedWait(1.0f); // far longer than the interval
        --depth;
    };
    other.onTimer = [&] { ++otherTicks; };
    EventLoop::instance().advance(0.15);
    EXPECT_EQ(maxDepth, 1);
    EXPECT_EQ(ticks, 1);
    EXPECT_GE(otherTicks, 19); // the other timer kept ticking inside the wait
}

TEST_F(VirtualTime, OverrunHandlerIsFollowedByOneTickNotABurst) {
    int ticks = 0;
    Timer t;
    t.setInterval(100);
    t.onTimer = [&] {
        if (++ticks == 1)
            busyWait(0.55f);
    };
    EventLoop::instance().advance(0.7);
    // 0.1 (overruns to 0.651), one tick at once, then every 0.1 s again.
    EXPECT_EQ(ticks, 2);
}

TEST_F(VirtualTime, ClockReadsDateTimeAndProgramTimeOffset) {
    Clock& c = Clock::instance();
    EXPECT_FLOAT_EQ(c.timeOfDay(), 36000.0f);
    EventLoop::instance().advance(1.5);
    EXPECT_EQ(c.time(), QTime(10, 0, 1, 500));
    c.setProgramTime(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)));
    EXPECT_EQ(c.now(), QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)));
    const double mono = c.monotonic();
    EventLoop::instance().advance(2);
    EXPECT_EQ(c.now(), QDateTime(QDate(2027, 1, 2), QTime(3, 4, 7)));
    EXPECT_NEAR(c.monotonic() - mono, 2.0, 1e-9); // the offset never moves elapsed time
}

TEST_F(VirtualTime, WaitAcrossMidnightEndsAboutItsBound) {
    EventLoop::instance().useVirtualTime(QDateTime(QDate(2026, 12, 8), QTime(23, 59, 59, 500)));
    const double start = now();
    pumpedWait(1.0f);
    EXPECT_LT(now() - start, 1.01);
    EXPECT_EQ(Clock::instance().date(), QDate(2026, 12, 9));
}

// On the machine's clock a pumped wait sleeps between events, yet runs each as it comes and
// ends just past its bound; nested waits end in order.
TEST(RealTime, APumpedWaitRunsEventsAsTheyComeAndEndsPastItsBound) {
    int ticks = 0;
    double nestedEnded = 0, outerEnded = 0;
    Timer t;
    t.setInterval(20);
    t.onTimer = [&] {
        if (++ticks == 3) {
            pumpedWait(0.05f);
            nestedEnded = Clock::instance().monotonic();
        }
    };
    bool posted = false;
    QTimer::singleShot(30, [&] { posted = true; });
    const double start = Clock::instance().monotonic();
    pumpedWait(0.2f);
    outerEnded = Clock::instance().monotonic();
    t.setEnabled(false);
    EXPECT_TRUE(posted);
    EXPECT_GE(ticks, 5);
    EXPECT_GT(outerEnded - start, 0.2);
    EXPECT_LT(outerEnded - start, 1.0) << "it ends";
    EXPECT_GT(nestedEnded, start);
    EXPECT_LE(nestedEnded, outerEnded);
}
