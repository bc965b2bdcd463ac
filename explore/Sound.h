// The controls of one sound: what a settings file holds apart from the carried modulator state.
// Undo, redo, random and mutate work on this.
#pragma once

#include "files/Settings.h"
#include "synth/Parameters.h"

#include <array>
#include <cstdint>

namespace tarmel::explore {

struct Sound {
    int16_t pitch1 = synth::kStartPitch;
    std::array<int16_t, 2> offsets{}; // of oscillators 2 and 3 from pitch 1
    int16_t attack = 0;
    std::array<synth::ModulatorSetting, synth::kModulators> modulators{};
    std::array<bool, synth::kOscillators> play{true, false, false};

    friend bool operator==(const Sound&, const Sound&) = default;
};

// The controls of the settings.
Sound soundOf(const files::Settings& settings);

// The settings with their controls replaced by the sound's; the carried state, name and
// category stay as they are.
files::Settings withSound(files::Settings settings, const Sound& sound);

} // namespace tarmel::explore
