// The keyboard note map: 26 letter keys, each setting oscillator 1 to one pitch a semitone apart.
#include "ui/KeyMap.h"

#include <array>

namespace tarmel::ui {

namespace {

struct KeyPitch {
    int key;       // the capital letter
    int16_t pitch; // hertz
};

// Whole hertz within one hertz of the equal-tempered notes C2 to C#4 (A = 440 Hz). Bottom letter
// row first, then the middle and the top row, each from left to right: the order of rising pitch
// and the order in which keys are looked up.
constexpr std::array<KeyPitch, 26> kKeyMap{{
    {'Z', 65},  {'X', 69},  {'C', 73},  {'V', 77},  {'B', 82},  {'N', 87},  {'M', 92},
    {'A', 98},  {'S', 104}, {'D', 110}, {'F', 116}, {'G', 123}, {'H', 130}, {'J', 138},
    {'K', 146}, {'L', 155}, {'Q', 164}, {'W', 174}, {'E', 185}, {'R', 196}, {'T', 207},
    {'Y', 220}, {'U', 233}, {'I', 246}, {'O', 261}, {'P', 277},
}};

} // namespace

std::optional<int16_t> pitchForKey(int key) {
    for (const KeyPitch& row : kKeyMap) {
        if (row.key == key) {
            return row.pitch;
        }
    }
    return std::nullopt;
}

} // namespace tarmel::ui
