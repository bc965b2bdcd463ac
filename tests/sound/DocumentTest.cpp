// The rules of the sound's document, one by one, with a carried state whose outputs are all away
// from 1 and whose random generator is away from its start, so that a reset or a lost state shows.
#include "sound/Document.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace tarmel::sound {
namespace {

// The carried state: its outputs away from 1 and from each other, or all back at 1.
synth::SynthState carried(bool outputsReset = false) {
    synth::SynthState s;
    for (std::size_t k = 0; k < s.modOut.size(); ++k) {
        s.modOut[k] = outputsReset ? 1.0 : -0.5 + 0.0625 * static_cast<double>(k);
    }
    s.random = synth::RandomGenerator({0x0123456789abcdefULL, 0.25f});
    return s;
}

class DocumentTest : public ::testing::Test {
protected:
    DocumentTest() {
        document_.open(Controls{}, carried());
        document_.listen([this](const Change& c) { changes_.push_back(c); });
    }
    int id(const char* symbol) { return findSymbol(symbol)->id; }

    Document document_;
    std::vector<Change> changes_;
};

// Every path that changes the controls, from a sound with every modulator on: one control set on
// its own (as a click, a key or a screen reader does), the controls as a whole (as undo, redo,
// random and mutate set them), reset, and a closed oscillator window, whose modulators go back to
// their start. The outputs go back to 1 when a box changes or reset asks, and only then; the
// noise goes on.
TEST_F(DocumentTest, TheOutputsGoBackToOneOnlyWhenABoxChangesWhateverThePath) {
    Controls allOn;
    allOn.modulators.fill({true, 7, 12});
    Controls undone = allOn, moved = allOn;
    undone.modulators[7].on = false;
    moved.pitch1 = 1;
    moved.modulators[0].F = 0;
    using K = Change::Kind;
    // The change, and what the listeners are told: its kind, outputs reset, from the history.
    const std::vector<std::tuple<std::function<void()>, Change::Kind, bool, bool>> cases{
        {[&] { document_.set(id("o2m3_on"), 0, 7); }, K::Control, true, false},
        {[&] { document_.setControls(moved); }, K::Whole, false, false},
        {[&] { document_.setControls(undone, true); }, K::Whole, true, true},
        {[&] { document_.resetOutputs(); }, K::Outputs, true, false},
        {[&] { document_.discardOscillator(2); }, K::Whole, true, false},
        {[&] { document_.set(id("play2"), 1); }, K::Control, false, false},
        // A file brings its own state, whatever its boxes.
        {[&] { document_.open(Controls{}, carried()); }, K::Opened, false, false}};
    std::vector<Controls> after; // each change's controls
    for (const auto& [change, kind, reset, fromHistory] : cases) {
        document_.open(allOn, carried());
        change();
        after.push_back(document_.controls());
        const Change& told = changes_.back();
        EXPECT_EQ(document_.state(), carried(reset)) << changes_.size();
        EXPECT_EQ(std::tuple(told.kind, told.outputsReset, told.fromHistory),
                  std::tuple(kind, reset, fromHistory))
            << changes_.size();
    }
    EXPECT_EQ(std::tuple(changes_[1].control, changes_[1].gesture), std::tuple(id("o2m3_on"), 7u));
    // Oscillator 2's modulators at their start, off at times 2 and 2; the others as they were.
    Controls discarded = allOn;
    std::fill_n(discarded.modulators.begin() + 5, 5, synth::ModulatorSetting{false, 2, 2});
    EXPECT_EQ(after[4], discarded);
    EXPECT_TRUE(after[5].play[1]);
    EXPECT_EQ(document_.controls(), Controls{});
}

TEST_F(DocumentTest, ValuesOutsideAControlsRangeAreRefusedAndNothingIsTold) {
    for (const Control& c : controls()) {
        EXPECT_THROW(document_.set(c.id, c.minimum - 1), std::out_of_range) << c.symbol;
        EXPECT_THROW(document_.set(c.id, c.maximum + 1), std::out_of_range) << c.symbol;
    }
    // Equal values change nothing either.
    document_.set(id("pitch"), 98);
    document_.setControls(document_.controls());
    EXPECT_TRUE(changes_.empty());
    EXPECT_EQ(document_.controls(), Controls{});
    // The last values accepted.
    document_.set(id("o1m2_mul"), 2);
    document_.set(id("o1m2_mul"), 10);
    document_.set(id("offset2"), -170);
    EXPECT_EQ(changes_.size(), 2u);
}

} // namespace
} // namespace tarmel::sound
