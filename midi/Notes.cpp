#include "midi/Notes.h"

#include <cmath>

namespace tarmel::midi {

std::optional<int> noteOn(std::span<const unsigned char> message) {
    if (message.size() != 3 || (message[0] & 0xF0U) != 0x90U || message[1] > 127 ||
        message[2] == 0 || message[2] > 127) {
        return std::nullopt;
    }
    return message[1];
}

std::optional<int16_t> pitchOfNote(int note) {
    if (note < 0 || note > 83) {
        return std::nullopt;
    }
    return static_cast<int16_t>(std::lround(440.0 * std::exp2((note - 69) / 12.0)));
}

} // namespace tarmel::midi
