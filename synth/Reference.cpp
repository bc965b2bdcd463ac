// The straightforward evaluation: every formula in its written order, sample by sample.
#include "CheckedMath.h"
#include "Modulators.h"
#include "Synthesizer.h"

#include <cmath>

namespace tarmel::synth {

const char* modulatorName(int index) {
    static constexpr std::array<const char*, kModulators> names{
        "modulator 1 of oscillator 1", "modulator 2 of oscillator 1",
        "modulator 3 of oscillator 1", "modulator 4 of oscillator 1",
        "modulator 5 of oscillator 1", "modulator 1 of oscillator 2",
        "modulator 2 of oscillator 2", "modulator 3 of oscillator 2",
        "modulator 4 of oscillator 2", "modulator 5 of oscillator 2",
        "modulator 1 of oscillator 3", "modulator 2 of oscillator 3",
        "modulator 3 of oscillator 3", "modulator 4 of oscillator 3",
        "modulator 5 of oscillator 3"};
    return names.at(static_cast<std::size_t>(index));
}

namespace {

const char* oscillatorName(int j) {
    static constexpr std::array<const char*, kOscillators> names{"oscillator 1", "oscillator 2",
                                                                 "oscillator 3"};
    return names.at(static_cast<std::size_t>(j));
}

double phaseOf(Phase phase, int16_t q, int16_t H, double n, const Where& where) {
    switch (phase) {
    case Phase::Multiply:
        return ((fmul(TWO_PI, q, where) * n) / 44100.0) * H;
    case Phase::Divide: {
        const double top = fmul(TWO_PI, q, where) * n;
        return fdiv(top, mul32(H, 44100, where), where);
    }
    case Phase::DivideHalved: {
        const double top = fmul(PI, q, where) * n;
        return fdiv(top, mul32(H, 44100, where), where);
    }
    }
    return 0.0;
}

// floor(sin or cos of oscillator 1's phase).
double gate(bool cosine, int16_t pitch1, double n, const Where& where) {
    const double arg = (fmul(TWO_PI, pitch1, where) * n) / 44100.0;
    return std::floor(cosine ? std::cos(arg) : std::sin(arg));
}

double modulatorValue(const ModulatorKind& kind, const ModulatorSetting& m, int16_t pitch1,
                      double n, RandomGenerator& random, const Where& where) {
    const int16_t q = mul16(pitch1, m.F, where);
    const double ph = phaseOf(kind.phase, q, m.H, n, where);
    switch (kind.waveform) {
    case Waveform::Sine:
        return std::sin(ph);
    case Waveform::TanSine:
        return std::tan(std::sin(ph));
    case Waveform::SineGatedS:
    case Waveform::SineGatedC: {
        const double s = std::sin(ph);
        const double g = gate(kind.waveform == Waveform::SineGatedC, pitch1, n, where);
        return fmul(g, s, where);
    }
    case Waveform::Random:
        return static_cast<double>(random.next(std::sin(ph)));
    }
    return 0.0;
}

} // namespace

int16_t envelopeLevel(int16_t attack, int n) {
    const Where where{"envelope", n};
    const double x = (PI * static_cast<double>(n)) / 88200.0;
    const double attackTerm = fmul(std::sin(x), attack, where);
    const int16_t decayWeight = sub16(1500, attack, where);
    const double decayTerm = fmul(std::cos(x), decayWeight, where);
    return round16(attackTerm + decayTerm, where);
}

void generateReference(const Parameters& params, SynthState& state, Waves& waves) {
    const std::array<int16_t, kOscillators> pitches{params.pitch1, params.pitch2, params.pitch3};
    for (int n = 0; n < kSampleCount; ++n) {
        const auto dn = static_cast<double>(n);

        const int16_t envLevel = envelopeLevel(params.attack, n);

        for (int k = 0; k < kModulators; ++k) {
            const auto& m = params.modulators[static_cast<std::size_t>(k)];
            if (m.on) {
                state.modOut[static_cast<std::size_t>(k)] =
                    modulatorValue(kModulatorKinds[static_cast<std::size_t>(k)], m, params.pitch1,
                                   dn, state.random, {modulatorName(k), n});
            }
        }

        for (int j = 0; j < kOscillators; ++j) {
            const Where where{oscillatorName(j), n};
            const auto ju = static_cast<std::size_t>(j);
            const double car = std::sin((fmul(TWO_PI, pitches[ju], where) * dn) / 44100.0);
            double s = fmul(envLevel, car, where);
            for (int i = 0; i < kModulatorsPerOscillator; ++i) {
                s *= state.modOut[ju * kModulatorsPerOscillator + static_cast<std::size_t>(i)];
            }
            waves[ju][static_cast<std::size_t>(n)] = round16(s, where);
        }
    }
}

} // namespace tarmel::synth
