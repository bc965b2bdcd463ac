// The sound layer on SDL2 audio: one callback device at S16 mono 44100 Hz per root object.
#pragma once

#include "SoundOutput.h"

#include <memory>

namespace tarmel::audio {

// A new root object of the SDL sound layer. Opening a device through it initialises SDL's audio
// subsystem; failures throw SoundError with SDL's message.
std::shared_ptr<SoundSystem> makeSdlSoundSystem();

} // namespace tarmel::audio
