// The control table: every control reaches its own value and no other, at both ends of its range;
// its start values are the windows'; the words a screen reader speaks for a value. (The names,
// symbols and keys other programs read are checked where they read them: the plug-in's ports, the
// settings files' round trip and corpus, the windows' accessibility tests; the modulators' start by
// the document's closed window.)
#include "sound/Controls.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tarmel::sound {
namespace {

TEST(Controls, EachControlSetsItsOwnValueAtBothEndsAndNoOther) {
    for (const Control& c : controls()) {
        for (int value : {c.minimum, c.maximum}) {
            Controls changed;
            c.set(changed, value);
            EXPECT_EQ(c.get(changed), value) << c.symbol;
            // Every other control still reads its start value.
            const auto moved = std::ranges::count_if(
                controls(), [&](const Control& o) { return o.get(changed) != o.get(Controls{}); });
            EXPECT_EQ(moved, value == c.get(Controls{}) ? 0 : 1) << c.symbol;
        }
    }
}

// The start the plug-in and the match take (the table's start values) is the windows' start (the
// controls' defaults): a table that ticked the second Play box would differ only here.
TEST(Controls, StartValuesAreTheWindowsStartValues) {
    EXPECT_EQ(startControls(), Controls{});
}

// The words the windows' test does not hear: a positive offset's sign, and a ratio that divides
// (modulator 1 multiplies by its ratio, modulator 3 divides by it).
TEST(Controls, SpokenValuesSayTheUnit) {
    EXPECT_EQ(findSymbol("offset3")->spoken(0), "plus 0 hertz");
    EXPECT_EQ(findSymbol("o1m1_div")->spoken(8), "times 8");
    EXPECT_EQ(findSymbol("o1m3_div")->spoken(8), "divided by 8");
}

} // namespace
} // namespace tarmel::sound
