// The row functions of every instruction set this CPU runs against the C library's sin, cos and
// tan: the fast generation's rounding margins assume errors below 2e-15 (sines, cosines) and 5e-15
// (tangents of sines), across every argument the synthesis can form and past the limit where the
// own sines hand over to SLEEF.
#include "synth/fast/VectorMath.h"

#include "synth/Modulators.h"

#include <cmath>
#include <gtest/gtest.h>
#include <tuple>
#include <vector>

namespace tarmel::synth {
namespace {

constexpr double kTolerance = 2e-15;
constexpr double kTangentTolerance = 5e-15;

TEST(VectorMath, SinesCosinesAndTangentsStayWithinTheMarginOfTheCLibrary) {
    // Arguments of the kinds the synthesis forms, from sample first on: the envelope's, a
    // carrier's, the smallest and largest phases (pitch1 F = +-32767, H = 32767, n up to 44100), a
    // negative pitch, and two that pass the own sines' limit of 1e10, one of them by a single
    // sample.
    const double q = 32767.0;
    const std::vector<std::tuple<const char*, Argument, int>> sweeps{
        {"envelope", {PI, 88200.0, 1.0}, 0},
        {"carrier 98", {TWO_PI * 98, 44100.0, 1.0}, 40000},
        {"multiplied, largest", {TWO_PI * q, 44100.0, q}, 44101 - 256},
        {"multiplied, negative pitch", {TWO_PI * -q, 44100.0, q}, 20000},
        {"divided by H 1", {TWO_PI * q, 44100.0, 1.0}, 1000},
        {"halved, H 32767", {PI * 294, 32767.0 * 44100, 1.0}, 44101 - 256},
        {"crosses 1e10", {1e10 / 1000.5, 1.0, 1.0}, 1000 - 128},
        {"far past 1e10", {3e11, 1.0, 1.0}, 1}};
    for (const VectorMath* math : supportedVectorMaths()) {
        SCOPED_TRACE(math->name);
        constexpr int kCount = 256;
        std::vector<double> s(kCount), c(kCount), s2(kCount), t(kCount);
        for (const auto& [what, argument, first] : sweeps) {
            SCOPED_TRACE(what);
            math->sinAt(argument, first, kCount, nullptr, s.data());
            math->sinCosAt(argument, first, kCount, s2.data(), c.data());
            for (int i = 0; i < kCount; ++i) {
                const double x = argumentAt(argument, first + i);
                ASSERT_NEAR(s[std::size_t(i)], std::sin(x), kTolerance) << "x " << x;
                ASSERT_NEAR(s2[std::size_t(i)], std::sin(x), kTolerance) << "x " << x;
                ASSERT_NEAR(c[std::size_t(i)], std::cos(x), kTolerance) << "x " << x;
            }
            // Tangents of these sines, of 1 and of values past 1 (handed to SLEEF) in the last
            // lane of one register and the first of the next.
            s[6] = 1.0;
            s[7] = 1.25;
            s[8] = -1.5;
            math->tan(s.data(), t.data(), kCount);
            for (int i = 0; i < kCount; ++i) {
                ASSERT_NEAR(t[std::size_t(i)], std::tan(s[std::size_t(i)]), kTangentTolerance)
                    << "x " << s[std::size_t(i)];
            }
        }
    }
}

} // namespace
} // namespace tarmel::synth
