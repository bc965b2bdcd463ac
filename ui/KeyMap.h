// The keyboard note map: 26 letter keys, each setting oscillator 1 to one pitch a semitone apart.
#pragma once

#include <cstdint>
#include <optional>

namespace tarmel::ui {

// The pitch of a letter key (Qt::Key_A..Qt::Key_Z, which equal the capital letters' codes), or
// nothing for any other key.
std::optional<int16_t> pitchForKey(int key);

} // namespace tarmel::ui
