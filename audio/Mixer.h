// Mixes the three voices of the output device: the UI thread writes, starts and stops voices,
// the audio callback renders them. Lock-free and allocation-free on the audio side.
#pragma once

#include "audio/SoundOutput.h"

#include <array>
#include <atomic>
#include <cstdint>

namespace tarmel::audio {

class Mixer {
public:
    // UI thread. Every voice silent and zeroed.
    void clear() noexcept;
    // UI thread. Copies the samples into the voice, also while it sounds.
    void write(int voice, VoiceSamples samples);
    // UI thread. Starts a silent voice from its beginning; a sounding one is left alone.
    void play(int voice);
    // UI thread. Silences the voice from the next rendered sample on; it no longer repeats.
    void stop(int voice) noexcept;
    // UI thread. While on, a voice that reaches its end starts again from its beginning at the
    // next rendered block, as a play request made between the two blocks would start it.
    void repeat(int voice, bool on) noexcept;

    // Audio thread. Fills out with frames mono samples: the sounding voices summed in 32 bits
    // and clamped to 16 bits.
    void render(int16_t* out, int frames) noexcept;

private:
    enum class State : uint8_t { Stopped, StartRequested, Playing };

    struct Voice {
        std::array<std::atomic<int16_t>, kVoiceFrames> samples{}; // written by the UI thread
        // UI thread: Stopped -> StartRequested (play), any -> Stopped (stop).
        // Audio thread: StartRequested -> Playing, Playing -> Stopped at the end.
        std::atomic<State> state{State::Stopped};
        std::atomic<bool> repeat{false}; // written by the UI thread
        int position = 0;                // audio thread only
        bool ended = false;              // audio thread only: reached its end in the last block
    };

    static void mixVoice(Voice& v, int32_t* sum, int frames) noexcept;

    std::array<Voice, kVoices> voices_;
};

} // namespace tarmel::audio
