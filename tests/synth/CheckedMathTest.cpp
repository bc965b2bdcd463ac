// Checked arithmetic, rounding and the pitch rule.
#include "synth/CheckedMath.h"

#include "synth/Pitch.h"

#include <gtest/gtest.h>
#include <limits>

namespace tarmel::synth {
namespace {

const Where here{"test", 7};

TEST(Round16, RoundsHalfwayCasesToEven) {
    EXPECT_EQ(round16(2.5, here), 2);
    EXPECT_EQ(round16(3.5, here), 4);
    EXPECT_EQ(round16(-0.5, here), 0);
    EXPECT_EQ(round16(-1.5, here), -2);
    EXPECT_EQ(round16(-2.5, here), -2);
    EXPECT_EQ(round16(1060.6, here), 1061);
    EXPECT_EQ(round16(-1060.4999, here), -1060);
}

TEST(Round16, AcceptsTheWholeRangeAndRejectsBeyond) {
    EXPECT_EQ(round16(32767.4, here), 32767);
    EXPECT_EQ(round16(-32768.5, here), -32768);          // tie goes to the even -32768
    EXPECT_THROW(round16(32767.5, here), OverflowError); // tie goes to 32768
    EXPECT_THROW(round16(-32768.6, here), OverflowError);
    EXPECT_THROW(round16(std::numeric_limits<double>::quiet_NaN(), here), OverflowError);
    EXPECT_THROW(round16(std::numeric_limits<double>::infinity(), here), OverflowError);
}

TEST(IntegerRules, RangeTestSixteenAndThirtyTwoBits) {
    EXPECT_EQ(mul16(1000, 10, here), 10000);
    EXPECT_EQ(mul16(-32768, 1, here), -32768);
    EXPECT_THROW(mul16(16384, 2, here), OverflowError);
    EXPECT_THROW(mul16(-32768, -1, here), OverflowError);
    EXPECT_EQ(sub16(1500, -31267, here), 32767);
    EXPECT_THROW(sub16(1500, -31268, here), OverflowError);
    EXPECT_EQ(mul32(16, 44100, here), 705600);
    EXPECT_THROW(mul32(48700, 44100, here), OverflowError);
    EXPECT_THROW(add32(std::numeric_limits<int32_t>::max(), 1, here), OverflowError);
    EXPECT_THROW(narrow16(32768, here), OverflowError);
}

TEST(FloatingPointChecks, ProductsThatOverflowOrAreInvalidThrow) {
    EXPECT_DOUBLE_EQ(fmul(2.0, 3.0, here), 6.0);
    EXPECT_THROW(fmul(1e300, 1e300, here), FloatingPointError);
    EXPECT_THROW(fmul(0.0, std::numeric_limits<double>::infinity(), here), FloatingPointError);
    EXPECT_THROW(fdiv(1.0, 0.0, here), DivisionByZeroError);
    EXPECT_THROW(fdiv(0.0, 0.0, here), DivisionByZeroError);
    EXPECT_DOUBLE_EQ(fdiv(1.0, 4.0, here), 0.25);
}

TEST(ErrorMessages, NameTheOperationAndTheSample) {
    try {
        mul16(20000, 2, {"modulator 1 of oscillator 2", 1234});
        FAIL() << "no overflow";
    } catch (const OverflowError& e) {
        EXPECT_STREQ(e.what(),
                     "Overflow: 20000 * 2 in 16 bits (modulator 1 of oscillator 2, sample 1234)");
    }
}

TEST(PitchRule, AddsTheOffsetInThirtyTwoBitsAndNarrows) {
    EXPECT_EQ(pitchWithOffset(-170, 100), -70);
    EXPECT_EQ(pitchWithOffset(170, 1000), 1170);
    EXPECT_EQ(pitchWithOffset(-1, 1), 0);
    EXPECT_EQ(pitchWithOffset(0, -32768), -32768);
    EXPECT_THROW(pitchWithOffset(1, 32767), OverflowError);
    EXPECT_THROW(pitchWithOffset(std::numeric_limits<int32_t>::max(), 1), OverflowError);
    EXPECT_EQ(pitchFromSlider(98), 98);
    EXPECT_THROW(pitchFromSlider(40000), OverflowError);
}

} // namespace
} // namespace tarmel::synth
