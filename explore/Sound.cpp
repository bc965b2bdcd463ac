// Conversions between a sound's controls and a whole settings file.
#include "explore/Sound.h"

namespace tarmel::explore {

Sound soundOf(const files::Settings& s) {
    return Sound{s.pitch1, s.offsets, s.attack, s.modulators, s.play};
}

files::Settings withSound(files::Settings settings, const Sound& sound) {
    settings.pitch1 = sound.pitch1;
    settings.offsets = sound.offsets;
    settings.attack = sound.attack;
    settings.modulators = sound.modulators;
    settings.play = sound.play;
    return settings;
}

} // namespace tarmel::explore
