// The keyboard note map: 26 letter keys, each setting oscillator 1 to one pitch a semitone apart.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace tarmel::ui {

struct KeyPitch {
    int key;       // virtual-key code of the capital letter; equal to Qt::Key_A..Qt::Key_Z
    int16_t pitch; // hertz
};

// Bottom letter row first, then the middle and the top row, each from left to right: the
// order of rising pitch and the order in which keys are looked up.
extern const std::array<KeyPitch, 26> kKeyMap;

// The pitch of a letter key, or nothing for any other key.
std::optional<int16_t> pitchForKey(int key);

} // namespace tarmel::ui
