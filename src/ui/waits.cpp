#include "ui/waits.h"

#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/picture_box.h"
#include "ui/session.h"

#include <algorithm>

namespace ui {

void DoEvents() {
    EventLoop::instance().doEvents();
}

namespace {
// Seconds left of a wait of `bound` from `start`; none once the elapsed time, as a 32-bit
// float, is strictly above the bound.
double left(double start, float bound) {
    const float elapsed = float(Clock::instance().monotonic() - start);
    return elapsed > bound ? 0 : std::max(double(bound) - double(elapsed), 1e-6);
}
} // namespace

void pumpedWait(float bound) {
    const double start = Clock::instance().monotonic();
    while (const double rest = left(start, bound))
        EventLoop::instance().waitForEvents(rest);
}

void busyWait(float bound) {
    const double start = Clock::instance().monotonic();
    while (const double rest = left(start, bound)) {
        showDrawingSoFar();
        EventLoop::instance().spin(rest);
    }
}

void pauseSecond() {
    pumpedWait(1.0f);
}

void pauseShort() {
    pumpedWait(0.01f);
}

void showDrawingSoFar() {
    // The one place every wait that takes no input passes through.
    endSessionIfSignalled();
    PictureBox::showDrawn(true);
}

} // namespace ui
