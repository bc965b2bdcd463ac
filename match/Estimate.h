// What the target tells before any search: its envelope balance from the loudness curve, its
// strongest spectral peaks, and from them starting sounds for the search (pitch 1 and the
// offsets from the peaks, a modulator's Multiply and Divide from the spacing of two peaks).
#pragma once

#include "sound/Controls.h"

#include <span>
#include <vector>

namespace tarmel::match {

struct SpectralPeak {
    double hz = 0;
    double db = 0;
};

// The envelope balance 0..1500 whose curve a sin(x) + (1500 - a) cos(x) best fits the loudness
// of the samples over the second (least squares on the RMS of 10 ms frames).
int estimateAttack(std::span<const float> samples);

// The strongest peaks of the averaged spectrum (8192-sample frames), strongest first, at most
// count, none more than 50 dB below the strongest.
std::vector<SpectralPeak> spectralPeaks(std::span<const float> samples, int count);

// The frequency, in hertz, of a modulator's sine for pitch 1 and its Multiply and Divide.
double modulatorHz(int oscillator, int modulator, int pitch1, int multiply, int divide);

// Pitches worth trying as pitch 1: the peaks, their spacings, and the halves and thirds of
// these, the likelier first, each within pitch 1's range.
std::vector<int> pitchCandidates(const std::vector<SpectralPeak>& peaks);

// The first sounds of the search: each candidate pitch as pitch 1, alone, at the estimated
// envelope balance.
std::vector<sound::Controls> startingSounds(std::span<const float> samples);

// Sounds one guess away from base: a peak as oscillator 2's or 3's pitch, or as the frequency of
// one of oscillator 1's modulators (its Multiply and Divide the closest to it).
std::vector<sound::Controls> soundsAround(const sound::Controls& base,
                                          const std::vector<SpectralPeak>& peaks);

} // namespace tarmel::match
