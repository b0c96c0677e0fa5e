#pragma once

#include <QDateTime>
#include <QElapsedTimer>
#include <cstdint>

namespace ui {

// The program's one source of time. Every reading of the date, the time of day and of
// elapsed time goes through here, so tests can run the program on virtual time and the
// alarm server's time sync can set the program's clock without touching the machine's.
class Clock {
public:
    static Clock& instance();

    // Date and time as the program sees them (machine time plus the program's offset).
    QDateTime now() const;
    QDate date() const { return now().date(); }
    QTime time() const { return now().time(); }
    // Seconds since midnight with fractions, as a 32-bit float.
    float timeOfDay() const;

    // Seconds on a clock that never jumps (neither at midnight nor when the program's
    // time is set); waits measure on this.
    double monotonic() const;

    // Makes now() read `t` from here on, by an offset; the machine's clock is left alone.
    void setProgramTime(const QDateTime& t);
    void clearOffset() { offsetMs_ = 0; }

    // Virtual time for tests: time stands still until the event loop advances it.
    void useVirtual(const QDateTime& start);
    void useReal();
    bool isVirtual() const { return virtual_; }
    int64_t virtualNanos() const { return virtualNs_; }
    // Only the event loop moves virtual time.
    void moveVirtual(int64_t nanos) { virtualNs_ += nanos; }

private:
    Clock();
    QDateTime base() const;

    bool virtual_ = false;
    QDateTime virtualStart_;
    int64_t virtualNs_ = 0;
    int64_t offsetMs_ = 0;
    QElapsedTimer monotonic_;
};

} // namespace ui
