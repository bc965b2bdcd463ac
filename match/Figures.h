// The two figures a match is reported by, defined as the published work on matching synthesizer
// sounds defines them, so that results can be compared:
// - MFCC error: the mean absolute difference of 13 mel-frequency cepstral coefficients per frame
//   (frames of 2048 samples, hop 512, periodic Hann window, power spectrum, 128 mel bands on the
//   Slaney mel scale from 0 to 22050 Hz with Slaney's area normalisation, power in dB as
//   10 log10(max(E, 1e-10)), orthonormal DCT-II), over all frames and coefficients.
// - Log-spectral distance: per frame of 1024 samples (hop 512, periodic Hann) the root mean
//   square over the bins of the difference of 10 log10(max(|X|^2, 1e-10)), averaged over frames.
// Samples are in 16-bit units and scaled to -1..1 first; frames lie wholly within the second (no
// padding).
#pragma once

#include <array>
#include <span>
#include <vector>

namespace tarmel::match {

inline constexpr int kMfccCoefficients = 13;
using Mfcc = std::array<double, kMfccCoefficients>;

// The coefficients of each frame.
std::vector<Mfcc> mfccFrames(std::span<const float> samples);

// The MFCC error between two sounds of the same length.
double mfccError(std::span<const float> a, std::span<const float> b);

// The log-spectral distance in dB between two sounds of the same length.
double logSpectralDistance(std::span<const float> a, std::span<const float> b);

} // namespace tarmel::match
