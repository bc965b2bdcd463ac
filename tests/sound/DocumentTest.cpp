// The rules of the sound's document, one by one, with a carried state whose outputs are all away
// from 1 and whose random generator is away from its start, so that a reset or a lost state shows.
#include "sound/Document.h"

#include <functional>
#include <gtest/gtest.h>
#include <stdexcept>
#include <tuple>
#include <vector>

namespace tarmel::sound {
namespace {

synth::SynthState carried() {
    synth::SynthState s;
    for (std::size_t k = 0; k < s.modOut.size(); ++k) {
        s.modOut[k] = -0.5 + 0.0625 * static_cast<double>(k);
    }
    s.random = synth::RandomGenerator({0x0123456789abcdefULL, 0.25f});
    return s;
}

synth::SynthState outputsReset(synth::SynthState s) {
    s.modOut.fill(1.0);
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

// Every path that changes a box, or asks for it, from a sound with every modulator on: a box set
// on its own (as a click, a key or a screen reader does), the controls as a whole (as undo, redo,
// random and mutate set them), reset, and a closed oscillator window, whose modulators go back to
// their start.
TEST_F(DocumentTest, EveryPathThatChangesABoxResetsTheOutputsAndKeepsTheNoise) {
    Controls allOn;
    for (auto& m : allOn.modulators) {
        m = {true, 7, 12};
    }
    Controls undone = allOn;
    undone.modulators[7].on = false;
    const std::vector<std::tuple<std::function<void()>, Change::Kind, bool>> cases{
        {[&] { document_.set(id("o2m3_on"), 0, 7); }, Change::Kind::Control, false},
        {[&] { document_.setControls(undone, true); }, Change::Kind::Whole, true},
        {[&] { document_.resetOutputs(); }, Change::Kind::Outputs, false},
        {[&] { document_.discardOscillator(2); }, Change::Kind::Whole, false}};
    for (const auto& [change, kind, fromHistory] : cases) {
        document_.open(allOn, carried());
        change();
        EXPECT_EQ(document_.state(), outputsReset(carried())) << changes_.size();
        EXPECT_EQ(changes_.back().kind, kind) << changes_.size();
        EXPECT_TRUE(changes_.back().outputsReset) << changes_.size();
        EXPECT_EQ(changes_.back().fromHistory, fromHistory) << changes_.size();
    }
    EXPECT_EQ(changes_[1].control, id("o2m3_on"));
    EXPECT_EQ(changes_[1].gesture, 7u);
    const synth::ModulatorSetting start{false, 2, 2};
    for (std::size_t k = 0; k < allOn.modulators.size(); ++k) {
        const bool second = k >= 5 && k < 10;
        EXPECT_EQ(document_.controls().modulators[k], second ? start : allOn.modulators[k]) << k;
    }
}

TEST_F(DocumentTest, BarsPitchesAndPlayBoxesKeepTheOutputs) {
    for (const char* symbol : {"pitch", "offset3", "attack", "play2", "o1m1_mul", "o3m5_div"}) {
        const Control& c = *findSymbol(symbol);
        document_.set(c.id, c.maximum);
        EXPECT_EQ(c.get(document_.controls()), c.maximum) << symbol;
    }
    Controls whole = document_.controls();
    whole.pitch1 = 1;
    whole.modulators[0].F = 0;
    document_.setControls(whole);
    EXPECT_EQ(document_.state(), carried());
    EXPECT_EQ(changes_.size(), 7u);
    for (const Change& c : changes_) {
        EXPECT_FALSE(c.outputsReset);
    }
}

TEST_F(DocumentTest, AnOpenedFileBringsItsOwnStateEvenWithOtherBoxes) {
    Controls file;
    file.modulators[4].on = true;
    synth::SynthState state = carried();
    state.modOut[4] = 0.125;
    document_.open(file, state);
    EXPECT_EQ(document_.controls(), file);
    EXPECT_EQ(document_.state(), state);
    EXPECT_EQ(changes_.back().kind, Change::Kind::Opened);
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
