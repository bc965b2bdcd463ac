// What whole generations do not reach: range edges of the rounding and the pitch rule. The random
// generator's argument convention is pinned by the independent digests' random cases.
#include "synth/CheckedMath.h"
#include "synth/Pitch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace tarmel::synth {
namespace {

TEST(Ranges, RoundingAndPitchesFitSixteenBitsOrRaiseOverflow) {
    // Nearest, ties to even; past the 16-bit range, or NaN, an OverflowError.
    for (const auto& [v, expected] :
         std::vector<std::pair<double, int>>{{32767.4, 32767}, {-32768.5, -32768}, {-2.5, -2}}) {
        EXPECT_EQ(round16(v, {"test", 1}), expected) << v;
    }
    for (const double v : {32767.5, -32768.6, std::nan("")}) {
        EXPECT_THROW(round16(v, {"test", 1}), OverflowError) << v;
    }
    // offset + pitch1 in 32 bits, narrowed to 16: offset, pitch1 and the pitch.
    for (const auto& [offset, pitch1, expected] : std::vector<std::array<int32_t, 3>>{
             {-170, 100, -70}, {170, 1000, 1170}, {0, -32768, -32768}, {40000, -32768, 7232}}) {
        EXPECT_EQ(pitchWithOffset(offset, int16_t(pitch1)), expected) << offset;
    }
    // Past 16 bits, or past 32 before the narrowing.
    for (const auto& [offset, pitch1] :
         std::vector<std::pair<int32_t, int16_t>>{{-1, -32768}, {1, 32767}, {2147483647, 1}}) {
        EXPECT_THROW(pitchWithOffset(offset, pitch1), OverflowError) << offset;
    }
    EXPECT_EQ(pitchFromSlider(-32768), -32768);
    EXPECT_THROW(pitchFromSlider(32768), OverflowError);
}

} // namespace
} // namespace tarmel::synth
