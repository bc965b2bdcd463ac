// What the Sound window shows of one second: the minimum and maximum under each pixel column,
// the averaged spectrum and its strongest peak. Plain C++ on KissFFT; no Qt.
#pragma once

#include "synth/Parameters.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tarmel::analysis {

inline constexpr double kSampleRate = 44100.0;
// Samples per spectrum block: 44100 / 8192 = 5.38 Hz between bins.
inline constexpr int kBlockSize = 8192;
inline constexpr int kBins = kBlockSize / 2 + 1;
inline constexpr double kBinHz = kSampleRate / kBlockSize;
// The lowest level a bin reports (silence): far below what 16-bit samples can reach.
inline constexpr double kMinDb = -200.0;

struct Column {
    int16_t min = 0;
    int16_t max = 0;
    friend bool operator==(const Column&, const Column&) = default;
};

// The samples [begin, end) spread over `columns` pixel columns: column c covers the samples from
// begin + floor(c * (end - begin) / columns) up to the next column's first, and at least the one
// sample it starts on (zoomed in, neighbouring columns then show the same sample). The range is
// clipped to the samples; columns outside it stay empty (min = max = 0).
std::vector<Column> minMaxColumns(std::span<const int16_t> samples, double begin, double end,
                                  int columns);

struct Peak {
    double frequency = 0; // Hz
    double levelDb = kMinDb;
};

struct Spectrum {
    // Bin k (frequency k * kBinHz) in dB relative to a full-scale sine (amplitude 32767).
    std::vector<float> levelDb;
    Peak peak;
};

// The averaged periodogram of a sound: Hann-windowed blocks of kBlockSize samples, spread evenly
// over the whole sound with at least half a block of overlap, their power averaged per bin. The
// window's coherent gain (the mean of the window, 1/2 for Hann) is divided out, so that a sine of
// amplitude 32767 centred on a bin reads 0 dB. The peak is the highest bin above DC, its frequency
// refined by a parabola through the dB levels of it and its neighbours, its level taken from the
// power of the whole main lobe (so the level does not drop between bins).
// Holds the FFT plan and buffers: one analyser per thread.
class SpectrumAnalyser {
public:
    SpectrumAnalyser();
    ~SpectrumAnalyser();
    SpectrumAnalyser(const SpectrumAnalyser&) = delete;
    SpectrumAnalyser& operator=(const SpectrumAnalyser&) = delete;

    // samples must hold at least kBlockSize samples.
    Spectrum analyse(std::span<const int16_t> samples);

private:
    struct Plan;
    std::unique_ptr<Plan> plan_;
};

// One second as the Sound window shows it: the mix as heard, each oscillator's own samples and
// the spectrum of the mix.
struct SoundAnalysis {
    std::vector<int16_t> heard;
    std::array<std::vector<int16_t>, synth::kOscillators> voices;
    Spectrum spectrum;
};

// The waves the device got and the voices it played, analysed.
SoundAnalysis analyseSound(const synth::Waves& waves,
                           const std::array<bool, synth::kOscillators>& played,
                           SpectrumAnalyser& analyser);

} // namespace tarmel::analysis
