// Generations one after another: the state carried from one to the next (the fifteen modulator
// outputs and the random generator), the waves of the last one, and no work when a generation
// would compute exactly what the waves already hold.
#pragma once

#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <memory>
#include <optional>

namespace tarmel::synth {

class Generator {
public:
    Generator();

    // Whether the waves held are exactly what generate(params) would compute now. A generation
    // is a pure function of the parameters and the carried state: when both equal those of the
    // generation whose waves are held, so are its waves and the state it leaves.
    bool holds(const Parameters& params) const {
        return held_ && held_->params == params && held_->stateBefore == state_;
    }
    // Whether every further generate(params) would hold: the waves held are those of params
    // and the state is where it was before the held generation, which left it unchanged.
    bool steady(const Parameters& params) const {
        return holds(params) && held_->stateAfter == held_->stateBefore;
    }
    // Whether the waves held were computed from params (from whatever state).
    bool heldFrom(const Parameters& params) const { return held_ && held_->params == params; }

    // Brings the waves to those of params computed from the carried state, and the state to
    // where that generation leaves it. When the waves held are already those (holds(params)),
    // nothing is computed: the state takes the value the held generation ended with, exactly as
    // a computation would leave it. Returns whether anything was computed. Throws SynthError;
    // the waves and state are then those the failed generation left, and no waves are held.
    bool generate(const Parameters& params);

    const Waves& waves() const { return *waves_; }
    const SynthState& state() const { return state_; }
    void setState(const SynthState& state) { state_ = state; }
    // modOut1..modOut15 back to 1.
    void resetOutputs() { state_.setFifteenOutputs(); }
    // From now on no waves count as held: they are no longer where they were sent (a new sound
    // output, a failed write).
    void forgetWaves() { held_.reset(); }

private:
    // The generation whose waves are held: what it read and the state it left.
    struct Held {
        Parameters params;
        SynthState stateBefore;
        SynthState stateAfter;
    };

    SynthState state_;
    std::unique_ptr<Waves> waves_;
    std::optional<Held> held_;
};

} // namespace tarmel::synth
