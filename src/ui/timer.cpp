#include "ui/timer.h"

#include "ui/clock.h"
#include "ui/event_loop.h"

namespace ui {

Timer::Timer(Form* owner, const QString& name, int index) : Control(owner, name, index) {
    // A window's timer ticks only while the window is loaded.
    live_ = owner == nullptr;
    EventLoop::instance().add(this);
}

Timer::~Timer() {
    EventLoop::instance().remove(this);
}

void Timer::setInterval(int ms) {
    interval_ = std::max(0, ms);
    reschedule();
}

void Timer::setEnabled(bool on) {
    if (enabled_ == on)
        return;
    enabled_ = on;
    reschedule();
}

void Timer::fire() {
    if (running_ || !onTimer)
        return;
    running_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{running_};
    onTimer();
}

void Timer::resetToDesign() {
    Control::resetToDesign();
    interval_ = 0;
    enabled_ = true;
    reschedule();
}

void Timer::attach(QWidget*) {
    live_ = true;
    reschedule();
}

void Timer::detach() {
    live_ = false;
    reschedule();
}

void Timer::reschedule() {
    const bool virtualTime = Clock::instance().isVirtual();
    if (!ticking() || virtualTime) {
        if (qt_)
            qt_->stop();
        dueNs_ = Clock::instance().virtualNanos() + int64_t(interval_) * 1'000'000;
        return;
    }
    if (!qt_) {
        qt_ = std::make_unique<QTimer>();
        QObject::connect(qt_.get(), &QTimer::timeout, [this] { fire(); });
    }
    qt_->start(interval_);
}

} // namespace ui
