#include "ui/event_loop.h"

#include "ui/clock.h"
#include "ui/picture_box.h"
#include "ui/timer.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <thread>

namespace ui {

EventLoop& EventLoop::instance() {
    static EventLoop loop;
    return loop;
}

void EventLoop::useVirtualTime(const QDateTime& start) {
    Clock::instance().useVirtual(start);
    for (Timer* t : timers_)
        t->reschedule();
}

void EventLoop::useRealTime() {
    Clock::instance().useReal();
    for (Timer* t : timers_)
        t->reschedule();
}

bool EventLoop::isVirtual() const {
    return Clock::instance().isVirtual();
}

void EventLoop::doEvents() {
    // What was drawn since the last frame is painted in this turn.
    PictureBox::showDrawn(false);
    if (QCoreApplication::instance())
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    if (isVirtual())
        advanceTo(Clock::instance().virtualNanos() + kQuantumNs);
}

void EventLoop::waitForEvents(double left) {
    if (isVirtual() || !QCoreApplication::instance() || left <= 0) {
        doEvents();
        return;
    }
    PictureBox::showDrawn(false);
    // The deadline is one more event to wake for; it needs no handler. Nested waits each have
    // their own, and an outer one that falls due inside an inner wait only wakes that one.
    QTimer deadline;
    deadline.setTimerType(Qt::PreciseTimer);
    deadline.setSingleShot(true);
    deadline.start(std::max(1, int(std::ceil(left * 1000))));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void EventLoop::spin(double left) {
    if (isVirtual()) {
        Clock::instance().moveVirtual(kQuantumNs);
        return;
    }
    // Short enough that a paced drawing still shows every frame and a wait of 0.01 s ends on
    // time; long enough that the thread leaves the processor to others meanwhile.
    constexpr double kSlice = 0.001;
    if (left > 0)
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(left, kSlice)));
}

void EventLoop::advance(double seconds) {
    if (!isVirtual() || seconds <= 0)
        return;
    advanceTo(Clock::instance().virtualNanos() + int64_t(seconds * 1e9 + 0.5));
}

Timer* EventLoop::nextDue(int64_t limitNs) const {
    Timer* best = nullptr;
    for (Timer* t : timers_) {
        if (!t->ticking() || t->running_ || t->dueNs_ > limitNs)
            continue;
        if (!best || t->dueNs_ < best->dueNs_ ||
            (t->dueNs_ == best->dueNs_ && t->seq_ < best->seq_))
            best = t;
    }
    return best;
}

void EventLoop::advanceTo(int64_t targetNs) {
    Clock& clock = Clock::instance();
    while (Timer* t = nextDue(targetNs)) {
        const int64_t scheduled = t->dueNs_;
        if (scheduled > clock.virtualNanos())
            clock.moveVirtual(scheduled - clock.virtualNanos());
        // Like a message queue holding at most one pending tick per timer: a handler that
        // overran its interval is followed by one tick at once, not by a burst of catch-ups.
        t->dueNs_ = std::max(scheduled + int64_t(t->interval_) * 1'000'000, clock.virtualNanos());
        t->fire();
        if (t->dueNs_ < clock.virtualNanos())
            t->dueNs_ = clock.virtualNanos();
    }
    if (targetNs > clock.virtualNanos())
        clock.moveVirtual(targetNs - clock.virtualNanos());
}

void EventLoop::add(Timer* t) {
    static uint64_t seq = 0;
    t->seq_ = ++seq;
    timers_.push_back(t);
}

void EventLoop::remove(Timer* t) {
    std::erase(timers_, t);
}

} // namespace ui
