// What the benchmarks share: the sound that bounds a generation's cost, all fifteen modulators on
// with distinct multipliers and ratios (so no two share a phase), with its waves.
#pragma once

#include "synth/Synthesizer.h"

#include <memory>

namespace tarmel::bench {

inline synth::Parameters allFifteenOn() {
    synth::Parameters p{98, 110, 87, 500, {}};
    for (int k = 0; k < synth::kModulators; ++k) {
        p.modulators[std::size_t(k)] = {true, int16_t(2 + k % 9), int16_t(2 + k)};
    }
    return p;
}

inline std::unique_ptr<synth::Waves> allFifteenOnWaves() {
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(allFifteenOn(), state, *waves);
    return waves;
}

} // namespace tarmel::bench
