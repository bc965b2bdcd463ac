// The main window's side of FrmOsc2, FrmOsc3 and Dialog: showing them, their activation, the
// outputs their boxes and focus loss reset, and their modulators in the generated sound.
#include "AppTestSupport.h"

namespace tarmel::app::test {
namespace {

class SecondaryWindowsTest : public MainWindowTest {
protected:
    ui::OscillatorWindow* osc(int number) const {
        return window->windowSet().oscillator(number).existing();
    }
};

TEST_F(SecondaryWindowsTest, OscButtonsShowOneWindowEachAndPressingAgainKeepsIt) {
    click("CmdOsc2");
    ui::OscillatorWindow* first = osc(2);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->windowTitle(), QStringLiteral("Oscillator2"));
    first->panel().sliderFm(3)->setValue(7);
    click("CmdOsc2");
    EXPECT_EQ(osc(2), first);
    click("CmdOsc3");
    ASSERT_NE(osc(3), nullptr);
    EXPECT_TRUE(osc(3)->isVisible());
    EXPECT_EQ(osc(3)->windowTitle(), QStringLiteral("Oscilator3"));
    EXPECT_TRUE(record->calls.empty());

    // Hidden by exit (answered No) and shown again: the bar is where the user left it.
    click("CmdExit");
    EXPECT_FALSE(first->isVisible());
    click("CmdOsc2");
    EXPECT_EQ(osc(2), first);
    EXPECT_EQ(first->panel().sliderFm(3)->value(), 7);
}

TEST_F(SecondaryWindowsTest, HelpButtonShowsTheHelpWindowOnce) {
    click("Cmdhelp");
    ui::HelpDialog* help = window->windowSet().help().existing();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    click("Cmdhelp");
    EXPECT_EQ(window->windowSet().help().existing(), help);
}

TEST_F(SecondaryWindowsTest, ActivatingAnOscillatorWindowHidesKeyboardActive) {
    for (int number : {2, 3}) {
        click(number == 2 ? "CmdOsc2" : "CmdOsc3");
        activate(*osc(number));
        EXPECT_FALSE(label("Lblkeys")->isVisible()) << number;
        activate(*window);
        EXPECT_TRUE(label("Lblkeys")->isVisible()) << number;
    }
}

TEST_F(SecondaryWindowsTest, ModulatorBoxOfEitherWindowSetsAllFifteenOutputs) {
    click("CmdOsc2");
    click("CmdOsc3");
    for (int number : {2, 3}) {
        dirtyOutputs(4);
        osc(number)->panel().chkFm(2)->click();
        expectOutputsNeutral();
        dirtyOutputs(4);
        osc(number)->panel().chkFm(2)->click();
        EXPECT_FALSE(osc(number)->panel().chkFm(2)->isChecked());
        expectOutputsNeutral();
        EXPECT_TRUE(record->calls.empty());
    }
}

TEST_F(SecondaryWindowsTest, OscillatorTwoLosingTheFocusSetsTheOutputs) {
    click("CmdOsc2");
    dirtyOutputs();
    emit osc(2)->windowLostFocus();
    expectOutputsNeutral();
}

TEST_F(SecondaryWindowsTest, ClosingAnOscillatorWindowDiscardsItsSettingsAndSetsTheOutputs) {
    click("CmdOsc2");
    osc(2)->panel().chkFm(0)->setChecked(true);
    box("Check1(1)")->setChecked(true);
    click("Play");
    ASSERT_NE(window->synthState().modOut[5], 1.0);
    osc(2)->close();
    QApplication::processEvents();
    EXPECT_EQ(osc(2), nullptr);
    expectOutputsNeutral();

    // The next request reads a fresh window: oscillator 2 is a plain sine again.
    record->clear();
    click("Play");
    const auto expected = expectedWaves(currentParameters(98));
    EXPECT_EQ(calls(Kind::Write)[1].data, heard((*expected)[1]));
    ASSERT_NE(osc(2), nullptr);
    EXPECT_FALSE(osc(2)->isVisible());
}

TEST_F(SecondaryWindowsTest, AGenerationBeforeOsc3WasPressedCreatesItHidden) {
    ASSERT_EQ(osc(3), nullptr);
    click("Play");
    ASSERT_NE(osc(3), nullptr);
    EXPECT_FALSE(osc(3)->isVisible());
    ui::OscillatorWindow* made = osc(3);
    click("CmdOsc3");
    EXPECT_EQ(osc(3), made);
    EXPECT_TRUE(made->isVisible());
}

TEST_F(SecondaryWindowsTest, ModulatorsOfOscillatorWindowsShapeOscillatorsTwoAndThree) {
    click("CmdOsc2");
    click("CmdOsc3");
    ui::ModulatorPanel& two = osc(2)->panel();
    two.chkFm(1)->setChecked(true);
    two.sliderFm(1)->setValue(5);
    two.sliderharmon(1)->setValue(4);
    two.chkFm(3)->setChecked(true);
    two.sliderFm(3)->setValue(0);
    two.sliderFm(3)->setValue(3);
    ui::ModulatorPanel& three = osc(3)->panel();
    three.chkFm(3)->setChecked(true);
    three.sliderFm(3)->setValue(1);
    three.sliderharmon(3)->setValue(16);
    box("Check1(1)")->setChecked(true);
    box("Check1(2)")->setChecked(true);
    slider("VScroll3")->setValue(30);

    synth::Parameters p = currentParameters(98);
    p.modulator(2, 1) = {true, 5, 4};
    p.modulator(2, 3) = {true, 3, 2};
    p.modulator(3, 3) = {true, 1, 16};
    const auto expected = expectedWaves(p);
    click("Play");

    const auto writes = calls(Kind::Write);
    ASSERT_EQ(writes.size(), 3U);
    EXPECT_EQ(writes[1].data, heard((*expected)[1]));
    EXPECT_EQ(writes[2].data, heard((*expected)[2]));
    // The modulators change oscillators 2 and 3 only.
    const auto plain = expectedWaves(currentParameters(98));
    EXPECT_EQ(writes[0].data, heard((*plain)[0]));
    EXPECT_NE(writes[1].data, heard((*plain)[1]));
    EXPECT_NE(writes[2].data, heard((*plain)[2]));
}

} // namespace
} // namespace tarmel::app::test
