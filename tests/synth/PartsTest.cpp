// What whole generations do not reach: range edges of the rounding and the pitch rule, the random
// generator's argument convention, and the thread pool's chunks.
#include "synth/CheckedMath.h"
#include "synth/Pitch.h"
#include "synth/Random.h"
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <thread>
#include <vector>

namespace tarmel::synth {
namespace {

constexpr int kOverflow = 99999; // expected: OverflowError
constexpr int32_t kInt32Max = std::numeric_limits<int32_t>::max();

TEST(Ranges, RoundingAndPitchesFitSixteenBitsOrRaiseOverflow) {
    // Nearest, ties to even.
    const std::vector<std::pair<double, int>> rounded{
        {32767.4, 32767}, {32767.5, kOverflow},  {-32768.5, -32768},
        {-2.5, -2},       {-32768.6, kOverflow}, {std::nan(""), kOverflow}};
    for (const auto& [v, expected] : rounded) {
        if (expected == kOverflow) {
            EXPECT_THROW(round16(v, {"test", 1}), OverflowError) << v;
        } else {
            EXPECT_EQ(round16(v, {"test", 1}), expected) << v;
        }
    }
    // offset + pitch1 in 32 bits, narrowed to 16.
    const std::vector<std::array<int32_t, 3>> pitches{
        {-170, 100, -70},         {170, 1000, 1170},     {0, -32768, -32768},
        {-1, -32768, kOverflow},  {1, 32767, kOverflow}, {40000, -32768, 7232},
        {kInt32Max, 1, kOverflow}};
    for (const auto& [offset, pitch1, expected] : pitches) {
        if (expected == kOverflow) {
            EXPECT_THROW(pitchWithOffset(offset, int16_t(pitch1)), OverflowError) << offset;
        } else {
            EXPECT_EQ(pitchWithOffset(offset, int16_t(pitch1)), expected) << offset;
        }
    }
    EXPECT_EQ(pitchFromSlider(-32768), -32768);
    EXPECT_THROW(pitchFromSlider(32768), OverflowError);
}

TEST(RandomGenerator, PositiveNextZeroSameNegativeReseeds) {
    RandomGenerator g;
    RandomGenerator h;
    const float first = g.next(0.7);
    EXPECT_EQ(g.next(0.0), first);
    EXPECT_EQ(g.next(-0.0), first);
    EXPECT_EQ(h.next(1e-300), first); // any positive argument: the next value
    EXPECT_EQ(g.next(5.0), h.next(0.1));
    const float reseeded = g.next(-0.25);
    EXPECT_EQ(RandomGenerator().next(-0.25), reseeded); // whatever came before
    EXPECT_NE(RandomGenerator().next(-0.5), reseeded);
    for (int i = 0; i < 10000; ++i) {
        const float v = g.next(i % 3 == 0 ? -1.0 / (i + 1) : 1.0);
        ASSERT_TRUE(v >= 0.0f && v < 1.0f) << v;
    }
}

TEST(Parallel, EveryChunkRunsOnceBeforeTheCallReturnsWhateverTheCaller) {
    std::atomic<int> wrong{0};
    const auto calls = [&] {
        for (int call = 0; call < 4000; ++call) {
            std::vector<std::atomic<int>> runs(std::size_t(call % 4 * 21)); // 0, 21, 42, 63 chunks
            runChunks(int(runs.size()), [&](int c) { runs[std::size_t(c)].fetch_add(1); });
            wrong += std::count_if(runs.begin(), runs.end(), [](auto& r) { return r != 1; });
        }
    };
    { const std::jthread a(calls), b(calls), c(calls), d(calls); } // joined here
    EXPECT_EQ(wrong.load(), 0);
}

} // namespace
} // namespace tarmel::synth
