// The search through its public door: the same result for the same seed whatever the threads,
// within the budget, cancel and progress as the window will use them, and the moves that keep
// what is heard.
#include "match/Search.h"

#include "match/Variation.h"
#include "synth/Synthesizer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace tarmel;

// A sound a user might make: two modulators on oscillator 1, and oscillator 3 heard with a
// modulator of its own, as the search hears it. (That sounds with one or two modulators are found
// exactly is the match command's test.)
match::Target madeTarget() {
    sound::Controls made = sound::startControls();
    made.pitch1 = 220;
    made.attack = 1200;
    made.modulators[2] = {true, 2, 4};
    made.modulators[3] = {true, 2, 4};
    made.play[2] = true;
    made.offsets[1] = -37;
    made.modulators[12] = {true, 7, 3};
    const std::vector<int16_t> heard = match::heardAtStart(made);
    return match::Target{std::vector<float>(heard.begin(), heard.end())};
}

TEST(Search, GivesTheSameResultForTheSameSeedOnOneOrThreeThreads) {
    const match::Target target = madeTarget();
    const match::MatchResult one = match::matchSound(target, {600, 3, 1});
    const match::MatchResult three = match::matchSound(target, {600, 3, 3});
    EXPECT_EQ(one.controls, three.controls);
    EXPECT_EQ(one.renders, three.renders);
    EXPECT_LE(one.renders, 600) << "the budget";
}

TEST(Search, ReportsProgressAndStopsWhenCancelledKeepingTheBestSoFar) {
    std::atomic<bool> cancel{false};
    std::vector<match::MatchProgress> seen;
    const match::MatchResult r = match::matchSound(
        madeTarget(), {25000, 1, 2},
        [&](const match::MatchProgress& p) {
            seen.push_back(p);
            cancel = seen.size() == 3;
        },
        &cancel);
    EXPECT_TRUE(r.cancelled);
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_LT(seen[0].renders, seen[2].renders);
    EXPECT_GE(seen[0].bestDistance, seen[2].bestDistance);
    EXPECT_EQ(std::pair(r.renders, r.distance), std::pair(seen[2].renders, seen[2].bestDistance));
}

TEST(Variation, MovesStayInRangeAndTheCanonicalFormSoundsTheSame) {
    match::Random random(5);
    for (int i = 0; i < 12; ++i) {
        const sound::Controls c = match::mutated(match::randomSound(random, {150}, 700), random);
        for (const sound::Controls& n : match::neighbours(c)) {
            for (const sound::Control& control : sound::controls()) {
                ASSERT_TRUE(control.accepts(control.get(n))) << control.symbol;
            }
        }
        EXPECT_EQ(match::heardAtStart(match::canonical(c)), match::heardAtStart(c));
    }
}

} // namespace
