// Builds the fast generation's plan; shares the phases and pitches that several parts use.
#include "synth/fast/FastPlan.h"

#include "synth/Modulators.h"

#include <cmath>

namespace tarmel::synth {

namespace {

constexpr int randomModulatorCount() {
    int count = 0;
    for (const ModulatorKind& kind : kModulatorKinds) {
        count += kind.waveform == Waveform::Random ? 1 : 0;
    }
    return count;
}
static_assert(randomModulatorCount() <= 1, "the fast generation feeds one random modulator");

bool fits16(int32_t v) {
    return v >= INT16_MIN && v <= INT16_MAX;
}

OutputSource sourceOf(Waveform w) {
    switch (w) {
    case Waveform::Sine:
        return OutputSource::Sine;
    case Waveform::TanSine:
        return OutputSource::TanSine;
    case Waveform::SineGatedS:
        return OutputSource::GatedS;
    case Waveform::SineGatedC:
        return OutputSource::GatedC;
    case Waveform::Random:
        return OutputSource::Random;
    }
    return OutputSource::Stored;
}

int slotOf(FastPlan& plan, int16_t pitch) {
    for (int s = 0; s < plan.pitchCount; ++s) {
        if (plan.pitch[static_cast<std::size_t>(s)] == pitch) {
            return s;
        }
    }
    const auto s = static_cast<std::size_t>(plan.pitchCount++);
    plan.pitch[s] = pitch;
    plan.pitchArgument[s] = pitchArgument(fmul(TWO_PI, pitch, {"", -1}));
    return static_cast<int>(s);
}

int channelOf(FastPlan& plan, Phase phase, int16_t q, int16_t H) {
    for (int c = 0; c < plan.channelCount; ++c) {
        const PhaseChannel& ch = plan.channels[static_cast<std::size_t>(c)];
        if (ch.phase == phase && ch.q == q && ch.H == H) {
            return c;
        }
    }
    const auto c = static_cast<std::size_t>(plan.channelCount++);
    plan.channels[c] = {phase, q, H, phaseTerms(phase, q, H, {"", -1}), false, 0};
    return static_cast<int>(c);
}

// Where an oscillator's gate is 0, its gated output is 0, and any finite value of its other
// outputs gives the same sample: their sines are not needed there, and 0 stands in for them. The
// random modulator's are needed at every sample all the same: the generator takes each in turn.
void findSilences(FastPlan& plan) {
    for (std::size_t j = 0; j < kOscillators; ++j) {
        for (std::size_t f = 0; f < kModulatorsPerOscillator; ++f) {
            const OutputPlan& out = plan.outputs[j * kModulatorsPerOscillator + f];
            plan.silentWithoutS[j] |= out.source == OutputSource::GatedS;
            plan.silentWithoutC[j] |= out.source == OutputSource::GatedC;
        }
    }
    std::array<bool, kModulators> alwaysNeeded{};
    for (std::size_t k = 0; k < kModulators; ++k) {
        const OutputPlan& out = plan.outputs[k];
        if (out.source == OutputSource::Stored) {
            continue;
        }
        const auto c = static_cast<std::size_t>(out.channel);
        const std::size_t j = k / kModulatorsPerOscillator;
        plan.channels[c].silencedWith |= 1 << j;
        alwaysNeeded[c] = alwaysNeeded[c] || out.source == OutputSource::Random ||
                          !(plan.silentWithoutS[j] || plan.silentWithoutC[j]);
    }
    for (int c = 0; c < plan.channelCount; ++c) {
        if (alwaysNeeded[static_cast<std::size_t>(c)]) {
            plan.channels[static_cast<std::size_t>(c)].silencedWith = 0;
        }
    }
}

} // namespace

std::optional<FastPlan> makeFastPlan(const Parameters& params, const SynthState& state) {
    FastPlan plan;
    plan.attack = params.attack;
    const int32_t decayWeight = 1500 - int32_t{params.attack};
    if (!fits16(decayWeight)) {
        return std::nullopt;
    }
    plan.attackWeight = params.attack;
    plan.decayWeight = decayWeight;

    const std::array<int16_t, kOscillators> pitches{params.pitch1, params.pitch2, params.pitch3};
    for (std::size_t j = 0; j < pitches.size(); ++j) {
        plan.pitchSlotOf[j] = slotOf(plan, pitches[j]);
    }

    for (std::size_t k = 0; k < kModulators; ++k) {
        const ModulatorSetting& m = params.modulators[k];
        OutputPlan& out = plan.outputs[k];
        if (!m.on) {
            out.stored = state.modOut[k];
            if (!(std::fabs(out.stored) <= kLargestOutput)) {
                return std::nullopt; // outside the bounds FastRounding's margins rest on
            }
            continue;
        }
        const ModulatorKind& kind = kModulatorKinds[k];
        const int32_t q = int32_t{params.pitch1} * int32_t{m.F};
        if (!fits16(q) || (kind.phase != Phase::Multiply && m.H == 0)) {
            return std::nullopt;
        }
        out.source = sourceOf(kind.waveform);
        if (out.source == OutputSource::Random) {
            plan.randomModulator = static_cast<int>(k);
        }
        out.channel = channelOf(plan, kind.phase, static_cast<int16_t>(q), m.H);
        plan.channels[static_cast<std::size_t>(out.channel)].needsTan |=
            out.source == OutputSource::TanSine;
        plan.needsGateS |= out.source == OutputSource::GatedS;
        plan.needsGateC |= out.source == OutputSource::GatedC;
    }
    findSilences(plan);
    return plan;
}

} // namespace tarmel::synth
