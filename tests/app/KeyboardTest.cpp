// The letter keys of the main window: each sets pitch1 and oscillator 1's slider and generates at
// once, whichever control has the focus; other keys and other windows make no sound.
#include "AppTestSupport.h"
#include "ui/KeyMap.h"

#include <QKeyEvent>

namespace tarmel::app::test {
namespace {

class KeyboardTest : public MainWindowTest {
protected:
    // One generation: all three buffers written, then buffer 1 started (only box 1 is ticked).
    void expectOneGeneration(const std::string& what) const {
        EXPECT_EQ(objectsOf(Kind::Write), (std::vector<int>{buffers[0], buffers[1], buffers[2]}))
            << what;
        EXPECT_EQ(objectsOf(Kind::Play), std::vector<int>{buffers[0]}) << what;
    }

    void expectNothingHappened(const std::string& what) const {
        EXPECT_TRUE(record->calls.empty()) << what;
        EXPECT_EQ(window->pitch1(), 98) << what;
        EXPECT_EQ(slider("VScroll1")->value(), 98) << what;
    }
};

TEST_F(KeyboardTest, EveryLetterSetsItsPitchMovesTheSliderAndPlays) {
    for (const ui::KeyPitch& row : ui::kKeyMap) {
        record->clear();
        press(row.key);
        const std::string key(1, static_cast<char>(row.key));
        EXPECT_EQ(window->pitch1(), row.pitch) << key;
        EXPECT_EQ(slider("VScroll1")->value(), row.pitch) << key;
        EXPECT_EQ(label("Lblos1(0)")->text(), QString::number(row.pitch)) << key;
        expectOneGeneration(key);
    }
}

TEST_F(KeyboardTest, KeyDFollowsTheOffsetsOfOscillatorsTwoAndThree) {
    slider("VScroll2")->setValue(12);
    slider("VScroll3")->setValue(-10);
    record->clear();
    press(Qt::Key_D);
    EXPECT_EQ(window->pitch1(), 110);
    EXPECT_EQ(window->pitch2(), 122);
    EXPECT_EQ(window->pitch3(), 100);
    EXPECT_EQ(readouts(), (std::vector<QString>{"110", "122", "100"}));
    const auto expected = expectedWaves(currentParameters(110));
    const auto writes = calls(Kind::Write);
    ASSERT_EQ(writes.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(writes[i].data, heard((*expected)[i])) << "oscillator " << i + 1;
    }
}

TEST_F(KeyboardTest, ShiftAndCtrlAndLowerCaseGiveTheSamePitch) {
    press(Qt::Key_P, Qt::ShiftModifier);
    EXPECT_EQ(window->pitch1(), 277);
    press(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->pitch1(), 65);
    press(Qt::Key_D, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(window->pitch1(), 110);
    QTest::keyClick(QApplication::focusWidget(), 'q');
    EXPECT_EQ(window->pitch1(), 164);
    EXPECT_EQ(calls(Kind::Play).size(), 4U);
}

TEST_F(KeyboardTest, LetterWorksWhateverControlHasTheFocus) {
    for (QWidget* focus : std::vector<QWidget*>{slider("VScroll2"), box("Check1(1)"),
                                                bar("sliderharmon(2)"), button("Cmdstop")}) {
        const std::string name = focus->objectName().toStdString();
        focus->setFocus();
        ASSERT_EQ(QApplication::focusWidget(), focus) << name;
        record->clear();
        press(Qt::Key_K);
        EXPECT_EQ(window->pitch1(), 146) << name;
        expectOneGeneration(name);
        // The key went on to the control, which ignores letters.
        EXPECT_FALSE(box("Check1(1)")->isChecked()) << name;
        EXPECT_FALSE(window->Timer2()->isActive()) << name;
    }
}

TEST_F(KeyboardTest, LetterOnTheWindowItselfPlays) {
    QApplication::focusWidget()->clearFocus();
    ASSERT_EQ(window->focusWidget(), nullptr);
    QTest::keyClick(window.get(), Qt::Key_A);
    EXPECT_EQ(window->pitch1(), 98);
    expectOneGeneration("A on the window");
}

TEST_F(KeyboardTest, KeyAAtTheSamePitchStillPlays) {
    press(Qt::Key_A);
    expectOneGeneration("A");
}

TEST_F(KeyboardTest, AutoRepeatedKeyDownsEachMakeARequest) {
    QWidget* target = QApplication::focusWidget();
    for (int i = 0; i < 3; ++i) {
        QKeyEvent down(QEvent::KeyPress, Qt::Key_S, Qt::NoModifier, QStringLiteral("s"), i > 0);
        QApplication::sendEvent(target, &down);
    }
    EXPECT_EQ(window->pitch1(), 104);
    EXPECT_EQ(calls(Kind::Write).size(), 9U);
    EXPECT_EQ(calls(Kind::Play).size(), 3U);
}

TEST_F(KeyboardTest, NonLetterKeysDoNothing) {
    bar("Sliderattack")->setFocus();
    for (int key : {int(Qt::Key_1), int(Qt::Key_0), int(Qt::Key_Space), int(Qt::Key_Comma),
                    int(Qt::Key_F1), int(Qt::Key_Return), int(Qt::Key_Escape)}) {
        press(key);
        expectNothingHappened("key " + std::to_string(key));
    }
    // An arrow still moves the focused bar, as the bar itself does, and plays nothing.
    press(Qt::Key_Down);
    EXPECT_EQ(bar("Sliderattack")->value(), 1);
    expectNothingHappened("arrow");
}

TEST_F(KeyboardTest, ArrowOnFocusedPitchSliderIsNotTakenByTheKeyMap) {
    slider("VScroll3")->setFocus();
    press(Qt::Key_Up);
    EXPECT_EQ(slider("VScroll3")->value(), -1);
    EXPECT_TRUE(record->calls.empty());
}

TEST_F(KeyboardTest, LettersTypedInAnotherWindowPlayNothing) {
    click("CmdOsc2");
    ui::OscillatorWindow* osc2 = window->windowSet().oscillator(2).existing();
    ASSERT_NE(osc2, nullptr);
    activate(*osc2);
    record->clear();
    press(Qt::Key_D);
    QTest::keyClick(osc2, Qt::Key_D);
    expectNothingHappened("D in FrmOsc2");
}

} // namespace
} // namespace tarmel::app::test
