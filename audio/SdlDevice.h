// The default output device of the process on SDL2 audio: S16, mono, 44100 Hz, one callback that
// mixes the three voices.
#pragma once

#include "audio/SoundOutput.h"

#include <cstdint>
#include <memory>

namespace tarmel::audio {

class Mixer;

class SdlDevice {
public:
    SdlDevice();
    // Closes the device.
    ~SdlDevice();
    SdlDevice(const SdlDevice&) = delete;
    SdlDevice& operator=(const SdlDevice&) = delete;

    // The device's three voices, silent. Opens the device on first use, and again when it was
    // lost (restarting SDL's audio so that a sound server that came back is found). Throws
    // SoundError with SDL's message. The device stays open when an output is released, so that
    // a reset neither clicks nor waits for the sound server; one output at a time.
    std::unique_ptr<SoundOutput> openOutput();

private:
    class Output;

    void open();
    void close() noexcept;
    // SDL disables an open device that was unplugged or whose sound server went away.
    bool lost() const;
    void checkAvailable() const;

    std::unique_ptr<Mixer> mixer_; // rendered by the audio callback while the device is open
    uint32_t id_ = 0;              // SDL_AudioDeviceID; 0 while closed
};

} // namespace tarmel::audio
