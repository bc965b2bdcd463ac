// What the fast generation computes at every sample, decided once from the parameters: the
// distinct pitches and modulator phases to evaluate, and where each modulator's output comes from.
#pragma once

#include "synth/Formulas.h"
#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <array>
#include <optional>

namespace tarmel::synth {

// Where a modulator's output comes from at each sample.
enum class OutputSource {
    Stored,  // off: its stored output, the same at every sample
    Sine,    // sin of its phase channel
    TanSine, // tan of that sine
    GatedS,  // GS times the sine
    GatedC,  // GC times the sine
    Random,  // the random generator fed with the sine, in sample order
};

struct OutputPlan {
    OutputSource source = OutputSource::Stored;
    int channel = -1;    // phase channel, for all but Stored
    double stored = 1.0; // the stored output, for Stored
};

// One distinct modulator phase (same kind, q and H) and what is needed of it.
struct PhaseChannel {
    Phase phase;
    int16_t q;
    int16_t H;
    Argument argument;
    bool needsTan;
    // The oscillators whose samples its values reach, as bits (1 << j), when all of them fall
    // silent where a gate of theirs is 0; 0 when its values are needed at every sample.
    int silencedWith = 0;
};

struct FastPlan {
    int16_t attack = 0;
    double attackWeight = 0.0; // a
    double decayWeight = 0.0;  // 1500 - a

    // The distinct pitches; slot 0 holds pitch1, whose sine and cosine also make the gates.
    int pitchCount = 0;
    std::array<int16_t, kOscillators> pitch{};
    std::array<Argument, kOscillators> pitchArgument{};
    std::array<int, kOscillators> pitchSlotOf{}; // the slot of oscillator j's pitch
    bool needsGateS = false;
    bool needsGateC = false;
    // Per oscillator, whether it has an output gated by GS (or GC): wherever that gate is 0, its
    // other outputs do not change its sample (0, or NaN from a stored infinity either way).
    std::array<bool, kOscillators> silentWithoutS{};
    std::array<bool, kOscillators> silentWithoutC{};

    int channelCount = 0;
    std::array<PhaseChannel, kModulators> channels{};
    std::array<OutputPlan, kModulators> outputs{};
    int randomModulator = -1; // the random modulator's index when it is on
};

// The plan for one generation, or nothing when one of the range-tested integer operations (or a
// divisor) would fail: the straightforward evaluation then raises that error.
std::optional<FastPlan> makeFastPlan(const Parameters& params, const SynthState& state);

} // namespace tarmel::synth
