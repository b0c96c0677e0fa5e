#include "ui/waits.h"

#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/picture_box.h"

#include <chrono>

namespace ui {

void DoEvents() {
    EventLoop::instance().doEvents();
}

namespace {
bool over(double start, float bound) {
    const float elapsed = float(Clock::instance().monotonic() - start);
    return elapsed > bound;
}
} // namespace

void pumpedWait(float bound) {
    const double start = Clock::instance().monotonic();
    while (!over(start, bound))
        EventLoop::instance().doEvents();
}

void busyWait(float bound) {
    const double start = Clock::instance().monotonic();
    while (!over(start, bound)) {
        showDrawingSoFar();
        EventLoop::instance().spin();
    }
}

void showDrawingSoFar() {
    // Measured on the machine's clock even on virtual time: it paces the screen, not the
    // program.
    using Steady = std::chrono::steady_clock;
    static constexpr auto kFrame = std::chrono::milliseconds(15);
    static Steady::time_point lastShown;
    const Steady::time_point now = Steady::now();
    if (now - lastShown < kFrame)
        return;
    lastShown = now;
    PictureBox::paintDrawnPictures();
}

} // namespace ui
