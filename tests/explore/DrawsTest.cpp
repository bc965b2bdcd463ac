// Random and mutate over thousands of seeded draws: every value within its control's range, both
// ends of each range reached (random's pitch within the letter keys', from Z = 65 to P = 277 Hz),
// mutate within its limits, and the same draws again from the same seed.
#include "explore/Draws.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace tarmel::explore {
namespace {

// The smallest and the largest value seen of each control (by its symbol) or other count.
using Spans = std::map<std::string, std::pair<int, int>>;
void see(Spans& spans, const std::string& kind, int v) {
    const auto [it, fresh] = spans.try_emplace(kind, v, v);
    it->second = {std::min(it->second.first, v), std::max(it->second.second, v)};
}

// The ranges of the controls as the table gives them (checked against the windows' bars, the
// plug-in's ports and the render command's refusals); oscillator 1 is always heard.
Spans ranges() {
    Spans spans;
    for (const sound::Control& c : sound::controls()) {
        spans[c.symbol] = {c.minimum, c.maximum};
    }
    spans["play1"] = {1, 1};
    return spans;
}

// Random's sound, and mutate's from that sound or from one at either end of every range (where a
// step may not go further), in turns.
TEST(Draws, RandomAndMutateKeepEveryControlInItsRangeReachBothEndsAndRepeatFromTheSeed) {
    Draws draws(20261207), same(20261207);
    sound::Controls low, high; // every box ticked in both, so that mutate may move every bar
    for (const sound::Control& c : sound::controls()) {
        c.set(low, c.maximum == 1 ? 1 : c.minimum);
        c.set(high, c.maximum);
    }
    Spans random, mutated;
    std::set<int> counts;                      // of the values mutate changed
    std::map<sound::ControlKind, int> largest; // change of a control of each kind
    for (int i = 0; i < 20000; ++i) {
        const sound::Controls s = draws.random();
        ASSERT_EQ(same.random(), s) << "the same seed, the same draws";
        ASSERT_TRUE(s.play[0]) << "oscillator 1 is always heard";
        ASSERT_GE(s.pitch1 + std::min(s.offsets[0], s.offsets[1]), 20) << "too low to hear";
        for (std::size_t k = 0; k < s.modulators.size(); ++k) {
            ASSERT_EQ(s.modulators[k].H % 2, 0) << "ratios as the arrows step them";
            // A modulator on an oscillator not heard, or with a multiplier of 0, is silent.
            ASSERT_TRUE(!s.modulators[k].on || (s.play[k / 5] && s.modulators[k].F >= 1)) << k;
        }
        see(random, "modulators on",
            std::ranges::count_if(s.modulators, [](auto m) { return m.on; }));
        const sound::Controls from = i % 3 == 0 ? low : i % 3 == 1 ? high : s;
        const sound::Controls to = draws.mutate(from);
        ASSERT_EQ(same.mutate(from), to) << "the same seed, the same draws";
        int changed = 0;
        for (const sound::Control& c : sound::controls()) {
            see(random, c.symbol, c.get(s));
            see(mutated, c.symbol, c.get(to));
            const int by = std::abs(c.get(to) - c.get(from));
            changed += by != 0 ? 1 : 0;
            largest[c.kind] = std::max(largest[c.kind], by);
        }
        counts.insert(changed);
    }
    EXPECT_NE(Draws(20261208).random(), Draws(20261207).random()) << "another seed, other draws";
    Spans expected = ranges();
    expected["pitch"] = {65, 277};
    expected["modulators on"] = {1, 4};
    EXPECT_EQ(random, expected);
    EXPECT_EQ(mutated, ranges());
    EXPECT_EQ(counts, (std::set<int>{1, 2, 3}));
    // The limits Draws.h states, reached and never passed; the play boxes are left alone.
    using enum sound::ControlKind;
    const std::map<sound::ControlKind, int> limits{{Pitch, 12},   {Offset, 12}, {Envelope, 150},
                                                   {Multiply, 2}, {Divide, 2},  {Box, 1},
                                                   {Play, 0}};
    EXPECT_EQ(largest, limits);
}

} // namespace
} // namespace tarmel::explore
