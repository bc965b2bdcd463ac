// The control table: every control reaches its own value and no other, at both ends of its range,
// and the names, symbols and keys other programs read are unique and well formed.
#include "sound/Controls.h"

#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <tuple>

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
    }
}

// The start values the windows open with: every modulator off at times 2 and 2 (the pitch,
// envelope and play boxes are pinned by the render command's test of Controls{}).
TEST(Controls, StartValuesAreTheWindowsStartValues) {
    for (const auto& m : startControls().modulators) {
        EXPECT_EQ(m, (synth::ModulatorSetting{false, 2, 2}));
    }
    EXPECT_EQ(startControls(), Controls{});
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

// The names other programs and the windows use for one modulator's controls, from the windows'
// forms (ChkFm), the settings file's manual page and the plug-in's symbols.
TEST(Controls, ModulatorControlsAreFoundByPlace) {
    const Control& box = control(modulatorControl(ControlKind::Box, 2, 3));
    EXPECT_EQ(std::tuple(box.window, box.widget, box.name),
              std::tuple(2, "ChkFm(2)", "Modulator 3 of oscillator 2"));
    EXPECT_EQ(control(modulatorControl(ControlKind::Multiply, 3, 5)).key,
              "oscillator3.modulator5.multiplier");
    EXPECT_EQ(control(modulatorControl(ControlKind::Divide, 1, 1)).symbol, "o1m1_div");
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

} // namespace
} // namespace tarmel::sound
