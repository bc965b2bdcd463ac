// Helpers shared by the synthesis tests: parameter sets and one-call generation.
#pragma once

#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <memory>

namespace tarmel::synth::test {

inline Parameters pitches(int16_t p1, int16_t p2, int16_t p3, int16_t attack = 0) {
    Parameters p;
    p.pitch1 = p1;
    p.pitch2 = p2;
    p.pitch3 = p3;
    p.attack = attack;
    return p;
}

inline Parameters withModulators(Parameters p, int oscillator, std::initializer_list<int> numbers,
                                 int16_t F = 2, int16_t H = 2) {
    for (int number : numbers) {
        p.modulator(oscillator, number - 1) = {true, F, H};
    }
    return p;
}

// Waves are large; keep them on the heap.
inline std::unique_ptr<Waves> newWaves() {
    auto w = std::make_unique<Waves>();
    for (auto& wave : *w) {
        wave.fill(0);
    }
    return w;
}

} // namespace tarmel::synth::test
