// The formulas of one sample, shared by the straightforward and the fast evaluation so that both
// do the same double operations in the same order.
#pragma once

#include "synth/Argument.h"
#include "synth/CheckedMath.h"
#include "synth/Modulators.h"

#include <cstdint>

namespace tarmel::synth {

// The envelope's argument x = (PI n) / 88200.
inline constexpr Argument kEnvelopeArgument{PI, 88200.0, 1.0};

// ((TWO_PI p) n) / 44100 with twoPiPitch = TWO_PI p: the argument of a carrier and of the gates.
inline Argument pitchArgument(double twoPiPitch) {
    return {twoPiPitch, 44100.0, 1.0};
}

// A modulator phase: PM = (((TWO_PI q) n) / 44100) H, PD = ((TWO_PI q) n) / L and
// PH = ((PI q) n) / L with L = H 44100, range-tested in the order the program tests them. The
// divisor of PD and PH is zero when H is.
Argument phaseTerms(Phase phase, int16_t q, int16_t H, const Where& where);

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

// "modulator 3 of oscillator 1" and so on, for error messages.
const char* modulatorName(int index);

} // namespace tarmel::synth
