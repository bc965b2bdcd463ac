// Generations one after another.
#include "synth/Generator.h"

namespace tarmel::synth {

Generator::Generator() : waves_(std::make_unique<Waves>()) {}

bool Generator::generate(const Parameters& params) {
    if (holds(params)) {
        state_ = held_->stateAfter;
        return false;
    }
    Held held{params, state_, {}};
    held_.reset();
    synth::generate(params, state_, *waves_);
    held.stateAfter = state_;
    held_ = std::move(held);
    return true;
}

} // namespace tarmel::synth
