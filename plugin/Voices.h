// The eight voices of the plug-in and the buffers their seconds are computed into, all made
// before the first run(). run() starts, steals, silences and mixes voices without allocating or
// locking; the worker fills a buffer and then marks it done (an atomic flag), after which run()
// may play it. A buffer stays reserved while the worker may still write it, even when its voice
// was stolen or silenced meanwhile.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

namespace tarmel::plugin {

inline constexpr int kVoices = 8;
// Twice the voices: every voice can hold a buffer while the buffers of stolen voices are still
// being computed.
inline constexpr int kBuffers = 2 * kVoices;

class Voices {
public:
    // frames: the most frames one sound takes.
    explicit Voices(int frames);

    // Audio thread. Takes a free voice, or the one that started first when all are busy, and
    // reserves a buffer for its sound, which starts once finished (see settle). Returns the
    // buffer, or -1 when none is free (the note is then not heard).
    int start();
    // Audio thread: the buffer of start() that no worker will fill (scheduling failed).
    void abandon(int buffer);
    // Audio thread: voices whose sound has been computed play from the next frame mixed.
    void settle();
    // Audio thread: every voice falls silent.
    void silence();
    // Audio thread: adds frames [from, to) of every playing voice to out.
    void mix(float* out, uint32_t from, uint32_t to);
    // Audio thread: the voices playing or waiting for their sound.
    int busy() const;

    // Worker thread: the buffer to compute the sound of a started voice into.
    std::span<float> buffer(int buffer) {
        return buffers_[static_cast<std::size_t>(buffer)].samples;
    }
    // Worker thread: the buffer holds frames frames (0 when nothing can be heard); the voice may
    // play it.
    void finish(int buffer, int frames);

private:
    struct Buffer {
        std::vector<float> samples;   // written by the worker until done
        std::atomic<int> frames{0};   // written by the worker before done
        std::atomic<bool> done{true}; // set by the worker, cleared by the audio thread
        bool held = false;            // audio thread: a voice plays it or waits for it
    };
    // Audio thread only.
    struct Voice {
        int buffer = -1; // -1: free
        bool playing = false;
        uint64_t order = 0; // when it started: the smallest is stolen first
        int position = 0;
        int frames = 0;
    };

    void release(Voice& voice);

    std::unique_ptr<Buffer[]> buffers_;
    std::array<Voice, kVoices> voices_{};
    uint64_t started_ = 0;
};

} // namespace tarmel::plugin
