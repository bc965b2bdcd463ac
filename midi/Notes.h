// MIDI note-on messages as pitches of oscillator 1.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tarmel::midi {

// The note of a note-on with a velocity above 0, on any channel; nothing for every other
// message (a note-on with velocity 0 is a note-off).
std::optional<int> noteOn(std::span<const unsigned char> message);

// The equal-tempered pitch of note (A4 = note 69 = 440 Hz), rounded to the nearest hertz, when it
// lies in the pitch slider's range 1..1000 (notes 0..83); nothing otherwise.
std::optional<int16_t> pitchOfNote(int note);

} // namespace tarmel::midi
