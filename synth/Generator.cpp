// Generations one after another.
#include "synth/Generator.h"

namespace tarmel::synth {

Generator::Generator() : waves_(std::make_unique<Waves>()) {}

void Generator::generate(const Parameters& params) {
    Inputs inputs{params, state_};
    held_.reset();
    synth::generate(params, state_, *waves_);
    held_ = std::move(inputs);
}

} // namespace tarmel::synth
