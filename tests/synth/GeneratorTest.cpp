// Generations one after another skip only what a full computation would repeat.
#include "synth/Generator.h"

#include <gtest/gtest.h>

namespace tarmel::synth {
namespace {

TEST(Generator, SkippedGenerationsLeaveTheWavesAndStateOfAFullComputation) {
    Parameters plain;
    Parameters modulated;
    Parameters noisy;
    modulated.modulator(1, 2) = {true, 3, 4};
    modulated.modulator(3, 3) = {true, 2, 6};
    noisy.modulator(2, 2) = {true, 2, 2};
    // A generation that is computed or skipped as held, and the generator's two resets. Modulated
    // settings are computed again while their outputs move on from 1; switched off, modulators
    // keep their outputs, so plain settings are computed again once.
    enum Step { Computed, Held, ResetOutputs, Forget };
    const std::vector<std::pair<Step, const Parameters*>> steps{
        {Computed, &plain},      {Held, &plain},         {Computed, &modulated},
        {Computed, &modulated},  {Held, &modulated},     {Computed, &plain},
        {Held, &plain},          {Computed, &modulated}, {Held, &modulated},
        {ResetOutputs, nullptr}, {Computed, &modulated}, {Computed, &noisy},
        {Computed, &noisy},      {Forget, nullptr},      {Computed, &noisy},
        {Computed, &modulated}};
    Generator generator;
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto [step, p] = steps[i];
        if (step == ResetOutputs) {
            generator.resetOutputs();
            state.setFifteenOutputs();
        } else if (step == Forget) {
            generator.forgetWaves();
        } else {
            EXPECT_EQ(generator.holds(*p), step == Held) << "step " << i;
            if (!generator.holds(*p)) {
                generator.generate(*p);
            }
            generate(*p, state, *waves);
            ASSERT_EQ(generator.state(), state) << "step " << i;
            ASSERT_EQ(generator.waves(), *waves) << "step " << i;
        }
    }
}

} // namespace
} // namespace tarmel::synth
