// PCG32 (XSH RR) with a reseed from the bits of a negative argument.
#include "synth/Random.h"

#include <bit>

namespace tarmel::synth {

namespace {
constexpr uint64_t kMultiplier = 6364136223846793005ULL;
constexpr uint64_t kIncrement = 1442695040888963407ULL;

// SplitMix64 finaliser: spreads the bits of the seed over the whole state.
uint64_t mix(uint64_t z) {
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}
} // namespace

float RandomGenerator::advance() {
    const uint64_t old = state_;
    state_ = old * kMultiplier + kIncrement;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18U) ^ old) >> 27U);
    const auto rot = static_cast<uint32_t>(old >> 59U);
    const uint32_t out = std::rotr(xorshifted, static_cast<int>(rot));
    // 24 bits fill a float's mantissa exactly, so the value lies in [0, 1) without rounding up.
    last_ = static_cast<float>(out >> 8U) * 0x1.0p-24f;
    return last_;
}

float RandomGenerator::next(double r) {
    if (r > 0.0) {
        return advance();
    }
    if (r == 0.0) {
        return last_;
    }
    state_ = mix(std::bit_cast<uint64_t>(r));
    return advance();
}

} // namespace tarmel::synth
