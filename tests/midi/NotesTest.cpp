// MIDI note-ons turned into pitches of oscillator 1.
#include "midi/Notes.h"

#include "ui/KeyMap.h"

#include <Qt>
#include <gtest/gtest.h>
#include <set>
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

// Expected: 440 * 2^((n - 69) / 12) worked out on a calculator and rounded. The 26 letter keys
// are the semitones from note 36 (Z, 65 Hz) on; where a letter drops the fraction of a hertz
// instead of rounding it, it lies one below the note.
TEST(Notes, PitchIsEqualTemperedRoundedUpTo1000HertzAndTheLettersAreItsSemitones) {
    const std::vector<std::pair<int, std::optional<int16_t>>> pitches{
        {0, 8},    {12, 16},  {21, 28},  {57, 220}, {58, 233}, {69, 440},
        {70, 466}, {81, 880}, {83, 988}, {84, {}},  {127, {}}, {-1, {}}};
    for (const auto& [note, pitch] : pitches) {
        EXPECT_EQ(pitchOfNote(note), pitch) << "note " << note;
    }
    std::multiset<int16_t> letters;
    for (int key = Qt::Key_A; key <= Qt::Key_Z; ++key) {
        letters.insert(ui::pitchForKey(key).value_or(0));
    }
    std::vector<int16_t> below;
    int note = 36;
    for (const int16_t letter : letters) {
        const int16_t pitch = pitchOfNote(note++).value_or(0);
        if (pitch != letter) {
            EXPECT_EQ(pitch, letter + 1) << "note " << note - 1;
            below.push_back(letter);
        }
    }
    EXPECT_EQ(below, (std::vector<int16_t>{77, 116, 130, 138, 146, 155, 164, 174, 207, 246, 261}));
}

} // namespace
} // namespace tarmel::midi
