// The search through its public door: Tarmel-made targets found exactly, the same result for the
// same seed whatever the threads, cancel and progress as the window will use them, and the moves
// that keep what is heard.
#include "match/Search.h"

#include "match/Variation.h"
#include "synth/Synthesizer.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

using namespace tarmel;

match::Target targetOf(const sound::Controls& c) {
    const std::vector<int16_t> heard = match::heardAtStart(c);
    return match::Target{std::vector<float>(heard.begin(), heard.end())};
}

// Sounds a user might make: one or two modulators, more than one oscillator.
std::vector<sound::Controls> madeSounds() {
    sound::Controls one = sound::startControls();
    one.pitch1 = 131;
    one.attack = 400;
    one.modulators[2] = {true, 3, 4}; // oscillator 1, modulator 3
    sound::Controls two = sound::startControls();
    two.pitch1 = 150;
    two.attack = 1200;
    two.modulators[2] = {true, 2, 4};
    two.modulators[3] = {true, 2, 4};
    return {one, two};
}

TEST(Search, FindsATargetMadeByTarmelExactlyWithASmallBudget) {
    for (const sound::Controls& made : madeSounds()) {
        const match::MatchResult r = match::matchSound(targetOf(made), {4000, 7, 2});
        EXPECT_TRUE(r.exact) << made.pitch1 << ": distance " << r.distance;
        EXPECT_EQ(match::heardAtStart(r.controls), match::heardAtStart(made));
        EXPECT_LE(r.renders, 4000);
    }
}

TEST(Search, GivesTheSameResultForTheSameSeedOnOneOrThreeThreads) {
    sound::Controls made = madeSounds()[1];
    made.pitch1 = 220;
    made.play[2] = true;
    made.offsets[1] = -37;
    made.modulators[12] = {true, 7, 3};
    const match::Target target = targetOf(made);
    const match::MatchResult one = match::matchSound(target, {600, 3, 1});
    const match::MatchResult three = match::matchSound(target, {600, 3, 3});
    EXPECT_EQ(one.controls, three.controls);
    EXPECT_EQ(one.distance, three.distance);
    EXPECT_EQ(one.renders, three.renders);
}

TEST(Search, ReportsProgressAndStopsWhenCancelledKeepingTheBestSoFar) {
    std::atomic<bool> cancel{false};
    std::vector<match::MatchProgress> seen;
    const match::MatchResult r = match::matchSound(
        targetOf(madeSounds()[1]), {25000, 1, 2},
        [&](const match::MatchProgress& p) {
            seen.push_back(p);
            cancel = seen.size() == 3;
        },
        &cancel);
    EXPECT_TRUE(r.cancelled);
    ASSERT_EQ(seen.size(), 3U);
    EXPECT_LT(seen[0].renders, seen[2].renders);
    EXPECT_GE(seen[0].bestDistance, seen[2].bestDistance);
    EXPECT_EQ(r.renders, seen[2].renders);
    EXPECT_EQ(r.distance, seen[2].bestDistance);
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
