// Mixes the sounding one-second buffers of one output device; the UI thread writes, starts and
// stops voices, the audio callback renders them. Lock-free and allocation-free on the audio side.
#pragma once

#include "audio/SoundOutput.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>

namespace tarmel::audio {

class Mixer {
public:
    enum class State : uint8_t { Stopped, StartRequested, Playing };

    // Room for the buffers of old and new devices while InitSound replaces them; a voice takes
    // memory for its second of samples once it is first used.
    static constexpr int kMaxVoices = 32;

    Mixer();
    ~Mixer();
    Mixer(const Mixer&) = delete;
    Mixer& operator=(const Mixer&) = delete;

    // UI thread. Returns the index of a silent, zeroed voice; reuses released ones. Throws
    // SoundError when all voices are taken.
    int addVoice();
    // UI thread. Silences the voice and frees it for reuse.
    void removeVoice(int voice);
    // UI thread. Copies sizeBytes of samples to byte offset startByte, also while the voice
    // sounds; the samples are in place on return. Invalid ranges throw SoundError.
    void write(int voice, int32_t startByte, int32_t sizeBytes, const int16_t* source);
    // UI thread. Starts a silent voice from its beginning; a sounding one is left alone.
    void play(int voice);
    // UI thread. Silences the voice from the next rendered sample on.
    void stop(int voice);
    // UI thread. True from play until the voice reaches its end or is stopped.
    bool isSounding(int voice) const;
    // UI thread. Number of voices held by buffers.
    int voicesInUse() const;

    // Audio thread. Fills out with frames mono samples: all sounding voices summed in 32 bits
    // and clamped to 16 bits. Takes no lock, allocates nothing.
    void render(int16_t* out, int frames) noexcept;

private:
    struct Voice {
        std::array<std::atomic<int16_t>, kBufferFrames> samples{}; // written by the UI thread
        // UI thread: Stopped -> StartRequested (play), any -> Stopped (stop).
        // Audio thread: StartRequested -> Playing, Playing -> Stopped at the end.
        std::atomic<State> state{State::Stopped};
        int position = 0;   // audio thread only
        bool inUse = false; // UI thread only
    };

    Voice& voiceAt(int voice) const;
    static void mixVoice(Voice& v, int32_t* sum, int frames) noexcept;

    std::array<std::unique_ptr<Voice>, kMaxVoices> owned_;    // UI thread only
    std::array<std::atomic<Voice*>, kMaxVoices> published_{}; // written by the UI thread
};

} // namespace tarmel::audio
