// The reported figures against worked values computed apart from this code
// (tests/match/mfcc_worked_values.py, numpy's FFT in double precision), and the search's distance
// by what it must see.
#include "match/Figures.h"

#include "match/Distance.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <numbers>
#include <numeric>
#include <vector>

namespace {

using namespace tarmel::match;

constexpr std::size_t kSecond = 44100;

// In 16-bit units, as the figures take them: a sine at hz of amplitude (0..1) plus noise of that
// level from the C library's example generator, uniform in -1..1 (the worked-values script makes
// the same).
std::vector<float> sineOver(double hz, double amplitude, double noise) {
    std::vector<float> out(kSecond);
    uint64_t x = 1;
    for (std::size_t n = 0; n < kSecond; ++n) {
        x = (1103515245 * x + 12345) % (1ULL << 31);
        const double phase = 2 * std::numbers::pi * hz * static_cast<double>(n) / 44100.0;
        out[n] = static_cast<float>(32768 * (amplitude * std::sin(phase) +
                                             noise * (static_cast<double>(x) / (1ULL << 30) - 1)));
    }
    return out;
}

TEST(Figures, MfccOfSilenceAndOfASineAreTheWorkedValues) {
    const std::vector<float> silence(kSecond, 0.0F);
    // 1033.59375 Hz: twelve periods per hop. The worked values are the means over the frames.
    const std::vector<float> sine = sineOver(12 * 44100.0 / 512, 0.5, 0.001);
    const Mfcc silenceWorked{-1131.3708, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    const Mfcc sineWorked{-544.4393, 14.7789, -2.6654, -22.1332, -29.6109, -19.5705, 2.9857,
                          22.1740,   28.8550, 17.6248, -4.1572,  -22.5798, -27.7145};
    for (const auto& [samples, worked] :
         {std::pair{&silence, silenceWorked}, {&sine, sineWorked}}) {
        const std::vector<Mfcc> frames = mfccFrames(*samples);
        ASSERT_EQ(frames.size(), 83U); // (44100 - 2048) / 512 + 1 whole frames
        for (std::size_t c = 0; c < worked.size(); ++c) {
            const double sum = std::accumulate(frames.begin(), frames.end(), 0.0,
                                               [c](double a, const Mfcc& f) { return a + f[c]; });
            EXPECT_NEAR(sum / static_cast<double>(frames.size()), worked[c], 2e-3) << c;
        }
    }
    EXPECT_NEAR(mfccError(sine, silence), 61.8346, 1e-3);
    EXPECT_EQ(mfccError(sine, sine), 0.0);
}

TEST(Figures, LogSpectralDistanceOfNoiseAtHalfItsLevelIsSixDecibels) {
    // Halving every sample lowers every bin by 20 log10(2) dB.
    const std::vector<float> loud = sineOver(0, 0, 0.5);
    const std::vector<float> soft = sineOver(0, 0, 0.25);
    EXPECT_NEAR(logSpectralDistance(loud, soft), 20 * std::log10(2.0), 1e-4);
    EXPECT_EQ(logSpectralDistance(loud, loud), 0.0);
    EXPECT_THROW(logSpectralDistance(loud, std::vector<float>(100)), std::invalid_argument);
}

// (How it grows with pitch is seen through the search: the match command's test finds sounds
// exactly only with a distance that does.)
TEST(Distance, IsZeroForTheSameSoundAndGrowsWithLoudness) {
    DistanceMeter meter;
    const std::vector<float> sine = sineOver(440, 0.5, 0);
    const Features target = meter.features(sine);
    const std::vector<int16_t> same(sine.begin(), sine.end());
    EXPECT_LT(meter.distance(target, std::span<const int16_t>(same)), 0.05);
    // A quieter sound at the right pitch is further than none.
    EXPECT_GT(meter.distance(target, std::span<const float>(sineOver(440, 0.1, 0))), 1.0);
}

} // namespace
