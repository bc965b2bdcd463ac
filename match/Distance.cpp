// The search's distance: multi-resolution log spectra, loudness curve and strongest peak. The
// logarithms use a short polynomial on the float's bits (within 0.02 dB), which keeps the
// distance a small part of a render's cost.
#include "match/Distance.h"

#include "match/Spectra.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace tarmel::match {

namespace {

// Frames of each size one every eight frame lengths: an eighth of the frames tells candidates
// apart as well (the loudness curve follows the whole second), at an eighth of the cost.
constexpr std::array<int, 3> kSizes{256, 1024, 4096};
constexpr int kSpacing = 8;
constexpr int kPeakResolution = 2; // index of 4096 in kSizes
constexpr int kLoudnessFrame = 441;
constexpr double kLoudnessWeight = 0.5;
constexpr double kPeakWeight = 1.0;
constexpr double kMostSemitones = 24.0;
constexpr double kRate = 44100.0;
constexpr float kToUnit = 1.0F / 32768.0F;
// About 90 dB below a full-scale sine's bin: quieter bins are all the same silence.
constexpr float kFloorPerSample = 2e-5F;
constexpr float kDbPerLog2 = 3.0102999566F; // 10 log10(2)

// log2(x) for x > 0 within 0.005: the exponent plus a quadratic in the mantissa.
float fastLog2(float x) {
    uint32_t bits = 0;
    std::memcpy(&bits, &x, sizeof bits);
    const auto exponent = static_cast<float>(static_cast<int>((bits >> 23) & 0xFF) - 127);
    bits = (bits & 0x007FFFFFU) | 0x3F800000U;
    float m = 0;
    std::memcpy(&m, &bits, sizeof m);
    return exponent + (-0.34484843F * m + 2.02466578F) * m - 1.67487759F;
}

float floorFor(int size) {
    const float f = kFloorPerSample * static_cast<float>(size);
    return f * f;
}

// The strongest bin above DC of the averaged spectrum, refined by a parabola through the dB
// levels of it and its neighbours.
double peakOf(const std::vector<float>& power, int bins, int size) {
    const std::size_t frames = power.size() / static_cast<std::size_t>(bins);
    std::vector<double> mean(static_cast<std::size_t>(bins));
    for (std::size_t f = 0; f < frames; ++f) {
        for (std::size_t k = 0; k < mean.size(); ++k) {
            mean[k] += power[f * static_cast<std::size_t>(bins) + k];
        }
    }
    const auto top = std::max_element(mean.begin() + 1, mean.end() - 1);
    const auto k = static_cast<std::size_t>(top - mean.begin());
    const double floor = floorFor(size) * static_cast<double>(frames);
    const double a = std::log(mean[k - 1] + floor);
    const double b = std::log(mean[k] + floor);
    const double c = std::log(mean[k + 1] + floor);
    const double bend = a - 2 * b + c;
    const double shift = bend < 0 ? 0.5 * (a - c) / bend : 0.0;
    return (static_cast<double>(k) + shift) * kRate / size;
}

} // namespace

struct DistanceMeter::Work {
    Work() {
        for (int size : kSizes) {
            spectra.push_back(std::make_unique<FrameSpectra>(size, size * kSpacing));
        }
    }
    std::vector<std::unique_ptr<FrameSpectra>> spectra;
    std::vector<float> power;
    std::vector<float> samples;
    Features candidate;
};

DistanceMeter::DistanceMeter() : work_(std::make_unique<Work>()) {}
DistanceMeter::~DistanceMeter() = default;

Features DistanceMeter::features(std::span<const float> samples) {
    Features out;
    fill(samples, out);
    return out;
}

void DistanceMeter::fill(std::span<const float> samples, Features& out) {
    Work& w = *work_;
    out.logSpectra.resize(w.spectra.size());
    for (std::size_t r = 0; r < w.spectra.size(); ++r) {
        FrameSpectra& s = *w.spectra[r];
        s.powers(samples, kToUnit, w.power);
        const float floor = floorFor(s.size());
        std::vector<float>& db = out.logSpectra[r];
        db.resize(w.power.size());
        for (std::size_t i = 0; i < db.size(); ++i) {
            db[i] = kDbPerLog2 * fastLog2(w.power[i] + floor);
        }
        if (static_cast<int>(r) == kPeakResolution) {
            out.peakHz = peakOf(w.power, s.bins(), s.size());
        }
    }
    const std::size_t frames = samples.size() / kLoudnessFrame;
    out.loudness.resize(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        float sum = 0;
        for (std::size_t n = f * kLoudnessFrame; n < (f + 1) * kLoudnessFrame; ++n) {
            const float v = samples[n] * kToUnit;
            sum += v * v;
        }
        out.loudness[f] = kDbPerLog2 * fastLog2(sum / kLoudnessFrame + 1e-9F);
    }
}

double DistanceMeter::distance(const Features& target, std::span<const float> samples) {
    Work& w = *work_;
    fill(samples, w.candidate);
    const Features& c = w.candidate;
    double spectral = 0;
    for (std::size_t r = 0; r < c.logSpectra.size(); ++r) {
        const std::vector<float>& a = target.logSpectra[r];
        const std::vector<float>& b = c.logSpectra[r];
        float sum = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            sum += std::fabs(a[i] - b[i]);
        }
        spectral += sum / static_cast<double>(a.size());
    }
    spectral /= static_cast<double>(c.logSpectra.size());
    double loudness = 0;
    for (std::size_t f = 0; f < c.loudness.size(); ++f) {
        loudness += std::fabs(target.loudness[f] - c.loudness[f]);
    }
    loudness /= static_cast<double>(std::max<std::size_t>(c.loudness.size(), 1));
    double semitones = 0;
    if (target.peakHz > 0 && c.peakHz > 0) {
        semitones = std::min(kMostSemitones, std::fabs(12.0 * std::log2(target.peakHz / c.peakHz)));
    }
    return spectral + kLoudnessWeight * loudness + kPeakWeight * semitones;
}

double DistanceMeter::distance(const Features& target, std::span<const int16_t> heard) {
    Work& w = *work_;
    w.samples.assign(heard.begin(), heard.end());
    return distance(target, std::span<const float>(w.samples));
}

} // namespace tarmel::match
