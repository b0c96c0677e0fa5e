#include "ui/clock.h"

#include "vbrt/datetime.h"

namespace ui {

Clock& Clock::instance() {
    static Clock clock;
    return clock;
}

Clock::Clock() {
    monotonic_.start();
}

QDateTime Clock::base() const {
    if (virtual_)
        return virtualStart_.addMSecs(virtualNs_ / 1'000'000);
    return QDateTime::currentDateTime();
}

QDateTime Clock::now() const {
    return base().addMSecs(offsetMs_);
}

float Clock::timeOfDay() const {
    return vbrt::secondsSinceMidnight(now().time());
}

double Clock::monotonic() const {
    if (virtual_)
        return double(virtualNs_) / 1e9;
    return double(monotonic_.nsecsElapsed()) / 1e9;
}

void Clock::setProgramTime(const QDateTime& t) {
    offsetMs_ = base().msecsTo(t);
}

void Clock::useVirtual(const QDateTime& start) {
    virtual_ = true;
    virtualStart_ = start;
    virtualNs_ = 0;
    offsetMs_ = 0;
}

void Clock::useReal() {
    virtual_ = false;
    offsetMs_ = 0;
}

} // namespace ui
