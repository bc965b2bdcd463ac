// The program's sound output: the default output device with three one-second voices, one per
// oscillator, each written, played once and stopped.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <stdexcept>

namespace tarmel::audio {

inline constexpr int kVoices = 3;
// One second of 16-bit mono sound at 44100 samples a second.
inline constexpr int kSampleRate = 44100;
inline constexpr int kVoiceFrames = kSampleRate;

// Frames the device asks for at a time: 256 / 44100 Hz = 5.8 ms, the longest a sound waits for
// the device once it is written.
inline constexpr int kBlockFrames = 256;

using VoiceSamples = std::span<const int16_t, kVoiceFrames>;

// A failing sound operation; carries the back end's own message.
class SoundError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Replaces the voice's samples in place, also while it sounds: the play position goes on.
    // The samples are in place on return. Throws SoundError when the device is lost.
    virtual void write(int voice, VoiceSamples samples) = 0;
    // Plays a silent voice once from its start; a sounding voice goes on unchanged. Throws
    // SoundError when the device is lost.
    virtual void play(int voice) = 0;
    // Silences the voice at once, and it no longer repeats; never fails.
    virtual void stop(int voice) noexcept = 0;
    // While on, the voice starts again from its start at the block after each time it ends, as
    // if play were called between the two blocks; until turned off, stopped or released.
    virtual void repeat(int voice, bool on) noexcept = 0;
};

// Opens the default output device with three silent voices; throws SoundError when it cannot.
using SoundOutputFactory = std::function<std::unique_ptr<SoundOutput>()>;

} // namespace tarmel::audio
