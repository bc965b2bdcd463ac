// The formulas of one sample, shared by the straightforward and the fast evaluation so that both
// do the same double operations in the same order.
#pragma once

#include "CheckedMath.h"
#include "Modulators.h"

#include <cstdint>

namespace tarmel::synth {

// The envelope's argument x = (PI n) / 88200.
inline double envelopeArgument(double n) {
    return (PI * n) / 88200.0;
}

// ((TWO_PI p) n) / 44100 with twoPiPitch = TWO_PI p: the argument of a carrier and of the gates.
inline double pitchArgument(double twoPiPitch, double n) {
    return (twoPiPitch * n) / 44100.0;
}

// The loop-invariant parts of a modulator phase: scaled = TWO_PI q (PI q when halved),
// ratio = H and divisor = L = H 44100.
struct PhaseTerms {
    double scaled;
    double ratio;
    double divisor;
};

// The range-tested parts of a phase, in the order the program tests them.
PhaseTerms phaseTerms(Phase phase, int16_t q, int16_t H, const Where& where);

// The phase at sample n from its terms; the divisor of a divided phase must not be zero.
inline double phaseValue(Phase phase, const PhaseTerms& t, double n) {
    if (phase == Phase::Multiply) {
        return pitchArgument(t.scaled, n) * t.ratio;
    }
    return (t.scaled * n) / t.divisor;
}

// The phase at sample n, range-tested and with the divisor tested for zero.
double phaseOf(Phase phase, int16_t q, int16_t H, double n, const Where& where);

// floor(sin or cos of oscillator 1's phase) at sample n.
double gate(bool cosine, int16_t pitch1, double n, const Where& where);

// The carrier sine of a pitch at sample n.
double carrier(int16_t pitch, double n, const Where& where);

// The waveform of one modulator at sample n; for the random modulator, the argument r its
// generator receives.
double modulatorWave(const ModulatorKind& kind, const ModulatorSetting& m, int16_t pitch1, double n,
                     const Where& where);

// envLevel times car, then times the oscillator's five outputs from left to right.
double sampleValue(int16_t envLevel, double car, const double* outputs, const Where& where);

// "oscillator 1" and so on, for error messages.
const char* oscillatorName(int j);

} // namespace tarmel::synth
