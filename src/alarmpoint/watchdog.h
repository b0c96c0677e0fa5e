#pragma once

#include "vbrt/variant.h"

#include <QString>
#include <cstdint>

namespace alarmpoint {

class Form4;

// The watch on the message link: the link's state in Label2, and the three resets (a link
// closed for long, a download that stalls, a link in error). Two timers of the window run it:
//   Timer2  0.1 s  the display, ticking from the start
//   Timer9  1 s    the download watch, while a download is announced or runs
class Watchdog {
public:
    explicit Watchdog(Form4& form);
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    bool gang = false;       // download data may flow
    int16_t stallLimit = 10; // idle ticks of the display before a download counts as stalled
    int16_t closedTicks = 1; // ticks the link has been closed
    int16_t recng = 1;       // idle ticks of the download
    vbrt::Variant gangam;    // bytes received so far, sampled for the stall check
    double gangbm = 0;       // the bytes received at the tick before

    void Timer2_Timer();
    void Timer9_Timer();
    // Label2 says what state the link is in, as the display does on every tick.
    void showLinkState();
    // Shift and the right button on the window's background bring the clock and the link
    // display back and return to query mode.
    void Form_MouseDown(int button, int shift, int x, int y);

private:
    enum class Watch { Display, Download };
    void watchTick(Watch watch);
    void stallAction(Watch watch);
    void errorReset(Watch watch);
    void longClosedReset(Watch watch);
    void resetUploadChannels(Watch watch);
    QString stateDump(const QString& firstLine) const;

    Form4& f_;
};

} // namespace alarmpoint
