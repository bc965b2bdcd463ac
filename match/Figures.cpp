// MFCC error and log-spectral distance, computed in double from FrameSpectra's powers.
#include "match/Figures.h"

#include "match/Spectra.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace tarmel::match {

namespace {

constexpr int kMfccFrame = 2048;
constexpr int kMfccHop = 512;
constexpr int kMelBands = 128;
constexpr int kLsdFrame = 1024;
constexpr int kLsdHop = 512;
constexpr double kRate = 44100.0;
constexpr double kPowerFloor = 1e-10;
constexpr float kToUnit = 1.0F / 32768.0F;

// Slaney's mel scale: linear below 1000 Hz, logarithmic above.
double hzToMel(double hz) {
    constexpr double kLinear = 200.0 / 3.0;
    constexpr double kBreakHz = 1000.0;
    const double breakMel = kBreakHz / kLinear;
    const double logStep = std::log(6.4) / 27.0;
    return hz < kBreakHz ? hz / kLinear : breakMel + std::log(hz / kBreakHz) / logStep;
}

double melToHz(double mel) {
    constexpr double kLinear = 200.0 / 3.0;
    constexpr double kBreakHz = 1000.0;
    const double breakMel = kBreakHz / kLinear;
    const double logStep = std::log(6.4) / 27.0;
    return mel < breakMel ? mel * kLinear : kBreakHz * std::exp(logStep * (mel - breakMel));
}

// The weight of each FFT bin in each mel band: triangles between mel-spaced edges, each scaled
// to unit area over its width in hertz.
std::vector<std::vector<double>> melFilters() {
    const int bins = kMfccFrame / 2 + 1;
    std::vector<double> edges(kMelBands + 2);
    const double top = hzToMel(kRate / 2);
    for (int i = 0; i < kMelBands + 2; ++i) {
        edges[static_cast<std::size_t>(i)] = melToHz(top * i / (kMelBands + 1));
    }
    std::vector<std::vector<double>> filters(kMelBands, std::vector<double>(bins));
    for (int m = 0; m < kMelBands; ++m) {
        const double lo = edges[static_cast<std::size_t>(m)];
        const double mid = edges[static_cast<std::size_t>(m + 1)];
        const double hi = edges[static_cast<std::size_t>(m + 2)];
        const double norm = 2.0 / (hi - lo);
        for (int k = 0; k < bins; ++k) {
            const double f = k * kRate / kMfccFrame;
            const double rising = (f - lo) / (mid - lo);
            const double falling = (hi - f) / (hi - mid);
            filters[static_cast<std::size_t>(m)][static_cast<std::size_t>(k)] =
                norm * std::max(0.0, std::min(rising, falling));
        }
    }
    return filters;
}

double decibels(double power) {
    return 10.0 * std::log10(std::max(power, kPowerFloor));
}

void requireSameLength(std::span<const float> a, std::span<const float> b) {
    if (a.size() != b.size()) {
        throw std::invalid_argument("two sounds are compared only at the same length");
    }
}

} // namespace

std::vector<Mfcc> mfccFrames(std::span<const float> samples) {
    static const std::vector<std::vector<double>> filters = melFilters();
    FrameSpectra spectra(kMfccFrame, kMfccHop);
    std::vector<float> power;
    spectra.powers(samples, kToUnit, power);
    const auto bins = static_cast<std::size_t>(spectra.bins());
    const std::size_t frames = power.size() / bins;
    std::vector<Mfcc> out(frames);
    std::array<double, kMelBands> mel{};
    for (std::size_t f = 0; f < frames; ++f) {
        const float* p = power.data() + f * bins;
        for (std::size_t m = 0; m < mel.size(); ++m) {
            double e = 0;
            for (std::size_t k = 0; k < bins; ++k) {
                e += filters[m][k] * p[k];
            }
            mel[m] = decibels(e);
        }
        for (int c = 0; c < kMfccCoefficients; ++c) {
            double sum = 0;
            for (int m = 0; m < kMelBands; ++m) {
                sum += mel[static_cast<std::size_t>(m)] *
                       std::cos(std::numbers::pi * c * (2 * m + 1) / (2.0 * kMelBands));
            }
            const double scale = c == 0 ? std::sqrt(1.0 / kMelBands) : std::sqrt(2.0 / kMelBands);
            out[f][static_cast<std::size_t>(c)] = scale * sum;
        }
    }
    return out;
}

double mfccError(std::span<const float> a, std::span<const float> b) {
    requireSameLength(a, b);
    const std::vector<Mfcc> ma = mfccFrames(a);
    const std::vector<Mfcc> mb = mfccFrames(b);
    if (ma.empty()) {
        return 0;
    }
    double sum = 0;
    for (std::size_t f = 0; f < ma.size(); ++f) {
        for (int c = 0; c < kMfccCoefficients; ++c) {
            sum +=
                std::fabs(ma[f][static_cast<std::size_t>(c)] - mb[f][static_cast<std::size_t>(c)]);
        }
    }
    return sum / static_cast<double>(ma.size() * kMfccCoefficients);
}

double logSpectralDistance(std::span<const float> a, std::span<const float> b) {
    requireSameLength(a, b);
    FrameSpectra spectra(kLsdFrame, kLsdHop);
    std::vector<float> pa;
    std::vector<float> pb;
    spectra.powers(a, kToUnit, pa);
    spectra.powers(b, kToUnit, pb);
    const auto bins = static_cast<std::size_t>(spectra.bins());
    const std::size_t frames = pa.size() / bins;
    if (frames == 0) {
        return 0;
    }
    double total = 0;
    for (std::size_t f = 0; f < frames; ++f) {
        double squares = 0;
        for (std::size_t k = 0; k < bins; ++k) {
            const double d = decibels(pa[f * bins + k]) - decibels(pb[f * bins + k]);
            squares += d * d;
        }
        total += std::sqrt(squares / static_cast<double>(bins));
    }
    return total / static_cast<double>(frames);
}

} // namespace tarmel::match
