// The straightforward evaluation: every formula in its written order, sample by sample.
#include "synth/CheckedMath.h"
#include "synth/Formulas.h"
#include "synth/Modulators.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <cmath>

namespace tarmel::synth {

int16_t envelopeLevel(int16_t attack, int n) {
    const Where where{"envelope", n};
    const double x = argumentAt(kEnvelopeArgument, static_cast<double>(n));
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
            const auto ku = static_cast<std::size_t>(k);
            const auto& m = params.modulators[ku];
            if (m.on) {
                const ModulatorKind& kind = kModulatorKinds[ku];
                const double wave =
                    modulatorWave(kind, m, params.pitch1, dn, {modulatorName(k), n});
                state.modOut[ku] = kind.waveform == Waveform::Random
                                       ? static_cast<double>(state.random.next(wave))
                                       : wave;
            }
        }

        for (int j = 0; j < kOscillators; ++j) {
            const Where where{oscillatorName(j), n};
            const auto ju = static_cast<std::size_t>(j);
            const double car = carrier(pitches[ju], dn, where);
            const double s =
                sampleValue(envLevel, car, &state.modOut[ju * kModulatorsPerOscillator], where);
            waves[ju][static_cast<std::size_t>(n)] = round16(s, where);
        }
    }
}

std::vector<int16_t> heardMix(const Waves& waves, const std::array<bool, kOscillators>& play) {
    std::vector<int16_t> out(kBufferSamples);
    for (std::size_t n = 0; n < out.size(); ++n) {
        int32_t sum = 0;
        for (std::size_t j = 0; j < play.size(); ++j) {
            sum += play[j] ? waves[j][n] : 0;
        }
        out[n] = static_cast<int16_t>(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
    }
    return out;
}

} // namespace tarmel::synth
