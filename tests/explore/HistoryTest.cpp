// The undo history on its own: steps back and forth, merging of one control's changes, the
// redo steps dropped by a new change, and the number of steps kept.
#include "explore/History.h"

#include <gtest/gtest.h>

namespace tarmel::explore {
namespace {

sound::Controls withPitch(int pitch, int attack = 0) {
    return {.pitch1 = static_cast<int16_t>(pitch), .attack = static_cast<int16_t>(attack)};
}

constexpr std::uintptr_t kPitchBar = 1, kEnvelopeBar = 2;

TEST(History, OneControlsChangesInARowAreOneStepUntilSealedOrAnotherControlChanges) {
    History h(withPitch(98));
    h.record(withPitch(99), kPitchBar); // a drag
    h.record(withPitch(150), kPitchBar);
    EXPECT_EQ(h.undo(), withPitch(98));
    EXPECT_EQ(h.redo(), withPitch(150));
    // Undo ended the merge: the next drag of the same bar is a step of its own.
    h.record(withPitch(160), kPitchBar);
    h.record(withPitch(170), kPitchBar);
    h.seal();
    h.record(withPitch(180), kPitchBar);
    h.record(withPitch(180, 5), kEnvelopeBar);
    h.record(withPitch(190), kPitchBar); // back to the pitch bar: a new step
    h.record(withPitch(191), kPitchBar);
    for (const sound::Controls& s :
         {withPitch(180, 5), withPitch(180), withPitch(170), withPitch(150)}) {
        EXPECT_EQ(h.undo(), s);
    }
}

// An unchanged sound is no step, the newest 200 steps are kept and a new change drops the redo
// steps. (Walking back and forth through many steps is the window's undo test.)
TEST(History, KeepsTheNewest200StepsAndANewChangeDropsTheRedoSteps) {
    History h(withPitch(1));
    for (int pitch = 2; pitch <= 251; ++pitch) {
        h.record(withPitch(pitch), History::kWholeChange);
    }
    h.record(withPitch(251), kPitchBar); // unchanged: no step
    EXPECT_FALSE(h.redo());
    for (int i = 0; i < 200; ++i) {
        ASSERT_TRUE(h.undo()) << i;
    }
    EXPECT_FALSE(h.undo());
    EXPECT_EQ(h.current(), withPitch(51)); // 251 - 200
    EXPECT_EQ(h.redo(), withPitch(52));
    h.record(withPitch(300), kPitchBar);
    EXPECT_FALSE(h.redo());
    EXPECT_EQ(h.undo(), withPitch(52));
}

} // namespace
} // namespace tarmel::explore
