// Generations one after another skip only what a full computation would repeat.
#include "synth/Generator.h"

#include <gtest/gtest.h>

namespace tarmel::synth {
namespace {

TEST(Generator, SkippedGenerationsLeaveTheWavesAndStateOfAFullComputation) {
    Parameters plain;
    Parameters modulated = plain;
    modulated.modulator(1, 2) = {true, 3, 4};
    modulated.modulator(3, 3) = {true, 2, 6};
    Parameters noisy = plain;
    noisy.modulator(2, 2) = {true, 2, 2};
    enum Step { Generate, ResetOutputs, Forget };
    struct Case {
        Step step;
        const Parameters* params;
        bool held; // whether the generation is skipped
    };
    const std::vector<Case> steps{
        {Generate, &plain, false},     {Generate, &plain, true},
        {Generate, &modulated, false}, {Generate, &modulated, false}, // outputs move from 1
        {Generate, &modulated, true},  {Generate, &plain, false},     // switched off: kept outputs
        {Generate, &plain, true},      {Generate, &modulated, false},
        {Generate, &modulated, true},  {ResetOutputs, nullptr, false},
        {Generate, &modulated, false}, {Generate, &noisy, false},
        {Generate, &noisy, false},     {Forget, nullptr, false},
        {Generate, &noisy, false},     {Generate, &modulated, false}};
    Generator generator;
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const Case& c = steps[i];
        if (c.step == ResetOutputs) {
            generator.resetOutputs();
            state.setFifteenOutputs();
            continue;
        }
        if (c.step == Forget) {
            generator.forgetWaves();
            continue;
        }
        EXPECT_EQ(generator.holds(*c.params), c.held) << "step " << i;
        if (!generator.holds(*c.params)) {
            generator.generate(*c.params);
        }
        generate(*c.params, state, *waves);
        ASSERT_EQ(generator.state(), state) << "step " << i;
        ASSERT_EQ(generator.waves(), *waves) << "step " << i;
    }
}

} // namespace
} // namespace tarmel::synth
