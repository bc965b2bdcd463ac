// The undo history on its own: steps back and forth, merging of one control's changes, the
// redo steps dropped by a new change, and the number of steps kept.
#include "explore/History.h"

#include <gtest/gtest.h>

namespace tarmel::explore {
namespace {

Sound withPitch(int pitch) {
    Sound s;
    s.pitch1 = static_cast<int16_t>(pitch);
    return s;
}

constexpr std::uintptr_t kPitchBar = 1;
constexpr std::uintptr_t kEnvelopeBar = 2;

TEST(History, UndoAndRedoWalkTheStepsAndANewChangeDropsTheRedoSteps) {
    const Sound start;
    History h(start);
    EXPECT_FALSE(h.undo());
    Sound a = start;
    a.attack = 700;
    Sound b = a;
    b.modulators[7].on = true;
    Sound c = b;
    c.play[2] = true;
    h.record(a, kEnvelopeBar);
    h.record(b, History::kWholeChange);
    h.record(b, kPitchBar); // unchanged: no step
    h.record(c, History::kWholeChange);
    EXPECT_EQ(h.undo(), b);
    EXPECT_EQ(h.undo(), a);
    EXPECT_EQ(h.undo(), start);
    EXPECT_FALSE(h.undo());
    EXPECT_EQ(h.redo(), a);
    EXPECT_EQ(h.redo(), b);
    EXPECT_EQ(h.undo(), a);
    // A change after an undo: b and c can no longer be redone.
    const Sound d = withPitch(200);
    h.record(d, kPitchBar);
    EXPECT_FALSE(h.canRedo());
    EXPECT_FALSE(h.redo());
    EXPECT_EQ(h.undo(), a);
    EXPECT_EQ(h.redo(), d);
}

TEST(History, OneControlsChangesInARowAreOneStepUntilSealedOrAnotherControlChanges) {
    History h(withPitch(98));
    for (int pitch = 99; pitch <= 150; ++pitch) { // a drag
        h.record(withPitch(pitch), kPitchBar);
    }
    EXPECT_EQ(h.undo(), withPitch(98));
    EXPECT_EQ(h.redo(), withPitch(150));
    // Undo ended the merge: the next drag of the same bar is a step of its own.
    h.record(withPitch(160), kPitchBar);
    h.record(withPitch(170), kPitchBar);
    h.seal();
    h.record(withPitch(180), kPitchBar);
    Sound other = withPitch(180);
    other.attack = 5;
    h.record(other, kEnvelopeBar);
    h.record(withPitch(190), kPitchBar); // back to the pitch bar: a new step
    h.record(withPitch(191), History::kWholeChange);
    h.record(withPitch(192), History::kWholeChange); // whole changes never merge
    for (int pitch : {191, 190}) {
        EXPECT_EQ(h.undo(), withPitch(pitch));
    }
    EXPECT_EQ(h.undo(), other);
    EXPECT_EQ(h.undo(), withPitch(180));
    EXPECT_EQ(h.undo(), withPitch(170));
    EXPECT_EQ(h.undo(), withPitch(150));
}

TEST(History, KeepsTheNewestCapacitySteps) {
    History h(withPitch(1));
    EXPECT_EQ(h.capacity(), 200U);
    for (int pitch = 2; pitch <= 251; ++pitch) {
        h.record(withPitch(pitch), History::kWholeChange);
    }
    int undone = 0;
    while (h.undo()) {
        ++undone;
    }
    EXPECT_EQ(undone, 200);
    EXPECT_EQ(h.current(), withPitch(51)); // 251 - 200
}

} // namespace
} // namespace tarmel::explore
