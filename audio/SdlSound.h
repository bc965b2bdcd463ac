// The sound layer on SDL2 audio: devices play through one shared SDL callback device at S16 mono
// 44100 Hz, opened while any device object lives.
#pragma once

#include "audio/SoundOutput.h"

#include <memory>

namespace tarmel::audio {

// Frames per audio callback: 512 / 44100 Hz = 11.6 ms per block.
inline constexpr int kSdlCallbackFrames = 512;

// A new root object of the SDL sound layer. Its first CreateDevice initialises SDL's audio
// subsystem, which stays up while the root or any device it opened is alive. CreateDevice("")
// opens the default output, or reopens it when it was lost. Every failing SDL call throws
// SoundError with SDL's message; WriteBuffer, Play and CreateSoundBuffer on a lost device throw
// SoundError asking for a reset, Stop never does.
std::shared_ptr<SoundSystem> makeSdlSoundSystem();

// Objects of the SDL sound layer alive in this process, for tests and diagnostics.
struct SdlSoundCounts {
    int systems = 0;
    int devices = 0; // SoundDevice objects
    int buffers = 0;
    int outputs = 0; // open SDL audio devices: 1 while any device object lives, else 0
    friend bool operator==(const SdlSoundCounts&, const SdlSoundCounts&) = default;
};
SdlSoundCounts sdlSoundCounts();

} // namespace tarmel::audio
