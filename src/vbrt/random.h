#pragma once

#include <cstdint>

namespace vbrt {

// The program's one sequence of pseudo-random numbers: the next single-precision number in
// [0, 1). It starts the same way in every run, as the program always has; tests seed it to
// pin what it draws.
float Rnd();
void seedRnd(uint32_t seed);

} // namespace vbrt
