#pragma once

#include "vbrt/variant.h"

namespace drawing {

// The counters, phases and frequencies the curve animations advance from tick to tick, in
// four sets (shell, egg, death, life). They belong to the drawing window and outlive its
// unload; each load gives only some of them new start values.
struct ComaState {
    vbrt::Variant shellTick{int16_t(0)};
    vbrt::Variant shellPhase{int16_t(0)};
    double shellFreq = 0;

    vbrt::Variant eggTick{int16_t(0)};
    vbrt::Variant eggPhase{int16_t(0)};
    vbrt::Variant eggFreq{int16_t(0)};
    double eggPhaseTicks = 0;

    vbrt::Variant deathTick{int16_t(0)};
    vbrt::Variant deathPhase{0.00001};
    vbrt::Variant deathFreq{0.00001};
    double deathPhaseTicks = 0;

    vbrt::Variant lifeTick;
    vbrt::Variant lifePhase{0.00001};
    vbrt::Variant lifeFreq;
    double lifePhaseTicks = 0;

    // The start values of a new opening of the window. The life animation keeps its counters
    // and frequency from the last opening and only starts its angle again.
    void startOfOpening() {
        shellTick = int16_t(0);
        shellPhase = int16_t(0);
        shellFreq = 0;
        eggTick = int16_t(0);
        eggPhase = int16_t(0);
        eggFreq = int16_t(0);
        eggPhaseTicks = 0;
        deathTick = int16_t(0);
        deathPhaseTicks = 0;
        deathPhase = 0.00001;
        deathFreq = 0.00001;
        lifePhase = 0.00001;
    }
};

} // namespace drawing
