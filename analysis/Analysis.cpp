// Pixel columns, the averaged periodogram on KissFFT and its peak.
#include "analysis/Analysis.h"

#include "synth/Synthesizer.h"

#include <algorithm>
#include <cmath>
#include <kiss_fftr.h>
#include <numbers>
#include <stdexcept>

namespace tarmel::analysis {

std::vector<Column> minMaxColumns(std::span<const int16_t> samples, double begin, double end,
                                  int columns) {
    std::vector<Column> out(static_cast<std::size_t>(std::max(columns, 0)));
    const double step = (end - begin) / columns;
    const auto size = static_cast<long>(samples.size());
    for (int c = 0; c < columns; ++c) {
        const long first = static_cast<long>(std::floor(begin + c * step));
        const long next =
            std::max(first + 1, static_cast<long>(std::floor(begin + (c + 1) * step)));
        const long lo = std::max(first, 0L);
        const long hi = std::min(next, size);
        if (lo >= hi) {
            continue;
        }
        const auto [mn, mx] = std::minmax_element(samples.begin() + lo, samples.begin() + hi);
        out[static_cast<std::size_t>(c)] = {*mn, *mx};
    }
    return out;
}

struct SpectrumAnalyser::Plan {
    kiss_fftr_cfg cfg = kiss_fftr_alloc(kBlockSize, 0, nullptr, nullptr);
    std::vector<float> window = std::vector<float>(kBlockSize);
    std::vector<float> block = std::vector<float>(kBlockSize);
    std::vector<kiss_fft_cpx> bins = std::vector<kiss_fft_cpx>(kBins);
    std::vector<double> power = std::vector<double>(kBins);

    Plan() {
        if (cfg == nullptr) {
            throw std::bad_alloc();
        }
        // The periodic Hann window: its mean is exactly 1/2, and a sine centred on a bin leaks
        // into its two neighbours only.
        for (int n = 0; n < kBlockSize; ++n) {
            window[static_cast<std::size_t>(n)] =
                static_cast<float>(0.5 - 0.5 * std::cos(2 * std::numbers::pi * n / kBlockSize));
        }
    }
    ~Plan() { kiss_fftr_free(cfg); }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;
};

SpectrumAnalyser::SpectrumAnalyser() : plan_(std::make_unique<Plan>()) {}
SpectrumAnalyser::~SpectrumAnalyser() = default;

Spectrum SpectrumAnalyser::analyse(std::span<const int16_t> samples) {
    if (samples.size() < static_cast<std::size_t>(kBlockSize)) {
        throw std::invalid_argument("a spectrum needs at least one block of samples");
    }
    Plan& p = *plan_;
    // Blocks evenly spread from the first sample to the last, consecutive ones overlapping by at
    // least half a block.
    const auto spare = static_cast<long>(samples.size()) - kBlockSize;
    const long blocks = (spare + kBlockSize / 2 - 1) / (kBlockSize / 2) + 1;
    std::fill(p.power.begin(), p.power.end(), 0.0);
    for (long b = 0; b < blocks; ++b) {
        const long start = blocks == 1 ? 0 : (b * spare + (blocks - 1) / 2) / (blocks - 1);
        for (std::size_t n = 0; n < p.block.size(); ++n) {
            p.block[n] = p.window[n] * samples[static_cast<std::size_t>(start) + n];
        }
        kiss_fftr(p.cfg, p.block.data(), p.bins.data());
        for (std::size_t k = 0; k < p.bins.size(); ++k) {
            const double re = p.bins[k].r;
            const double im = p.bins[k].i;
            p.power[k] += re * re + im * im;
        }
    }
    // A sine of amplitude A centred on bin k gives |X_k| = A * sum(window) / 2 = A * N / 4; DC and
    // the Nyquist bin hold the whole amplitude, not half of it.
    Spectrum out;
    out.levelDb.resize(kBins);
    const double fullScale = 32767.0 * kBlockSize / 4;
    for (std::size_t k = 0; k < p.power.size(); ++k) {
        const bool edge = k == 0 || k + 1 == p.power.size();
        const double amplitude = std::sqrt(p.power[k] / blocks) / (edge ? 2 : 1);
        const double db = amplitude > 0 ? 20 * std::log10(amplitude / fullScale) : kMinDb;
        out.levelDb[k] = static_cast<float>(std::max(db, kMinDb));
    }
    const auto top = std::max_element(out.levelDb.begin() + 1, out.levelDb.end());
    const auto k = static_cast<std::size_t>(top - out.levelDb.begin());
    if (*top <= kMinDb) {
        return out; // silence: no peak
    }
    // The frequency: the vertex of the parabola through the dB levels of the three bins.
    double offset = 0;
    if (k + 1 < out.levelDb.size()) {
        const double a = out.levelDb[k - 1];
        const double c = out.levelDb[k + 1];
        const double curve = a - 2 * *top + c;
        if (curve < 0) {
            offset = 0.5 * (a - c) / curve;
        }
    }
    // The level: the power of the window's main lobe (two bins either side), which does not
    // depend on where between bins the sine falls. A sine of amplitude A puts N^2 A^2 / 4 times
    // the window's mean square (3/8 for Hann) into the bins of positive frequencies.
    double lobe = 0;
    for (std::size_t j = k - std::min<std::size_t>(k, 2); j <= std::min(k + 2, p.power.size() - 1);
         ++j) {
        lobe += p.power[j] / blocks;
    }
    const double amplitude = std::sqrt(lobe * 32 / 3) / kBlockSize;
    const double level = std::max(20 * std::log10(amplitude / 32767.0), kMinDb);
    out.peak = {(static_cast<double>(k) + offset) * kBinHz, level};
    return out;
}

SoundAnalysis analyseSound(const synth::Waves& waves,
                           const std::array<bool, synth::kOscillators>& played,
                           SpectrumAnalyser& analyser) {
    SoundAnalysis out;
    out.heard = synth::heardMix(waves, played);
    for (std::size_t v = 0; v < waves.size(); ++v) {
        out.voices[v].assign(waves[v].begin(), waves[v].begin() + synth::kBufferSamples);
    }
    out.spectrum = analyser.analyse(out.heard);
    return out;
}

} // namespace tarmel::analysis
