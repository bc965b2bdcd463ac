// Generations one after another skip only what a full computation would repeat, and a skipped
// one leaves the state exactly where the computation would have left it.
#include "synth/Generator.h"

#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace tarmel::synth {
namespace {

// Requests between output resets (a box clicked, reset), reopened settings (the state of an
// earlier moment put back) and new sound outputs: each request gives the waves and state of a
// plain generate call, and computes nothing exactly when the waves held are those it would
// compute (the same settings from the same state), a skip then moving the state where the held
// generation left it.
TEST(Generator, SkipsExactlyWhenAGenerationWouldComputeTheWavesHeld) {
    std::array<Parameters, 3> settings{}; // nothing on, two modulators on, the random one on
    settings[1].modulator(1, 2) = {true, 3, 4};
    settings[1].modulator(3, 3) = {true, 2, 6};
    settings[2].modulator(2, 2) = {true, 2, 2};
    enum Step { Request, ResetOutputs, Save, Reopen, NewOutput };
    const std::vector<std::tuple<Step, std::size_t, bool>> steps{
        // settings, computed
        {Request, 1, true},  {ResetOutputs, 0, {}}, {Request, 1, false}, {Request, 1, true},
        {Save, 0, {}},       {Request, 2, true},    {Reopen, 0, {}},     {Request, 2, false},
        {Reopen, 0, {}},     {NewOutput, 0, {}},    {Request, 2, true},  {Request, 0, true},
        {Request, 0, false}, {Request, 1, true}};
    Generator generator;
    SynthState state, saved;
    auto waves = std::make_unique<Waves>();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const auto [step, which, computed] = steps[i];
        if (step == Request) {
            EXPECT_EQ(generator.generate(settings[which]), computed) << "step " << i;
            generate(settings[which], state, *waves);
            ASSERT_TRUE(generator.state() == state && generator.waves() == *waves) << "step " << i;
        } else if (step == ResetOutputs) {
            generator.resetOutputs();
            state.setFifteenOutputs();
        } else if (step == Save) {
            saved = state;
        } else if (step == Reopen) {
            generator.setState(saved);
            state = saved;
        } else {
            generator.forgetWaves();
        }
    }
}

} // namespace
} // namespace tarmel::synth
