#pragma once

#include <cstdint>
#include <limits>

namespace alarmpoint {

// The window keeps its counters in 16 bits; one that would pass the top stays there rather
// than wrapping round or stopping the program.
inline void countUp(int16_t& n) {
    if (n < std::numeric_limits<int16_t>::max())
        ++n;
}

} // namespace alarmpoint
