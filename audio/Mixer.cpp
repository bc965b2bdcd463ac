// The lock-free mixer behind the output device.
#include "audio/Mixer.h"

#include <algorithm>
#include <utility>

namespace tarmel::audio {

namespace {
// Samples mixed per pass; the 32-bit sums live on the audio thread's stack.
constexpr int kChunk = 256;
} // namespace

void Mixer::clear() noexcept {
    for (Voice& v : voices_) {
        v.repeat.store(false, std::memory_order_release);
        v.state.store(State::Stopped, std::memory_order_release);
        for (auto& s : v.samples) {
            s.store(0, std::memory_order_relaxed);
        }
    }
    std::atomic_thread_fence(std::memory_order_release);
}

void Mixer::write(int voice, VoiceSamples samples) {
    Voice& v = voices_.at(static_cast<std::size_t>(voice));
    for (std::size_t i = 0; i < samples.size(); ++i) {
        v.samples[i].store(samples[i], std::memory_order_relaxed);
    }
    std::atomic_thread_fence(std::memory_order_release);
}

void Mixer::play(int voice) {
    State expected = State::Stopped;
    voices_.at(static_cast<std::size_t>(voice))
        .state.compare_exchange_strong(expected, State::StartRequested, std::memory_order_acq_rel);
}

void Mixer::stop(int voice) noexcept {
    Voice& v = voices_.at(static_cast<std::size_t>(voice));
    v.repeat.store(false, std::memory_order_release);
    v.state.store(State::Stopped, std::memory_order_release);
}

void Mixer::repeat(int voice, bool on) noexcept {
    voices_.at(static_cast<std::size_t>(voice)).repeat.store(on, std::memory_order_release);
}

void Mixer::mixVoice(Voice& v, int32_t* sum, int frames) noexcept {
    State state = v.state.load(std::memory_order_acquire);
    if (state == State::StartRequested) {
        // A failed exchange means the UI thread stopped the voice meanwhile.
        if (!v.state.compare_exchange_strong(state, State::Playing, std::memory_order_acq_rel)) {
            return;
        }
        v.position = 0;
        state = State::Playing;
    }
    if (state != State::Playing) {
        return;
    }
    const int count = std::min(frames, kVoiceFrames - v.position);
    for (int i = 0; i < count; ++i) {
        sum[i] +=
            v.samples[static_cast<std::size_t>(v.position + i)].load(std::memory_order_relaxed);
    }
    v.position += count;
    if (v.position == kVoiceFrames) {
        // Leaves a stop or a new start that came in meanwhile as it is.
        v.ended = v.state.compare_exchange_strong(state, State::Stopped, std::memory_order_acq_rel);
    }
}

void Mixer::render(int16_t* out, int frames) noexcept {
    // A repeating voice that ended in the last block starts again now, unless the UI thread
    // stopped it or asked for a start itself meanwhile.
    for (Voice& v : voices_) {
        if (std::exchange(v.ended, false) && v.repeat.load(std::memory_order_acquire)) {
            State stopped = State::Stopped;
            v.state.compare_exchange_strong(stopped, State::StartRequested,
                                            std::memory_order_acq_rel);
        }
    }
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, kChunk);
        std::array<int32_t, kChunk> sum{};
        for (Voice& v : voices_) {
            mixVoice(v, sum.data(), n);
        }
        for (int i = 0; i < n; ++i) {
            out[done + i] =
                static_cast<int16_t>(std::clamp(sum[static_cast<std::size_t>(i)], -32768, 32767));
        }
        done += n;
    }
}

} // namespace tarmel::audio
