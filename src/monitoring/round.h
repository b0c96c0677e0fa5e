#pragma once

#include "monitoring/monitoring.h"
#include "pixelsets/pixel_set.h"
#include "shell/form2.h"
#include "ui/form.h"

namespace monitoring {

// One run of a monitoring handler. Its waits let every event run, a close of the window
// among them; after each wait the handler goes on only while the window it started in is
// still open.
class Monitoring::Round {
public:
    explicit Round(shell::Form2& form) : form_(form), opening_(form) {}

    bool alive() const { return opening_.alive(); }
    bool pauseSeconds(int seconds) const {
        for (int i = 0; i < seconds; ++i) {
            form_.pauseSecond();
            if (!alive())
                return false;
        }
        return true;
    }
    bool pauseSecond() const { return pauseSeconds(1); }
    bool pauseShort() const {
        form_.pauseShort();
        return alive();
    }
    pixelsets::Pacing pacing() const {
        return pixelsets::Pacing{[this] { return pauseShort(); }};
    }

private:
    shell::Form2& form_;
    ui::Opening opening_;
};

// Colours of the start button and the status box (&HBBGGRR).
constexpr int kGreen = 65280;
constexpr int kYellow = 65535;
constexpr int kRed = 255;

} // namespace monitoring
