// How the fast generation rounds: to the nearest integer with ties to even, and when a value is
// too close to a tie, or too large, to trust the vector functions' last bits. Used by the generic
// code and by the code built for each instruction set, so everything here is inlined.
#pragma once

namespace tarmel::synth::rounding {

// The vector sines and cosines are within 2e-15 of the C library's, the tangents (of sines) within
// 5e-15 (tested), and the rest is identical arithmetic. A sample below kSafeMagnitude is an exact
// envelope level below 2^16 times a carrier and five outputs of at most tan(1) (the plan hands
// larger stored outputs to the reference), so each of those six factors' errors moves it by less
// than 2^16 1.56^4 5e-15 < 2e-9, all of them by less than 1.2e-8; a sample further than kTieMargin
// from a rounding tie rounds the same way.
inline constexpr double kTieMargin = 1e-7;
// Larger envelope or sample magnitudes go to the reference, which range-tests them.
inline constexpr double kSafeMagnitude = 32000.0;

// x rounded to the nearest integer, ties to even, for |x| < 2^51: the sum with 1.5 * 2^52 has
// no fraction bits left, so the addition itself rounds in the default nearest-even mode. Unlike
// nearbyint it vectorises.
[[gnu::always_inline]] inline double roundHalfEven(double x) {
    constexpr double kShift = 0x1.8p52;
    return (x + kShift) - kShift;
}

[[gnu::always_inline]] inline bool nearTie(double x, double rounded) {
    return __builtin_fabs(x - rounded) > 0.5 - kTieMargin;
}

// Whether a value may be rounded by the fast path: well inside 16 bits (NaN is not).
[[gnu::always_inline]] inline bool safeMagnitude(double x) {
    return __builtin_fabs(x) < kSafeMagnitude;
}

// A vector sine this close to 0, 1 or -1 may lie on the other side of that edge than std::sin's.
inline constexpr double kEdgeMargin = 1e-9;

// A gate sine whose floor is certain: -1 below zero, 0 from zero to below one.
[[gnu::always_inline]] inline bool clearOfGateEdges(double v) {
    const double m = __builtin_fabs(v);
    return m > kEdgeMargin && m < 1.0 - kEdgeMargin;
}

} // namespace tarmel::synth::rounding
