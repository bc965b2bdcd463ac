// The one shape of every sine, cosine and tangent argument of the synthesis.
#pragma once

namespace tarmel::synth {

// ((scale n) / divisor) times ratio. Arguments without a ratio use 1, which leaves the quotient
// exactly as it is.
struct Argument {
    double scale;
    double divisor;
    double ratio;
};

inline double argumentAt(const Argument& a, double n) {
    return ((a.scale * n) / a.divisor) * a.ratio;
}

} // namespace tarmel::synth
