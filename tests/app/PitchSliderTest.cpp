// The pitch sliders: pitch1 from VScroll1, the offsets of VScroll2 and VScroll3, the read-outs.
#include "AppTestSupport.h"

namespace tarmel::app::test {
namespace {

TEST_F(MainWindowTest, NegativeOffsetGivesNegativePitchAndRewritesAllReadouts) {
    slider("VScroll1")->setValue(100);
    label("Lblos1(0)")->clear();
    label("Lblos1(2)")->clear();
    slider("VScroll2")->setValue(-170);
    EXPECT_EQ(window->pitch2(), -70);
    EXPECT_EQ(window->pitch1(), 100);
    EXPECT_EQ(window->pitch3(), 100);
    EXPECT_EQ(readouts(), (std::vector<QString>{"100", "-70", "100"}));
}

TEST_F(MainWindowTest, HighestPitchOfOscillatorTwoIs1170) {
    slider("VScroll2")->setValue(170);
    slider("VScroll1")->setValue(1000);
    EXPECT_EQ(window->pitch2(), 1170);
    EXPECT_EQ(readouts(), (std::vector<QString>{"1000", "1170", "1000"}));
}

TEST_F(MainWindowTest, PitchZeroShowsAsZero) {
    slider("VScroll1")->setValue(1);
    slider("VScroll3")->setValue(-1);
    EXPECT_EQ(window->pitch3(), 0);
    EXPECT_EQ(label("Lblos1(2)")->text(), QStringLiteral("0"));
}

TEST_F(MainWindowTest, MovingOscillatorOneMovesAllThreePitchesAndMakesNoSound) {
    slider("VScroll2")->setValue(12);
    slider("VScroll3")->setValue(-10);
    slider("VScroll1")->setValue(500);
    EXPECT_EQ(window->pitch1(), 500);
    EXPECT_EQ(window->pitch2(), 512);
    EXPECT_EQ(window->pitch3(), 490);
    EXPECT_EQ(readouts(), (std::vector<QString>{"500", "512", "490"}));
    EXPECT_TRUE(record->calls.empty());
}

TEST_F(MainWindowTest, MovingAnOffsetLeavesTheOtherPitchesAlone) {
    slider("VScroll3")->setValue(7);
    slider("VScroll2")->setValue(-3);
    EXPECT_EQ(window->pitch1(), 98);
    EXPECT_EQ(window->pitch2(), 95);
    EXPECT_EQ(window->pitch3(), 105);
    EXPECT_TRUE(record->calls.empty());
}

TEST_F(MainWindowTest, ArrowKeyOnFocusedPitchSliderChangesPitchWithoutSound) {
    slider("VScroll1")->setFocus();
    press(Qt::Key_Down);
    EXPECT_EQ(slider("VScroll1")->value(), 99);
    EXPECT_EQ(window->pitch1(), 99);
    EXPECT_EQ(label("Lblos1(0)")->text(), QStringLiteral("99"));
    EXPECT_TRUE(record->calls.empty());
}

} // namespace
} // namespace tarmel::app::test
