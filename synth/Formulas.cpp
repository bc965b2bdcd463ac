// The checked scalar formulas of one sample.
#include "synth/Formulas.h"

#include <array>
#include <cmath>
#include <string>

namespace tarmel::synth {

const char* oscillatorName(int j) {
    static constexpr std::array<const char*, kOscillators> names{"oscillator 1", "oscillator 2",
                                                                 "oscillator 3"};
    return names.at(static_cast<std::size_t>(j));
}

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

Argument phaseTerms(Phase phase, int16_t q, int16_t H, const Where& where) {
    if (phase == Phase::Multiply) {
        return {fmul(TWO_PI, q, where), 44100.0, static_cast<double>(H)};
    }
    const double scaled = fmul(phase == Phase::Divide ? TWO_PI : PI, q, where);
    return {scaled, static_cast<double>(mul32(H, 44100, where)), 1.0};
}

double phaseOf(Phase phase, int16_t q, int16_t H, double n, const Where& where) {
    const Argument a = phaseTerms(phase, q, H, where);
    if (a.divisor == 0.0) {
        fdiv(a.scale * n, a.divisor, where); // raises the division error
    }
    return argumentAt(a, n);
}

double gate(bool cosine, int16_t pitch1, double n, const Where& where) {
    const double arg = argumentAt(pitchArgument(fmul(TWO_PI, pitch1, where)), n);
    return std::floor(cosine ? std::cos(arg) : std::sin(arg));
}

double carrier(int16_t pitch, double n, const Where& where) {
    return std::sin(argumentAt(pitchArgument(fmul(TWO_PI, pitch, where)), n));
}

double modulatorWave(const ModulatorKind& kind, const ModulatorSetting& m, int16_t pitch1, double n,
                     const Where& where) {
    const int16_t q = mul16(pitch1, m.F, where);
    const double ph = phaseOf(kind.phase, q, m.H, n, where);
    switch (kind.waveform) {
    case Waveform::Sine:
    case Waveform::Random:
        return std::sin(ph);
    case Waveform::TanSine:
        return std::tan(std::sin(ph));
    case Waveform::SineGatedS:
    case Waveform::SineGatedC: {
        const double s = std::sin(ph);
        const double g = gate(kind.waveform == Waveform::SineGatedC, pitch1, n, where);
        return fmul(g, s, where);
    }
    }
    return 0.0;
}

double sampleValue(int16_t envLevel, double car, const double* outputs, const Where& where) {
    double s = fmul(envLevel, car, where);
    for (int i = 0; i < kModulatorsPerOscillator; ++i) {
        s *= outputs[i];
    }
    return s;
}

} // namespace tarmel::synth
