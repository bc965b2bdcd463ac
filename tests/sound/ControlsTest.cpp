// The control table: every control reaches its own value and no other, at both ends of its range,
// and the names, symbols and keys other programs read are unique and well formed.
#include "sound/Controls.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>

namespace tarmel::sound {
namespace {

TEST(Controls, EachControlSetsItsOwnValueAtBothEndsAndNoOther) {
    ASSERT_EQ(controls().size(), 52u);
    for (const Control& c : controls()) {
        SCOPED_TRACE(c.symbol);
        for (int value : {c.minimum, c.maximum}) {
            Controls changed;
            c.set(changed, value);
            EXPECT_EQ(c.get(changed), value);
            // Every other control still reads its start value.
            for (const Control& other : controls()) {
                if (other.id != c.id) {
                    EXPECT_EQ(other.get(changed), other.get(Controls{})) << other.symbol;
                }
            }
        }
        EXPECT_TRUE(c.accepts(c.minimum));
        EXPECT_TRUE(c.accepts(c.maximum));
        EXPECT_FALSE(c.accepts(c.minimum - 1));
        EXPECT_FALSE(c.accepts(c.maximum + 1));
    }
}

TEST(Controls, StartValuesAreTheWindowsStartValues) {
    // The start values the windows open with: pitch 98, oscillator 1 playing, every modulator
    // off at times 2 and 2.
    const Controls start = startControls();
    EXPECT_EQ(start.pitch1, 98);
    EXPECT_EQ(start.attack, 0);
    EXPECT_EQ(start.play, (std::array<bool, 3>{true, false, false}));
    for (const auto& m : start.modulators) {
        EXPECT_EQ(m, (synth::ModulatorSetting{false, 2, 2}));
    }
    EXPECT_EQ(start, Controls{});
}

TEST(Controls, SymbolsKeysAndWidgetsAreUniqueAndFound) {
    std::set<std::string> symbols, keys, widgets;
    const std::regex identifier("[a-z][a-z0-9_]*");
    for (const Control& c : controls()) {
        EXPECT_TRUE(std::regex_match(c.symbol, identifier)) << c.symbol;
        EXPECT_TRUE(symbols.insert(c.symbol).second) << c.symbol;
        EXPECT_TRUE(keys.insert(c.key).second) << c.key;
        EXPECT_TRUE(widgets.insert(std::to_string(c.window) + c.widget).second) << c.widget;
        EXPECT_EQ(findSymbol(c.symbol), &c);
        EXPECT_EQ(findKey(c.key), &c);
        EXPECT_EQ(findWidget(c.window, c.widget), &c);
        EXPECT_FALSE(c.name.empty());
    }
    EXPECT_EQ(findSymbol("nothing"), nullptr);
    EXPECT_EQ(findWidget(2, "VScroll1"), nullptr); // only the main window has pitch sliders
}

TEST(Controls, ModulatorControlsAreFoundByPlace) {
    // Modulator 3 of oscillator 2: its box sits in window 2 as ChkFm(2).
    const Control& box = control(modulatorControl(ControlKind::Box, 2, 3));
    EXPECT_EQ(box.widget, "ChkFm(2)");
    EXPECT_EQ(box.window, 2);
    EXPECT_EQ(box.name, "Modulator 3 of oscillator 2");
    EXPECT_EQ(control(modulatorControl(ControlKind::Multiply, 3, 5)).key,
              "oscillator3.modulator5.multiplier");
    EXPECT_EQ(control(modulatorControl(ControlKind::Divide, 1, 1)).symbol, "o1m1_div");
    // Only modulator 2's multiplier stops at 2.
    EXPECT_EQ(control(modulatorControl(ControlKind::Multiply, 1, 2)).minimum, 2);
    EXPECT_EQ(control(modulatorControl(ControlKind::Multiply, 1, 3)).minimum, 0);
}

TEST(Controls, SpokenValuesSayTheUnit) {
    EXPECT_EQ(findSymbol("pitch")->spoken(98), "98 hertz");
    EXPECT_EQ(findSymbol("offset2")->spoken(-12), "minus 12 hertz");
    EXPECT_EQ(findSymbol("offset3")->spoken(0), "plus 0 hertz");
    EXPECT_EQ(findSymbol("attack")->spoken(300), "attack 300 of 1500");
    EXPECT_EQ(findSymbol("o1m1_mul")->spoken(4), "times 4");
    // Modulator 1 multiplies by its ratio, modulator 3 divides by it.
    EXPECT_EQ(findSymbol("o1m1_div")->spoken(8), "times 8");
    EXPECT_EQ(findSymbol("o1m3_div")->spoken(8), "divided by 8");
}

TEST(Controls, GenerationPitchesArePitchOnePlusOffsets) {
    Controls c;
    c.pitch1 = 1000;
    c.offsets = {170, -170};
    const synth::Parameters p = parametersOf(c);
    EXPECT_EQ(p.pitch1, 1000);
    EXPECT_EQ(p.pitch2, 1170);
    EXPECT_EQ(p.pitch3, 830);
}

} // namespace
} // namespace tarmel::sound
