// Frame power spectra through KissFFT's real transform.
#include "match/Spectra.h"

#include <cmath>
#include <kiss_fftr.h>
#include <numbers>
#include <stdexcept>

namespace tarmel::match {

struct FrameSpectra::Plan {
    explicit Plan(int size) : cfg(kiss_fftr_alloc(size, 0, nullptr, nullptr)) {
        if (cfg == nullptr) {
            throw std::bad_alloc();
        }
        window.resize(static_cast<std::size_t>(size));
        frame.resize(static_cast<std::size_t>(size));
        bins.resize(static_cast<std::size_t>(size / 2 + 1));
        for (int n = 0; n < size; ++n) {
            window[static_cast<std::size_t>(n)] =
                static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * n / size));
        }
    }
    ~Plan() { kiss_fftr_free(cfg); }
    Plan(const Plan&) = delete;
    Plan& operator=(const Plan&) = delete;

    kiss_fftr_cfg cfg;
    std::vector<float> window;
    std::vector<float> frame;
    std::vector<kiss_fft_cpx> bins;
};

FrameSpectra::FrameSpectra(int size, int hop)
    : plan_(std::make_unique<Plan>(size)), size_(size), hop_(hop) {
    if (size < 2 || size % 2 != 0 || hop < 1) {
        throw std::invalid_argument("a frame needs an even size and a hop of at least 1");
    }
}

FrameSpectra::~FrameSpectra() = default;

int FrameSpectra::frames(std::size_t count) const {
    if (count < static_cast<std::size_t>(size_)) {
        return 0;
    }
    return static_cast<int>((count - static_cast<std::size_t>(size_)) /
                            static_cast<std::size_t>(hop_)) +
           1;
}

void FrameSpectra::powers(std::span<const float> samples, float scale, std::vector<float>& power) {
    const int count = frames(samples.size());
    const auto b = static_cast<std::size_t>(bins());
    power.resize(static_cast<std::size_t>(count) * b);
    Plan& p = *plan_;
    for (int f = 0; f < count; ++f) {
        const std::size_t start = static_cast<std::size_t>(f) * static_cast<std::size_t>(hop_);
        for (std::size_t n = 0; n < p.frame.size(); ++n) {
            p.frame[n] = samples[start + n] * scale * p.window[n];
        }
        kiss_fftr(p.cfg, p.frame.data(), p.bins.data());
        float* out = power.data() + static_cast<std::size_t>(f) * b;
        for (std::size_t k = 0; k < b; ++k) {
            out[k] = p.bins[k].r * p.bins[k].r + p.bins[k].i * p.bins[k].i;
        }
    }
}

} // namespace tarmel::match
