// The keyboard note map: 26 letter keys, each setting oscillator 1 to one pitch a semitone apart.
#include "ui/KeyMap.h"

namespace tarmel::ui {

// Whole hertz within one hertz of the equal-tempered notes C2 to C#4 (A = 440 Hz).
const std::array<KeyPitch, 26> kKeyMap{{
    {'Z', 65},  {'X', 69},  {'C', 73},  {'V', 77},  {'B', 82},  {'N', 87},  {'M', 92},
    {'A', 98},  {'S', 104}, {'D', 110}, {'F', 116}, {'G', 123}, {'H', 130}, {'J', 138},
    {'K', 146}, {'L', 155}, {'Q', 164}, {'W', 174}, {'E', 185}, {'R', 196}, {'T', 207},
    {'Y', 220}, {'U', 233}, {'I', 246}, {'O', 261}, {'P', 277},
}};

std::optional<int16_t> pitchForKey(int key) {
    for (const KeyPitch& row : kKeyMap) {
        if (row.key == key) {
            return row.pitch;
        }
    }
    return std::nullopt;
}

} // namespace tarmel::ui
