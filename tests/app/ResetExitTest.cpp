// Reset, exit (the "Exit" button and the close box) and the main window's modulator boxes.
#include "AppTestSupport.h"

namespace tarmel::app::test {
namespace {

class ResetExitTest : public MainWindowTest {
protected:
    // Stops of the three old buffers, then InitSound's fresh objects.
    void expectBuffersRenewed() const {
        std::vector<Kind> kinds;
        for (const SoundCall& c : record->calls) {
            kinds.push_back(c.kind);
        }
        EXPECT_EQ(kinds,
                  (std::vector<Kind>{Kind::Stop, Kind::Stop, Kind::Stop, Kind::CreateDevice,
                                     Kind::CreateBuffer, Kind::CreateBuffer, Kind::CreateBuffer}));
        EXPECT_EQ(objectsOf(Kind::Stop), (std::vector<int>{buffers[0], buffers[1], buffers[2]}));
        EXPECT_EQ(record->devicesAlive, 1);
        EXPECT_EQ(record->buffersAlive, 3);
    }
};

TEST_F(ResetExitTest, ResetStopsRenewsTheBuffersAndSetsTheOutputsOnly) {
    dirtyOutputs();
    slider("VScroll2")->setValue(5);
    box("Check1(2)")->setChecked(true);
    click("CmdReset");
    expectBuffersRenewed();
    expectOutputsNeutral();
    EXPECT_EQ(window->pitch2(), 103);
    EXPECT_TRUE(box("Check1(2)")->isChecked());
    EXPECT_FALSE(window->Timer2()->isActive());
    EXPECT_EQ(prompts->exitQuestions, 0);
}

TEST_F(ResetExitTest, MainWindowModulatorBoxSetsAllFifteenOutputsAndMakesNoSound) {
    dirtyOutputs();
    QTest::mouseClick(box("ChkFm(3)"), Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(box("ChkFm(3)")->isChecked());
    expectOutputsNeutral();
    dirtyOutputs();
    box("ChkFm(3)")->click();
    EXPECT_FALSE(box("ChkFm(3)")->isChecked());
    expectOutputsNeutral();
    EXPECT_TRUE(record->calls.empty());
}

TEST_F(ResetExitTest, ExitAnsweredNoHidesTheWindowsRenewsTheSoundAndGoesOn) {
    click("CmdOsc2");
    click("Cmdhelp");
    dirtyOutputs();
    click("CmdExit");
    EXPECT_EQ(prompts->exitQuestions, 1);
    EXPECT_FALSE(prompts->endedWith.has_value());
    expectBuffersRenewed();
    expectOutputsNeutral();
    WindowSet& set = window->windowSet();
    ASSERT_NE(set.oscillator(2).existing(), nullptr);
    EXPECT_FALSE(set.oscillator(2).existing()->isVisible());
    EXPECT_FALSE(set.help().existing()->isVisible());
    EXPECT_TRUE(window->isVisible());

    rememberBuffers();
    record->clear();
    click("Play");
    EXPECT_EQ(objectsOf(Kind::Play), std::vector<int>{buffers[0]});
}

TEST_F(ResetExitTest, ExitCreatesNeverOpenedWindowsHiddenAndStillAsks) {
    WindowSet& set = window->windowSet();
    ASSERT_EQ(set.oscillator(3).existing(), nullptr);
    click("CmdExit");
    for (QWidget* w : std::vector<QWidget*>{set.oscillator(2).existing(),
                                            set.oscillator(3).existing(), set.help().existing()}) {
        ASSERT_NE(w, nullptr);
        EXPECT_FALSE(w->isVisible());
    }
    EXPECT_EQ(prompts->exitQuestions, 1);
}

TEST_F(ResetExitTest, ExitAnsweredNoLeavesARepetitionRunning) {
    click("Cmdstart");
    click("CmdExit");
    EXPECT_TRUE(window->Timer2()->isActive());
    click("Cmdstop");
}

TEST_F(ResetExitTest, ExitAnsweredYesEndsTheProgramWithStatusZeroAndNothingMoreRuns) {
    prompts->answerYes = true;
    click("Cmdstart");
    click("CmdExit");
    EXPECT_EQ(prompts->endedWith, 0);
    EXPECT_FALSE(window->Timer2()->isActive());
    record->clear();
    click("Play");
    press(Qt::Key_D);
    EXPECT_TRUE(record->calls.empty());
}

TEST_F(ResetExitTest, CloseBoxAsksTheSameQuestionAndNoKeepsTheWindow) {
    EXPECT_FALSE(window->close());
    EXPECT_EQ(prompts->exitQuestions, 1);
    EXPECT_TRUE(window->isVisible());
    expectBuffersRenewed();
    EXPECT_FALSE(prompts->endedWith.has_value());
}

TEST_F(ResetExitTest, CloseBoxAnsweredYesEndsTheProgramWithStatusZero) {
    prompts->answerYes = true;
    EXPECT_TRUE(window->close());
    EXPECT_EQ(prompts->endedWith, 0);
}

TEST_F(ResetExitTest, FailingSoundOnExitIsShownAndTheQuestionStillComes) {
    record->failOn = Kind::Stop;
    click("CmdExit");
    EXPECT_EQ(prompts->errors.size(), 1U);
    EXPECT_EQ(prompts->exitQuestions, 1);
    expectOutputsNeutral();
}

TEST_F(ResetExitTest, FailingResetIsShownAndTheOldBuffersStayUsable) {
    record->failOn = Kind::CreateDevice;
    click("CmdReset");
    ASSERT_EQ(prompts->errors.size(), 1U);
    EXPECT_TRUE(prompts->errors[0].contains(QStringLiteral("opening the sound device failed")));
    record->clear();
    click("Play");
    EXPECT_EQ(objectsOf(Kind::Play), std::vector<int>{buffers[0]});
}

} // namespace
} // namespace tarmel::app::test
