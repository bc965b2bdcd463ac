// Generations one after another skip only what a full computation would repeat, and a skipped
// one leaves the state exactly where the computation would have left it.
#include "synth/Generator.h"

#include <gtest/gtest.h>
#include <random>

namespace tarmel::synth {
namespace {

// Any sequence of requests, output resets (a box clicked, clicked twice, reset), reopened
// settings (the state of an earlier moment put back) and new sound outputs gives, request by
// request, the waves and state of plain generate calls. The sequences return the state to the
// inputs of the held generation in every way the program can: outputs reset after a modulated
// generation from the start, settings saved and opened again, the random modulator switched on
// and off.
TEST(Generator, EverySequenceGivesTheWavesAndStateOfPlainGenerations) {
    std::array<Parameters, 4> settings{};
    settings[1].modulator(1, 2) = {true, 3, 4};
    settings[1].modulator(3, 3) = {true, 2, 6};
    settings[2].modulator(2, 2) = {true, 2, 2}; // the random modulator
    settings[3] = settings[2];
    settings[3].modulator(1, 0) = {true, 4, 2};

    enum Step { Request, ResetOutputs, Save, Reopen, NewOutput };
    std::mt19937 draw(20261207);
    std::discrete_distribution<int> steps({6, 2, 2, 3, 1});
    Generator generator;
    SynthState state;
    SynthState saved;
    auto waves = std::make_unique<Waves>();
    bool newOutput = false;
    int skips = 0;
    int skipsThatMoveTheState = 0;
    std::size_t current = 0;
    for (int i = 0; i < 250; ++i) {
        if (draw() % 4 == 0) { // the settings change now and then, as a user changes them
            current = draw() % settings.size();
        }
        const Parameters& p = settings[current];
        switch (steps(draw)) {
        case Request: {
            const SynthState before = generator.state();
            const bool computed = generator.generate(p);
            generate(p, state, *waves);
            skips += computed ? 0 : 1;
            skipsThatMoveTheState += !computed && before != state ? 1 : 0;
            ASSERT_EQ(generator.state(), state) << "request " << i;
            ASSERT_EQ(generator.waves(), *waves) << "request " << i;
            // Waves no longer where they were sent are never taken as held.
            ASSERT_TRUE(computed || !newOutput) << "request " << i;
            newOutput = false;
            break;
        }
        case ResetOutputs:
            generator.resetOutputs();
            state.setFifteenOutputs();
            break;
        case Save:
            saved = state;
            break;
        case Reopen:
            generator.setState(saved);
            state = saved;
            break;
        case NewOutput:
            generator.forgetWaves();
            newOutput = true;
            break;
        }
    }
    // Without these the sequence would not have reached the case that matters.
    EXPECT_GE(skips, 10);
    EXPECT_GE(skipsThatMoveTheState, 5);
}

} // namespace
} // namespace tarmel::synth
