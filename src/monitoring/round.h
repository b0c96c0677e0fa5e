#pragma once

#include "app/module1.h"
#include "monitoring/monitoring.h"
#include "pixelsets/pixel_set.h"
#include "ui/form.h"
#include "windows/form2_controls.h"

namespace monitoring {

// One run of a monitoring handler, on the waits of its window's opening (ui::Opening). They let
// every event run, a close of the window or a click on the start button among them; after each
// wait the handler goes on only while the window it started in is still open and, for a round
// that lasts until the watch changes, while nobody started or stopped monitoring since the
// round began.
class Monitoring::Round {
public:
    enum class Until {
        // A capture or comparison that was started finishes, stopped or not.
        WindowCloses,
        // The alarm step's actions belong to the watch they were taken for.
        WatchChanges,
    };

    explicit Round(Monitoring& monitoring, Until until = Until::WindowCloses)
        : monitoring_(monitoring), opening_(monitoring.f_), until_(until),
          starts_(monitoring.starts_), stopped_(monitoring.monitorStopped) {}

    bool alive() const { return opening_.alive(); }
    // The watch is as it was when the round began: not started or stopped since.
    bool sameWatch() const {
        return alive() && monitoring_.starts_ == starts_ && monitoring_.monitorStopped == stopped_;
    }
    // Whether the round goes on after a wait.
    bool goesOn() const { return until_ == Until::WindowCloses ? alive() : sameWatch(); }

    bool pauseSeconds(int seconds) const {
        for (int i = 0; i < seconds; ++i)
            if (!pauseSecond())
                return false;
        return true;
    }
    // The opening's waits, after which goesOn() decides (it holds only while the opening does).
    bool pauseSecond() const { return opening_.pauseSecond() && goesOn(); }
    bool pauseShort() const { return opening_.pauseShort() && goesOn(); }
    pixelsets::Pacing pacing() const {
        return pixelsets::Pacing{[this] { return pauseShort(); }};
    }

private:
    Monitoring& monitoring_;
    ui::Opening opening_;
    Until until_;
    uint64_t starts_;
    bool stopped_;
};

// Colours of the start button and the status box (&HBBGGRR).
constexpr int kGreen = 65280;
constexpr int kYellow = 65535;
constexpr int kRed = 255;

} // namespace monitoring
