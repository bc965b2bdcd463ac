// The distance the search minimises between the target and a candidate's heard second:
//   the mean absolute difference of log-magnitude spectra (dB) at three resolutions (frames of
//   256, 1024 and 4096 samples, one every eight frame lengths), averaged over the three,
// + half the mean absolute difference of the loudness curve (dB, 100 frames of 10 ms),
// + the distance in semitones between the strongest peaks of the two averaged spectra (4096),
//   at most 24.
// Zero for identical sounds; see docs/MATCH.md for what it is blind to.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tarmel::match {

// What the distance needs of one sound, computed once for the target.
struct Features {
    std::vector<std::vector<float>> logSpectra; // per resolution: frames * bins, in dB
    std::vector<float> loudness;                // dB per 10 ms frame
    double peakHz = 0;                          // strongest peak of the averaged 4096 spectrum
};

// Holds FFT plans and buffers: one per thread.
class DistanceMeter {
public:
    DistanceMeter();
    ~DistanceMeter();
    DistanceMeter(const DistanceMeter&) = delete;
    DistanceMeter& operator=(const DistanceMeter&) = delete;

    // The features of a second of samples (16-bit units).
    Features features(std::span<const float> samples);
    // The distance between the target's features and a candidate's heard samples.
    double distance(const Features& target, std::span<const int16_t> heard);
    double distance(const Features& target, std::span<const float> samples);

private:
    // features() into out, reusing its memory.
    void fill(std::span<const float> samples, Features& out);

    struct Work;
    std::unique_ptr<Work> work_;
};

} // namespace tarmel::match
