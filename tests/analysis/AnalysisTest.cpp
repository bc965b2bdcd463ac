// The analysis against worked values: min/max columns of a ramp, the spectrum of sines against
// the textbook levels.
#include "analysis/Analysis.h"

#include <cmath>
#include <gtest/gtest.h>
#include <numbers>
#include <ranges>
#include <tuple>

namespace tarmel::analysis {
namespace {

// s[n] = 100 n - 5000 for n = 0..99: every column's min is its first sample, its max its last.
TEST(MinMaxColumns, RampGivesWorkedColumns) {
    const auto v = [](int n) { return static_cast<int16_t>(100 * n - 5000); };
    const auto one = [&](int n) { return Column{v(n), v(n)}; };
    const auto samples = std::views::iota(0, 100) | std::views::transform(v);
    const std::vector<int16_t> ramp(samples.begin(), samples.end());
    const std::vector<std::tuple<double, double, std::vector<Column>>> cases{
        // 33 1/3 samples a column: 0..32, 33..65, 66..99.
        {0, 100, {{v(0), v(32)}, {v(33), v(65)}, {v(66), v(99)}}},
        // Zoomed in, half a sample a column: every column shows the sample it starts on.
        {10, 12.5, {one(10), one(10), one(11), one(11), one(12)}},
        // Past either end: columns without samples stay empty; five samples a column, each
        // border on a sample.
        {90, 110, {{v(90), v(94)}, {v(95), v(99)}, {0, 0}, {0, 0}}},
        {-10, 10, {{0, 0}, {v(0), v(9)}}}};
    for (const auto& [begin, end, expected] : cases) {
        EXPECT_EQ(minMaxColumns(ramp, begin, end, static_cast<int>(expected.size())), expected)
            << begin << ".." << end << " in " << expected.size();
    }
}

// A sine of amplitude A reads 20 log10(A / 32767) dB: a bin-centred sine's bin holds A times the
// window's sum over 2, and the Hann window's coherent gain, its mean, is 1/2 (Harris, "On the use
// of windows for harmonic analysis with the discrete Fourier transform", Proc. IEEE 66, 1978,
// table 1). Off a bin centre the bin itself loses up to 1.42 dB (Hann's scalloping loss, same
// table, at half a bin); the peak's level must not, and its frequency is read within a tenth of a
// bin (0.54 Hz) wherever between two bins the sine falls.
TEST(Spectrum, SinePeaksAtItsFrequencyAndLevel) {
    const std::vector<std::pair<double, double>> cases{
        {186 * 44100.0 / 8192, 32767},  // on bin 186: 1001.37 Hz
        {186.5 * 44100.0 / 8192, 8000}, // half way between bins
        {2000.75 * 44100.0 / 8192, 1000}, {5000, 100}, {20, 30000}, {21000, 32000}};
    SpectrumAnalyser analyser;
    for (const auto& [frequency, amplitude] : cases) {
        const auto sine = std::views::iota(0, 44100) | std::views::transform([&](int n) {
                              const double x = 2 * std::numbers::pi * frequency * n / 44100;
                              return static_cast<int16_t>(std::lround(amplitude * std::sin(x)));
                          });
        const Spectrum s = analyser.analyse(std::vector<int16_t>(sine.begin(), sine.end()));
        const double level = 20 * std::log10(amplitude / 32767);
        EXPECT_NEAR(s.peak.frequency, frequency, 0.1 * 44100.0 / 8192) << frequency;
        EXPECT_NEAR(s.peak.levelDb, level, 0.01) << frequency;
        // The nearest bin: the level itself on a bin centre, at most 1.43 dB below it off one.
        const auto nearest = static_cast<std::size_t>(std::lround(frequency * 8192 / 44100));
        EXPECT_NEAR(s.levelDb[nearest], level - 0.715, 0.725) << frequency;
    }
}

} // namespace
} // namespace tarmel::analysis
