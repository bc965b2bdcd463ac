// The lock-free mixer behind an output device.
#include "audio/Mixer.h"

#include <algorithm>
#include <string>

namespace tarmel::audio {

namespace {
// Samples mixed per pass; the 32-bit sums live on the audio thread's stack.
constexpr int kChunk = 256;
} // namespace

Mixer::Mixer() = default;

Mixer::~Mixer() = default;

Mixer::Voice& Mixer::voiceAt(int voice) const {
    if (voice < 0 || voice >= kMaxVoices || !owned_[voice] || !owned_[voice]->inUse) {
        throw SoundError("Sound mixer: voice " + std::to_string(voice) + " does not exist");
    }
    return *owned_[voice];
}

int Mixer::addVoice() {
    for (int i = 0; i < kMaxVoices; ++i) {
        if (owned_[i] && !owned_[i]->inUse) {
            Voice& v = *owned_[i];
            v.state.store(State::Stopped, std::memory_order_release);
            for (auto& s : v.samples) {
                s.store(0, std::memory_order_relaxed);
            }
            std::atomic_thread_fence(std::memory_order_release);
            v.inUse = true;
            return i;
        }
    }
    for (int i = 0; i < kMaxVoices; ++i) {
        if (!owned_[i]) {
            owned_[i] = std::make_unique<Voice>();
            owned_[i]->inUse = true;
            published_[i].store(owned_[i].get(), std::memory_order_release);
            return i;
        }
    }
    throw SoundError("Sound mixer: all " + std::to_string(kMaxVoices) +
                     " sound buffers of this device are in use");
}

void Mixer::removeVoice(int voice) {
    Voice& v = voiceAt(voice);
    v.state.store(State::Stopped, std::memory_order_release);
    v.inUse = false;
}

void Mixer::write(int voice, int32_t startByte, int32_t sizeBytes, const int16_t* source) {
    checkWrite(startByte, sizeBytes, source, 0);
    Voice& v = voiceAt(voice);
    const int first = startByte / 2;
    const int count = sizeBytes / 2;
    for (int i = 0; i < count; ++i) {
        v.samples[first + i].store(source[i], std::memory_order_relaxed);
    }
    std::atomic_thread_fence(std::memory_order_release);
}

void Mixer::play(int voice) {
    Voice& v = voiceAt(voice);
    State expected = State::Stopped;
    v.state.compare_exchange_strong(expected, State::StartRequested, std::memory_order_acq_rel);
}

void Mixer::stop(int voice) {
    voiceAt(voice).state.store(State::Stopped, std::memory_order_release);
}

bool Mixer::isSounding(int voice) const {
    return voiceAt(voice).state.load(std::memory_order_acquire) != State::Stopped;
}

int Mixer::voicesInUse() const {
    return static_cast<int>(
        std::count_if(owned_.begin(), owned_.end(), [](const auto& v) { return v && v->inUse; }));
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
    const int count = std::min(frames, kBufferFrames - v.position);
    for (int i = 0; i < count; ++i) {
        sum[i] += v.samples[v.position + i].load(std::memory_order_relaxed);
    }
    v.position += count;
    if (v.position == kBufferFrames) {
        // Leaves a stop or a new start that came in meanwhile as it is.
        v.state.compare_exchange_strong(state, State::Stopped, std::memory_order_acq_rel);
    }
}

void Mixer::render(int16_t* out, int frames) noexcept {
    for (int done = 0; done < frames;) {
        const int n = std::min(frames - done, kChunk);
        std::array<int32_t, kChunk> sum{};
        for (auto& slot : published_) {
            if (Voice* v = slot.load(std::memory_order_acquire)) {
                mixVoice(*v, sum.data(), n);
            }
        }
        for (int i = 0; i < n; ++i) {
            out[done + i] = static_cast<int16_t>(std::clamp(sum[i], -32768, 32767));
        }
        done += n;
    }
}

} // namespace tarmel::audio
