#include "vbrt/random.h"

#include <random>

namespace vbrt {

namespace {
constexpr uint32_t kStartSeed = 327680;

std::mt19937& generator() {
    static std::mt19937 g(kStartSeed);
    return g;
}
} // namespace

float Rnd() {
    // 24 bits: every value is exact in a float and below 1.
    return float(generator()() >> 8) / 16777216.0f;
}

void seedRnd(uint32_t seed) {
    generator().seed(seed);
}

} // namespace vbrt
