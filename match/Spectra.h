// Short-time power spectra of a second of sound on KissFFT: Hann-windowed frames of one size at
// one hop, the power of each bin. Holds its FFT plan and buffers, so one per thread.
#pragma once

#include <memory>
#include <span>
#include <vector>

namespace tarmel::match {

class FrameSpectra {
public:
    // size: samples per frame (even); hop: samples from one frame's start to the next.
    FrameSpectra(int size, int hop);
    ~FrameSpectra();
    FrameSpectra(const FrameSpectra&) = delete;
    FrameSpectra& operator=(const FrameSpectra&) = delete;

    int size() const { return size_; }
    int bins() const { return size_ / 2 + 1; }
    // Whole frames in count samples: those that start at 0, hop, 2 hop... and end within them.
    int frames(std::size_t count) const;

    // The power |X(k)|^2 of every bin of every frame of samples, frame after frame, into power
    // (frames * bins values), samples scaled by scale first. The window is the periodic Hann.
    void powers(std::span<const float> samples, float scale, std::vector<float>& power);

private:
    struct Plan;
    std::unique_ptr<Plan> plan_;
    int size_;
    int hop_;
};

} // namespace tarmel::match
