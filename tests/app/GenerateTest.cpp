// The generate request: all three buffers receive exactly the computed samples, the ticked ones
// start, and a failing request tells the user and leaves the program working.
#include "AppTestSupport.h"

namespace tarmel::app::test {
namespace {

TEST_F(MainWindowTest, GenerateWritesTheComputedSecondToEveryBufferAndStartsTheTickedOne) {
    bar("Sliderattack")->setValue(300);
    slider("VScroll2")->setValue(-20);
    slider("VScroll3")->setValue(45);
    box("ChkFm(2)")->setChecked(true);
    bar("sliderFm(2)")->setValue(3);
    const auto expected = expectedWaves(currentParameters(98));

    click("Play");

    std::vector<Kind> kinds;
    for (const SoundCall& c : record->calls) {
        kinds.push_back(c.kind);
    }
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::Write, Kind::Write, Kind::Write, Kind::Play}));
    const auto writes = calls(Kind::Write);
    ASSERT_EQ(writes.size(), 3U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(writes[i].object, buffers[i]);
        EXPECT_EQ(writes[i].start, 0);
        EXPECT_EQ(writes[i].size, 88200);
        EXPECT_EQ(writes[i].flags, 0);
        EXPECT_EQ(writes[i].data, heard((*expected)[i])) << "oscillator " << i + 1;
        EXPECT_EQ(window->waves()[i], (*expected)[i]) << "oscillator " << i + 1;
    }
    const auto plays = calls(Kind::Play);
    ASSERT_EQ(plays.size(), 1U);
    EXPECT_EQ(plays[0].object, buffers[0]);
    EXPECT_EQ(plays[0].flags, 0);
    EXPECT_EQ(readouts(), (std::vector<QString>{"98", "78", "143"}));
}

TEST_F(MainWindowTest, OnlyPlayBoxTwoStartsOnlyBufferTwo) {
    box("Check1(0)")->setChecked(false);
    box("Check1(1)")->setChecked(true);
    click("Play");
    EXPECT_EQ(calls(Kind::Write).size(), 3U);
    EXPECT_EQ(objectsOf(Kind::Play), std::vector<int>{buffers[1]});
}

TEST_F(MainWindowTest, NoPlayBoxTickedStillWritesAllBuffersAndStartsNone) {
    box("Check1(0)")->setChecked(false);
    click("Play");
    EXPECT_EQ(objectsOf(Kind::Write), (std::vector<int>{buffers[0], buffers[1], buffers[2]}));
    EXPECT_TRUE(calls(Kind::Play).empty());
}

TEST_F(MainWindowTest, AllBoxesTickedStartBuffersInOscillatorOrder) {
    box("Check1(1)")->setChecked(true);
    box("Check1(2)")->setChecked(true);
    click("Play");
    EXPECT_EQ(objectsOf(Kind::Play), (std::vector<int>{buffers[0], buffers[1], buffers[2]}));
}

TEST_F(MainWindowTest, ModulatorOutputsCarryFromOneGenerationToTheNext) {
    box("ChkFm(1)")->setChecked(true);
    click("Play");
    synth::Parameters p = currentParameters(98);
    const synth::SynthState after = window->synthState();
    EXPECT_NE(after.modOut[1], 1.0);
    // A second request with the box now off keeps multiplying by the stored output.
    box("ChkFm(1)")->setChecked(false);
    p.modulator(1, 1).on = false;
    const auto expected = expectedWaves(p);
    record->clear();
    click("Play");
    EXPECT_EQ(calls(Kind::Write)[0].data, heard((*expected)[0]));
}

// A modulator window whose multiplier is far beyond its bar's range makes pitch1 x F overflow.
TEST_F(MainWindowTest, SynthesisErrorIsShownNothingIsWrittenAndTheProgramGoesOn) {
    SecondaryWindows broken = window->windowSet().operations();
    broken.bank = [](int) {
        synth::ModulatorBank bank{};
        bank[0] = {true, 1000, 2};
        return bank;
    };
    window->setSecondaryWindows(broken);
    click("Play");
    ASSERT_EQ(prompts->errors.size(), 1U);
    EXPECT_TRUE(prompts->errors[0].startsWith(QStringLiteral("Tarmel could not make the sound:")));
    EXPECT_TRUE(prompts->errors[0].contains(QStringLiteral("Overflow")));
    EXPECT_TRUE(record->calls.empty());

    window->setSecondaryWindows(window->windowSet().operations());
    click("Play");
    EXPECT_EQ(calls(Kind::Write).size(), 3U);
    EXPECT_EQ(calls(Kind::Play).size(), 1U);
    EXPECT_EQ(prompts->errors.size(), 1U);
}

TEST_F(MainWindowTest, FailingWriteAbandonsTheRequestAndTheNextOneWorks) {
    record->failOn = Kind::Write;
    click("Play");
    ASSERT_EQ(prompts->errors.size(), 1U);
    EXPECT_TRUE(prompts->errors[0].contains(QStringLiteral("could not use the sound output")));
    EXPECT_TRUE(prompts->errors[0].contains(QStringLiteral("WriteBuffer failed")));
    EXPECT_TRUE(prompts->errors[0].contains(QStringLiteral("\"reset\"")));
    EXPECT_TRUE(calls(Kind::Play).empty());

    record->clear();
    press(Qt::Key_G);
    EXPECT_EQ(window->pitch1(), 123);
    EXPECT_EQ(calls(Kind::Write).size(), 3U);
    EXPECT_EQ(calls(Kind::Play).size(), 1U);
}

TEST_F(MainWindowTest, FailingPlayKeepsTheWrittenSamplesAndIsReported) {
    record->failOn = Kind::Play;
    press(Qt::Key_H);
    EXPECT_EQ(prompts->errors.size(), 1U);
    EXPECT_EQ(calls(Kind::Write).size(), 3U);
    // What was done before the failure stays: the key's pitch and slider.
    EXPECT_EQ(window->pitch1(), 130);
    EXPECT_EQ(slider("VScroll1")->value(), 130);
}

} // namespace
} // namespace tarmel::app::test
