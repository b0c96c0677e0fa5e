#pragma once

#include <QDateTime>
#include <cstdint>
#include <vector>

namespace ui {

class Timer;

// Drives every ui::Timer. In the program this is Qt's loop on the machine's clock; in tests
// it runs on virtual time: advance() moves the clock forward and fires each timer that
// comes due, in time order, each handler running to its end (nested waits included).
class EventLoop {
public:
    static EventLoop& instance();

    // Virtual time steps by this much in every iteration of a wait.
    static constexpr int64_t kQuantumNs = 1'000'000;

    void useVirtualTime(const QDateTime& start);
    void useRealTime();
    bool isVirtual() const;

    // Lets pending events run once. On virtual time it also moves the clock one quantum
    // and fires the timers that came due, so a wait that pumps events sees time pass.
    void doEvents();
    // One turn of a wait that lets events run: as doEvents(), but on the machine's clock it
    // sleeps until the next event arrives or `left` seconds have passed, whichever is first,
    // so that a wait costs nothing while nothing happens.
    void waitForEvents(double left);
    // One turn of a busy wait: nothing runs. On virtual time the clock moves one quantum; on
    // the machine's clock the thread sleeps a short slice, at most `left` seconds.
    void spin(double left);
    // Virtual time only: moves the clock `seconds` forward, firing due timers in order.
    void advance(double seconds);

    // Timers register themselves.
    void add(Timer* t);
    void remove(Timer* t);

private:
    EventLoop() = default;
    void advanceTo(int64_t targetNs);
    Timer* nextDue(int64_t limitNs) const;

    std::vector<Timer*> timers_;
};

} // namespace ui
