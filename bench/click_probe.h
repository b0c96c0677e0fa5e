#pragma once

// Clicks on a window from outside its thread, each stamped with the moment it was made, and
// how long the window kept each one waiting: what a user feels of a window that is busy.

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QWidget>
#include <algorithm>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>
#include <vector>

namespace bench_support {

using Clock = std::chrono::steady_clock;

// A click as the window system would deliver it, stamped with the moment it was made.
class ProbeClick : public QMouseEvent {
public:
    ProbeClick(Qt::MouseButton button, const QPointingDevice* mouse)
        : QMouseEvent(QEvent::MouseButtonPress, QPointF(5, 5), QPointF(5, 5), button, button,
                      Qt::NoModifier, mouse),
          made(Clock::now()) {}
    const Clock::time_point made;
};

// Notes how long each probe click waited before the window took it.
class ClickWaits : public QObject {
public:
    std::vector<double> waitsMs;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        if (const auto* probe = dynamic_cast<const ProbeClick*>(e))
            waitsMs.push_back(
                std::chrono::duration<double, std::milli>(Clock::now() - probe->made).count());
        return false;
    }
};

// Clicks `target` every 100 ms for `seconds` from a thread of its own, so that a window that is
// busy does not slow them down: left and right in turn, so the label goes up and comes back
// down. The waits are noted for as long as the clicker exists, clicks answered late included.
class Clicker {
public:
    static constexpr auto kEvery = std::chrono::milliseconds(100);

    Clicker(QWidget* target, int seconds) : target_(target) {
        target_->installEventFilter(&waits_);
        // Made here: the pointing device belongs to the window's thread.
        const QPointingDevice* mouse = QPointingDevice::primaryPointingDevice();
        thread_ = std::thread([this, mouse, clicks = seconds * 1000 / int(kEvery.count())] {
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < clicks; ++i) {
                std::this_thread::sleep_until(start + kEvery * i);
                if (stop_)
                    return;
                QCoreApplication::postEvent(
                    target_, new ProbeClick(i % 2 == 0 ? Qt::LeftButton : Qt::RightButton, mouse));
                ++posted_;
            }
        });
    }
    ~Clicker() {
        stop();
        target_->removeEventFilter(&waits_);
    }
    // No more clicks; those posted still have their waits noted.
    void stop() {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    int posted() const { return posted_; }
    const std::vector<double>& waitsMs() const { return waits_.waitsMs; }

private:
    QWidget* target_;
    ClickWaits waits_;
    std::atomic<bool> stop_ = false;
    std::atomic<int> posted_ = 0;
    std::thread thread_;
};

inline void reportClicks(benchmark::State& state, std::vector<double> v) {
    std::sort(v.begin(), v.end());
    state.counters["clicks"] = double(v.size());
    state.counters["click_wait_max_ms"] = v.empty() ? -1 : v.back();
    state.counters["click_wait_p99_ms"] = v.empty() ? -1 : v[v.size() * 99 / 100];
}

} // namespace bench_support
