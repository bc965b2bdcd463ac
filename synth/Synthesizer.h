// Computes one generation of wave1..wave3 from a parameter snapshot, and keeps the state that
// carries from one generation to the next: the fifteen modulator outputs and the random generator.
#pragma once

#include "synth/Parameters.h"
#include "synth/Random.h"

#include <array>
#include <cstdint>
#include <vector>

namespace tarmel::synth {

// State kept between generations (the program's global modulator outputs and generator).
struct SynthState {
    // modOut1..modOut15 as modOut[0..14]; 1 is neutral.
    std::array<double, kModulators> modOut{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    RandomGenerator random;

    // Sets modOut1..modOut15, in ascending order, to 1.
    void setFifteenOutputs() { modOut.fill(1.0); }

    friend bool operator==(const SynthState&, const SynthState&) = default;
};

// The envelope level at sample n for the attack amount a:
// a sin(x) + (1500 - a) cos(x), x = (PI n) / 88200, rounded to 16 bits.
int16_t envelopeLevel(int16_t attack, int n);

// The straightforward per-sample evaluation, sample by sample in ascending order. On an error
// it throws at once: samples stored before stay, later ones keep their old values, and the
// outputs computed so far keep their new values.
void generateReference(const Parameters& params, SynthState& state, Waves& waves);

// The same result as generateReference, computed fast; what the program and the renderer use.
void generate(const Parameters& params, SynthState& state, Waves& waves);

// The same result again, computed on the calling thread alone: it starts no thread and never
// waits for another caller, so that a host's worker thread (the plug-in) keeps its own pace.
void generateOnThisThread(const Parameters& params, SynthState& state, Waves& waves);

// The second a listener hears from the oscillators whose play flag is set: their first 44100
// samples summed in 32 bits and clamped to 16, as the sound device mixes them.
std::vector<int16_t> heardMix(const Waves& waves, const std::array<bool, kOscillators>& play);

} // namespace tarmel::synth
