// MIDI note-ons turned into pitches of oscillator 1.
#include "midi/Notes.h"

#include <gtest/gtest.h>
#include <vector>

namespace tarmel::midi {
namespace {

TEST(Notes, NoteOnsOfAnyChannelWithAVelocityCountAndNothingElse) {
    using Message = std::vector<unsigned char>;
    const std::vector<std::pair<Message, std::optional<int>>> messages{
        {{0x90, 57, 100}, 57}, {{0x9F, 0, 1}, 0},        {{0x95, 127, 127}, 127},
        {{0x90, 57, 0}, {}},   {{0x80, 57, 64}, {}},     {{0xA0, 57, 64}, {}},
        {{0xB0, 7, 100}, {}},  {{0xE0, 0, 64}, {}},      {{0x90, 57}, {}},
        {{0xF8}, {}},          {{0x90, 57, 100, 0}, {}}, {{0x90, 200, 100}, {}}};
    for (const auto& [message, note] : messages) {
        EXPECT_EQ(noteOn(message), note) << int(message[0]) << " " << message.size();
    }
}

// Expected: 440 * 2^((n - 69) / 12) worked out on a calculator and rounded; the letter keys that
// play the same semitones (dropping the fraction instead) are checked with the main window.
TEST(Notes, PitchIsEqualTemperedRoundedUpTo1000Hertz) {
    const std::vector<std::pair<int, std::optional<int16_t>>> pitches{
        {0, 8},    {12, 16},  {21, 28},  {57, 220}, {58, 233}, {69, 440},
        {70, 466}, {81, 880}, {83, 988}, {84, {}},  {127, {}}, {-1, {}}};
    for (const auto& [note, pitch] : pitches) {
        EXPECT_EQ(pitchOfNote(note), pitch) << "note " << note;
    }
}

} // namespace
} // namespace tarmel::midi
