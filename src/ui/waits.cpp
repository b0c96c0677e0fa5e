#include "ui/waits.h"

#include "ui/clock.h"
#include "ui/event_loop.h"
#include "ui/picture_box.h"

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
    PictureBox::showDrawn(true);
}

} // namespace ui
