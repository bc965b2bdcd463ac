// Normalised exports: worked values, computed by hand (Python, double precision) from the gain
// 32767 * 10^(-1/20) / peak and rounded to the nearest integer.
#include "files/Normalise.h"

#include <gtest/gtest.h>

namespace tarmel::files {
namespace {

TEST(Normalise, OneGainPutsTheLoudestSampleAtMinusOneDbfs) {
    const std::vector<std::pair<std::vector<int16_t>, std::vector<int16_t>>> cases{
        // A Tarmel sound's peak of 1500: gain 19.46908; -750 -> -14601.81, 749 -> 14582.34,
        // 3 -> 58.41, 1 -> 19.47.
        {{1500, -750, 1, 0, 749, 3}, {29204, -14602, 19, 0, 14582, 58}},
        // Full scale comes down; -32768, negative, is the peak: 32767 -> 29202.73.
        {{-32768, 32767}, {-29204, 29203}},
        // The quietest sound goes up the most.
        {{1, -1, 0}, {29204, -29204, 0}},
        // Silence, and nothing, stay as they are.
        {{0, 0, 0}, {0, 0, 0}},
        {{}, {}},
    };
    for (const auto& [in, expected] : cases) {
        EXPECT_EQ(normalised(in), expected) << "first sample " << (in.empty() ? 0 : in[0]);
    }
}

} // namespace
} // namespace tarmel::files
