// The vectorised sines, cosines and tangents: arguments formed exactly as argumentAt forms them,
// values within SLEEF's 3.5 units in the last place of the standard functions, any row length.
#include "synth/fast/VectorMath.h"

#include "synth/Argument.h"
#include "synth/Modulators.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

namespace tarmel::synth {
namespace {

// SLEEF's documented 3.5 ulp, and up to one more for the standard functions themselves.
constexpr double kBound = 4.5;

// Distance in units in the last place of the larger magnitude.
double ulpsApart(double a, double b) {
    const double scale = std::max(std::fabs(a), std::fabs(b));
    if (scale == 0.0) {
        return 0.0;
    }
    return std::fabs(a - b) / (std::nextafter(scale, INFINITY) - scale);
}

TEST(VectorMath, TheWidestSupportedSetIsChosenAndTheBaselineAlwaysRuns) {
    const auto supported = supportedVectorMaths();
    ASSERT_FALSE(supported.empty());
    EXPECT_EQ(supported.front(), &kSse2VectorMath);
    EXPECT_EQ(&bestVectorMath(), supported.back());
}

TEST(VectorMath, SinesAndCosinesOfRowsFollowTheStandardFunctions) {
    // The shapes the synthesis uses: the envelope, a carrier, a multiplied and a divided phase.
    const std::vector<Argument> arguments{{PI, 88200.0, 1.0},
                                          {TWO_PI * 1170, 44100.0, 1.0},
                                          {TWO_PI * 10000, 44100.0, 16.0},
                                          {PI * 2, 705600.0, 1.0}};
    for (const VectorMath* math : supportedVectorMaths()) {
        for (const Argument& a : arguments) {
            for (int count : {1, 7, 8, 9, 256}) { // partial and whole registers
                const int first = 44101 - count;
                std::vector<double> sines(static_cast<std::size_t>(count) + 1, -7.0);
                std::vector<double> cosines(static_cast<std::size_t>(count) + 1, -7.0);
                std::vector<double> again(static_cast<std::size_t>(count));
                math->sinCosAt(a, first, count, sines.data(), cosines.data());
                math->sinAt(a, first, count, again.data());
                for (int i = 0; i < count; ++i) {
                    const auto iu = static_cast<std::size_t>(i);
                    const double x = argumentAt(a, static_cast<double>(first + i));
                    EXPECT_LE(ulpsApart(sines[iu], std::sin(x)), kBound) << math->name << " " << x;
                    EXPECT_LE(ulpsApart(cosines[iu], std::cos(x)), kBound)
                        << math->name << " " << x;
                    EXPECT_LE(ulpsApart(again[iu], std::sin(x)), kBound) << math->name << " " << x;
                }
                EXPECT_EQ(sines.back(), -7.0) << math->name << ": wrote past the row";
                EXPECT_EQ(cosines.back(), -7.0) << math->name << ": wrote past the row";
            }
        }
    }
}

TEST(VectorMath, TangentsOfRowsInPlace) {
    for (const VectorMath* math : supportedVectorMaths()) {
        std::vector<double> x(21);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] = -1.0 + 0.1 * static_cast<double>(i);
        }
        const std::vector<double> original = x;
        math->tan(x.data(), x.data(), static_cast<int>(x.size()));
        for (std::size_t i = 0; i < x.size(); ++i) {
            EXPECT_LE(ulpsApart(x[i], std::tan(original[i])), kBound) << math->name;
        }
    }
}

} // namespace
} // namespace tarmel::synth
