// Random and mutate over thousands of seeded draws: every value within its control's range
// (the ranges as the controls and the letter keys give them: pitch 1..1000 with keys from Z = 65
// to P = 277 Hz, offsets -170..170, envelope 0..1500, multipliers 0..10 and 2..10 for the second
// modulator, ratios 2..16), both ends of each range reached, mutate within its limits, and the
// same draws again from the same seed.
#include "explore/Draws.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <string>

namespace tarmel::explore {
namespace {

// The smallest and the largest value seen of each kind.
using Spans = std::map<std::string, std::pair<int, int>>;
void see(Spans& spans, const std::string& kind, int v) {
    const auto [it, fresh] = spans.try_emplace(kind, v, v);
    it->second = {std::min(it->second.first, v), std::max(it->second.second, v)};
}

// The ranges of the controls, from the window (see the top).
const Spans kControls{{"pitch", {1, 1000}}, {"offset", {-170, 170}}, {"attack", {0, 1500}},
                      {"play", {0, 1}},     {"on", {0, 1}},          {"F", {0, 10}},
                      {"F2", {2, 10}},      {"H", {2, 16}}};

// Every value of a sound with its kind, in a fixed order.
using Values = std::vector<std::pair<std::string, int>>;
Values values(const sound::Controls& s) {
    Values v{{"pitch", s.pitch1}, {"offset", s.offsets[0]}, {"offset", s.offsets[1]}};
    v.emplace_back("attack", s.attack);
    for (bool play : s.play) {
        v.emplace_back("play", play);
    }
    for (std::size_t k = 0; k < s.modulators.size(); ++k) {
        v.emplace_back("on", s.modulators[k].on);
        v.emplace_back(k % 5 == 1 ? "F2" : "F", s.modulators[k].F);
        v.emplace_back("H", s.modulators[k].H);
    }
    return v;
}

TEST(Draws, RandomKeepsEveryControlInItsRangeAndReachesBothEnds) {
    Draws draws(20261207), same(20261207), other(20261208);
    Spans spans;
    bool differs = false;
    for (int i = 0; i < 20000; ++i) {
        const sound::Controls s = draws.random();
        ASSERT_EQ(same.random(), s) << "the same seed, the same draws";
        differs = differs || other.random() != s;
        for (const auto& [kind, v] : values(s)) {
            see(spans, kind, v);
        }
        ASSERT_TRUE(s.play[0]) << "oscillator 1 is always heard";
        ASSERT_GE(s.pitch1 + std::min(s.offsets[0], s.offsets[1]), 20) << "too low to hear";
        for (std::size_t k = 0; k < s.modulators.size(); ++k) {
            ASSERT_EQ(s.modulators[k].H % 2, 0) << "ratios as the arrows step them";
            // A modulator on an oscillator not heard, or with a multiplier of 0, is silent.
            ASSERT_TRUE(!s.modulators[k].on || (s.play[k / 5] && s.modulators[k].F >= 1)) << k;
        }
        see(spans, "modulators on",
            std::ranges::count_if(s.modulators, [](auto m) { return m.on; }));
    }
    EXPECT_TRUE(differs) << "another seed, other draws";
    Spans expected = kControls;
    expected["pitch"] = {65, 277};
    expected["modulators on"] = {1, 4};
    EXPECT_EQ(spans, expected);
}

TEST(Draws, MutateChangesOneToThreeValuesALittleWithinTheirRanges) {
    Draws draws(7), same(7), sounds(8);
    // Sounds at both ends of every range, where a step may not go further, and random ones.
    sound::Controls low{.pitch1 = 1, .offsets = {-170, -170}, .play = {true, true, true}};
    sound::Controls high{.pitch1 = 1000, .offsets = {170, 170}, .attack = 1500, .play = low.play};
    for (std::size_t k = 0; k < low.modulators.size(); ++k) {
        low.modulators[k] = {true, static_cast<int16_t>(k % 5 == 1 ? 2 : 0), 2};
        high.modulators[k] = {true, 10, 16};
    }
    Spans spans;
    std::set<int> counts; // of the values changed
    std::map<std::string, int> largest;
    for (int i = 0; i < 20000; ++i) {
        const sound::Controls sound = i % 3 == 0 ? low : i % 3 == 1 ? high : sounds.random();
        const sound::Controls mutated = draws.mutate(sound);
        ASSERT_EQ(same.mutate(sound), mutated) << "the same seed, the same draws";
        const Values from = values(sound), to = values(mutated);
        int changed = 0;
        for (std::size_t j = 0; j < to.size(); ++j) {
            see(spans, to[j].first, to[j].second);
            const int by = std::abs(to[j].second - from[j].second);
            changed += by != 0 ? 1 : 0;
            largest[to[j].first] = std::max(largest[to[j].first], by);
        }
        counts.insert(changed);
    }
    EXPECT_EQ(spans, kControls);
    EXPECT_EQ(counts, (std::set<int>{1, 2, 3}));
    // The limits Draws.h states, reached and never passed; the play boxes are left alone.
    const std::map<std::string, int> limits{{"pitch", 12}, {"offset", 12}, {"attack", 150},
                                            {"F", 2},      {"F2", 2},      {"H", 2},
                                            {"on", 1},     {"play", 0}};
    EXPECT_EQ(largest, limits);
}

} // namespace
} // namespace tarmel::explore
