// The voices: which one a note takes, when its sound starts, and the mix.
#include "plugin/Voices.h"

#include <algorithm>

namespace tarmel::plugin {

Voices::Voices(int frames) : buffers_(std::make_unique<Buffer[]>(kBuffers)) {
    for (int b = 0; b < kBuffers; ++b) {
        buffers_[static_cast<std::size_t>(b)].samples.assign(static_cast<std::size_t>(frames),
                                                             0.0f);
    }
}

void Voices::release(Voice& voice) {
    if (voice.buffer >= 0) {
        buffers_[static_cast<std::size_t>(voice.buffer)].held = false;
    }
    voice = Voice{};
}

int Voices::start() {
    Voice* voice = &voices_[0];
    for (Voice& v : voices_) {
        if (v.buffer < 0) {
            voice = &v;
            break;
        }
        if (v.order < voice->order) {
            voice = &v;
        }
    }
    release(*voice);
    for (int b = 0; b < kBuffers; ++b) {
        Buffer& buffer = buffers_[static_cast<std::size_t>(b)];
        if (!buffer.held && buffer.done.load(std::memory_order_acquire)) {
            buffer.held = true;
            buffer.done.store(false, std::memory_order_relaxed);
            voice->buffer = b;
            voice->order = ++started_;
            return b;
        }
    }
    return -1;
}

void Voices::abandon(int buffer) {
    for (Voice& v : voices_) {
        if (v.buffer == buffer) {
            release(v);
        }
    }
    buffers_[static_cast<std::size_t>(buffer)].done.store(true, std::memory_order_release);
}

void Voices::settle() {
    for (Voice& v : voices_) {
        if (v.buffer < 0 || v.playing) {
            continue;
        }
        Buffer& buffer = buffers_[static_cast<std::size_t>(v.buffer)];
        if (!buffer.done.load(std::memory_order_acquire)) {
            continue;
        }
        v.frames = buffer.frames.load(std::memory_order_relaxed);
        if (v.frames <= 0) {
            release(v);
            continue;
        }
        v.playing = true;
        v.position = 0;
    }
}

void Voices::silence() {
    for (Voice& v : voices_) {
        release(v);
    }
}

void Voices::mix(float* out, uint32_t from, uint32_t to) {
    for (Voice& v : voices_) {
        if (!v.playing) {
            continue;
        }
        const float* samples = buffers_[static_cast<std::size_t>(v.buffer)].samples.data();
        const int count = std::min(static_cast<int>(to - from), v.frames - v.position);
        for (int i = 0; i < count; ++i) {
            out[from + static_cast<uint32_t>(i)] += samples[v.position + i];
        }
        v.position += count;
        if (v.position >= v.frames) {
            release(v);
        }
    }
}

int Voices::busy() const {
    return static_cast<int>(std::count_if(voices_.begin(), voices_.end(),
                                          [](const Voice& v) { return v.buffer >= 0; }));
}

void Voices::finish(int buffer, int frames) {
    Buffer& b = buffers_[static_cast<std::size_t>(buffer)];
    b.frames.store(frames, std::memory_order_relaxed);
    b.done.store(true, std::memory_order_release);
}

} // namespace tarmel::plugin
