// The plain arithmetic of the fast generation over rows of samples, built for several x86-64
// instruction sets at once; the loader picks the widest one the CPU runs. Every operation is the
// same IEEE double operation whatever the set, so the results are too.
#pragma once

#include "Parameters.h"

#include <array>
#include <cmath>
#include <cstdint>

namespace tarmel::synth::rows {

// The vector functions are within 3.5 ulp (8e-16 relative) of std::sin's values and the rest is
// identical arithmetic, so a sample of the fast path is within about 1e-11 of the reference's; one
// further than this from a rounding tie rounds the same way.
inline constexpr double kTieMargin = 1e-7;
// Larger envelope or sample magnitudes go to the reference, which range-tests them.
inline constexpr double kSafeMagnitude = 32000.0;

// x rounded to the nearest integer, ties to even, for |x| < 2^51: the sum with 1.5 * 2^52 has
// no fraction bits left, so the addition itself rounds in the default nearest-even mode. Unlike
// nearbyint it vectorises.
inline double roundHalfEven(double x) {
    constexpr double kShift = 0x1.8p52;
    return (x + kShift) - kShift;
}

inline bool nearTie(double x, double rounded) {
    return std::fabs(x - rounded) > 0.5 - kTieMargin;
}

using Factors = std::array<const double*, kModulatorsPerOscillator>;

// out = ((((((a b) f0) f1) f2) f3) f4) element by element: envLevel times car times the five
// outputs, in the program's order. A factor of 1 leaves the product exactly as it is.
void product(const double* a, const double* b, const Factors& f, double* out, int count);

// out = (x a) + (y b) element by element.
void weightedSum(const double* x, double a, const double* y, double b, double* out, int count);

// out = a b element by element.
void multiply(const double* a, const double* b, double* out, int count);

// rounded = values rounded half-even; true when every value is well inside the safe range and
// clear of a rounding tie, so that the rounded values are final. unusual is working space.
bool round(const double* values, double* rounded, double* unusual, int count);

// out = rounded values (integers in range) as 16-bit samples.
void toSamples(const double* rounded, int16_t* out, int count);

} // namespace tarmel::synth::rows
