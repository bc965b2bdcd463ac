// The render command's options for a sound: every control that differs from its start value is
// said, in the words tarmel-render's manual page gives.
#include "sound/RenderCommand.h"

#include <gtest/gtest.h>

namespace tarmel::sound {
namespace {

using Words = std::vector<std::string>;

TEST(RenderCommand, SaysThePitchesTheEnvelopeEveryModulatorOnAndThePlayedOscillators) {
    Controls c;
    c.pitch1 = 1000;
    c.offsets = {-170, 170};
    c.attack = 1500;
    c.play = {false, true, true};
    c.modulators[0] = {true, 0, 16};  // oscillator 1, modulator 1, at both ends
    c.modulators[7] = {true, 10, 2};  // oscillator 2, modulator 3
    c.modulators[9] = {false, 9, 14}; // off: not said, whatever its bars
    c.modulators[14] = {true, 3, 8};  // oscillator 3, modulator 5
    EXPECT_EQ(renderArguments(c),
              (Words{"--pitch", "1000", "--offset2", "-170", "--offset3", "170", "--attack", "1500",
                     "--fm", "1.1:0:16", "--fm", "2.3:10:2", "--fm", "3.5:3:8", "--play", "2,3"}));
    // No oscillator played: said as none, since tarmel-render plays oscillator 1 by default.
    c.play = {};
    EXPECT_EQ(renderArguments(c).back(), "none");
}

} // namespace
} // namespace tarmel::sound
