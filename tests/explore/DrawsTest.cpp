// Random and mutate over thousands of seeded draws: every value within its control's range
// (the ranges as the controls and the letter keys give them: pitch 1..1000 with keys from Z = 65
// to P = 277 Hz, offsets -170..170, envelope 0..1500, multipliers 0..10 and 2..10 for the second
// modulator, ratios 2..16), both ends of each range reached, and mutate within its limits.
#include "explore/Draws.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace tarmel::explore {
namespace {

struct Span {
    int lo = 1 << 20;
    int hi = -(1 << 20);
    void see(int v) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
    }
};

// The values that differ between two sounds, each with how far it moved (a box: 1).
std::map<std::string, int> differences(const Sound& a, const Sound& b) {
    std::map<std::string, int> d;
    const auto note = [&d](const std::string& name, int x, int y) {
        if (x != y) {
            d[name] = std::abs(x - y);
        }
    };
    note("pitch", a.pitch1, b.pitch1);
    note("offset2", a.offsets[0], b.offsets[0]);
    note("offset3", a.offsets[1], b.offsets[1]);
    note("attack", a.attack, b.attack);
    for (int j = 0; j < 3; ++j) {
        note("play" + std::to_string(j), a.play[j], b.play[j]);
    }
    for (std::size_t k = 0; k < a.modulators.size(); ++k) {
        const std::string m = "m" + std::to_string(k);
        note(m + ".on", a.modulators[k].on, b.modulators[k].on);
        note(m + ".F", a.modulators[k].F, b.modulators[k].F);
        note(m + ".H", a.modulators[k].H, b.modulators[k].H);
    }
    return d;
}

void expectWithinControls(const Sound& s) {
    ASSERT_TRUE(s.pitch1 >= 1 && s.pitch1 <= 1000) << s.pitch1;
    ASSERT_TRUE(s.attack >= 0 && s.attack <= 1500) << s.attack;
    for (int16_t offset : s.offsets) {
        ASSERT_TRUE(offset >= -170 && offset <= 170) << offset;
    }
    for (std::size_t k = 0; k < s.modulators.size(); ++k) {
        const auto& m = s.modulators[k];
        ASSERT_TRUE(m.F >= (k % 5 == 1 ? 2 : 0) && m.F <= 10) << k << ": " << m.F;
        ASSERT_TRUE(m.H >= 2 && m.H <= 16) << k << ": " << m.H;
    }
}

TEST(Draws, RandomKeepsEveryControlInItsRangeAndReachesBothEnds) {
    Draws draws(20261207);
    Span pitch, offset, attack, first, second, ratio, on;
    for (int i = 0; i < 20000; ++i) {
        const Sound s = draws.random();
        expectWithinControls(s);
        pitch.see(s.pitch1);
        attack.see(s.attack);
        ASSERT_TRUE(s.play[0]) << "oscillator 1 is always heard";
        int count = 0;
        for (std::size_t j = 0; j < 2; ++j) {
            offset.see(s.offsets[j]);
            ASSERT_GE(s.pitch1 + s.offsets[j], 20) << "a pitch too low to hear";
        }
        for (std::size_t k = 0; k < s.modulators.size(); ++k) {
            const auto& m = s.modulators[k];
            (k % 5 == 1 ? second : first).see(m.F);
            ratio.see(m.H);
            ASSERT_EQ(m.H % 2, 0) << "ratios as the arrows step them";
            if (m.on) {
                ++count;
                ASSERT_TRUE(s.play[k / 5]) << "a modulator on an oscillator not heard";
                ASSERT_GE(m.F, 1) << "a multiplier of 0 silences";
            }
        }
        on.see(count);
    }
    EXPECT_EQ(std::pair(pitch.lo, pitch.hi), std::pair(65, 277));
    EXPECT_EQ(std::pair(offset.lo, offset.hi), std::pair(-170, 170));
    EXPECT_EQ(std::pair(attack.lo, attack.hi), std::pair(0, 1500));
    EXPECT_EQ(std::pair(first.lo, first.hi), std::pair(0, 10));
    EXPECT_EQ(std::pair(second.lo, second.hi), std::pair(2, 10));
    EXPECT_EQ(std::pair(ratio.lo, ratio.hi), std::pair(2, 16));
    EXPECT_EQ(std::pair(on.lo, on.hi), std::pair(1, 4));
}

TEST(Draws, MutateChangesOneToThreeValuesALittleWithinTheirRanges) {
    Draws draws(7);
    // Sounds at both ends of every range, where a step may not go further, and random ones.
    Sound low;
    low.pitch1 = 1;
    low.offsets = {-170, -170};
    low.play = {true, true, true};
    for (std::size_t k = 0; k < low.modulators.size(); ++k) {
        low.modulators[k] = {true, static_cast<int16_t>(k % 5 == 1 ? 2 : 0), 2};
    }
    Sound high = low;
    high.pitch1 = 1000;
    high.offsets = {170, 170};
    high.attack = 1500;
    for (auto& m : high.modulators) {
        m = {true, 10, 16};
    }
    Span changes;
    std::map<std::string, int> largest;
    for (int i = 0; i < 20000; ++i) {
        const Sound from = i % 3 == 0 ? low : i % 3 == 1 ? high : draws.random();
        const Sound to = draws.mutate(from);
        expectWithinControls(to);
        const auto d = differences(from, to);
        changes.see(static_cast<int>(d.size()));
        for (const auto& [name, by] : d) {
            const std::string kind = name.starts_with("m") ? name.substr(name.find('.')) : name;
            largest[kind] = std::max(largest[kind], by);
        }
    }
    EXPECT_EQ(std::pair(changes.lo, changes.hi), std::pair(1, 3));
    // The limits Draws.h states, reached and never passed; the play boxes are left alone.
    const std::map<std::string, int> limits{{"pitch", 12},   {"offset2", 12}, {"offset3", 12},
                                            {"attack", 150}, {".F", 2},       {".H", 2},
                                            {".on", 1}};
    EXPECT_EQ(largest, limits);
}

TEST(Draws, TheSameSeedGivesTheSameDraws) {
    Draws a(123456789), b(123456789), c(123456790);
    bool differs = false;
    for (int i = 0; i < 100; ++i) {
        const Sound x = a.random();
        ASSERT_EQ(x, b.random());
        differs = differs || x != c.random();
        ASSERT_EQ(a.mutate(x), b.mutate(x));
    }
    EXPECT_TRUE(differs);
}

} // namespace
} // namespace tarmel::explore
