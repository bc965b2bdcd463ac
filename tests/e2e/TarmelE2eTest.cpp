// The real program under Xvfb, driven by xdotool as a user would, its sound recorded by SDL's
// disk driver and compared with what the synthesis computes.
#include "E2eSupport.h"

#include <Parameters.h>
#include <Synthesizer.h>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>

namespace tarmel::e2e {
namespace {

namespace fs = std::filesystem;

const std::string kMainTitle = "^Brennick  Tarmel1\\.0$";
constexpr milliseconds kWindowTimeout{15000};
constexpr milliseconds kSoundTimeout{15000};
constexpr std::size_t kSecond = synth::kBufferSamples;

// Oscillator waves as synth::generate computes them for p, from the start state.
std::unique_ptr<synth::Waves> synthesise(const synth::Parameters& p) {
    auto waves = std::make_unique<synth::Waves>();
    synth::SynthState state;
    synth::generate(p, state, *waves);
    return waves;
}

std::vector<int16_t> heard(const synth::Wave& wave) {
    return {wave.begin(), wave.begin() + synth::kBufferSamples};
}

class TarmelE2eTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("tarmel-e2e-" + std::to_string(getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(folder_);
        recording_ = std::make_unique<DiskRecording>((folder_ / "sound.raw").string());
        xvfb_ = std::make_unique<Xvfb>();
        x_ = std::make_unique<Xdotool>(xvfb_->display());
        program_ =
            std::make_unique<Child>(std::vector<std::string>{TARMEL_EXECUTABLE},
                                    environmentWith({{"DISPLAY", xvfb_->display()},
                                                     {"QT_QPA_PLATFORM", "xcb"},
                                                     {"SDL_AUDIODRIVER", "disk"},
                                                     {"SDL_DISKAUDIOFILE", recording_->path()},
                                                     {"XDG_RUNTIME_DIR", folder_.string()}}),
                                    (folder_ / "tarmel.log").string());
        main_ = x_->waitForWindow(kMainTitle, kWindowTimeout);
        ASSERT_FALSE(main_.empty()) << "the main window did not appear; program output:\n"
                                    << programOutput();
        ASSERT_TRUE(waitUntil([&] { return recording_->samples() > 0; }, kWindowTimeout))
            << "the sound device is not writing";
    }

    void TearDown() override {
        program_.reset();
        x_.reset();
        xvfb_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string programOutput() const {
        std::ifstream in(folder_ / "tarmel.log");
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // Clicks the main window's control whose top-left corner is at (left, top) twips.
    void clickMain(int left, int top) const { x_->click(main_, px(left) + 6, px(top) + 6); }

    // Presses a letter on the main window; returns where its sound starts in the recording and
    // the time from the key press to the first block holding it.
    std::pair<std::size_t, double> pressAndFindSound(const std::string& letter,
                                                     const std::vector<int16_t>& expected) {
        x_->focus(main_);
        const std::size_t before = recording_->samples();
        const auto pressed = Clock::now();
        x_->key(letter);
        std::optional<std::size_t> first;
        const bool sounded = waitUntil(
            [&] {
                first = recording_->firstSound(before);
                return first.has_value();
            },
            kSoundTimeout, milliseconds(1));
        const double latencyMs =
            std::chrono::duration<double, std::milli>(Clock::now() - pressed).count();
        EXPECT_TRUE(sounded) << "no sound after key " << letter;
        if (!sounded) {
            return {0, latencyMs};
        }
        const auto lead =
            std::find_if(expected.begin(), expected.end(), [](int16_t s) { return s != 0; }) -
            expected.begin();
        return {*first - static_cast<std::size_t>(lead), latencyMs};
    }

    // The recorded second starting at start, once the disk driver has written all of it.
    std::vector<int16_t> recordedSecond(std::size_t start) const {
        EXPECT_TRUE(
            waitUntil([&] { return recording_->samples() >= start + kSecond; }, kSoundTimeout));
        return recording_->read(start, kSecond);
    }

    fs::path folder_;
    std::unique_ptr<DiskRecording> recording_;
    std::unique_ptr<Xvfb> xvfb_;
    std::unique_ptr<Xdotool> x_;
    std::unique_ptr<Child> program_;
    std::string main_;
};

TEST_F(TarmelE2eTest, LetterPlaysTheSynthesisedSecondAtItsPitch) {
    struct Note {
        std::string letter;
        int16_t pitch;
    };
    std::vector<double> latencies;
    for (const Note& note :
         std::vector<Note>{{"d", 110}, {"p", 277}, {"z", 65}, {"a", 98}, {"k", 146}}) {
        synth::Parameters p;
        p.pitch1 = p.pitch2 = p.pitch3 = note.pitch;
        const std::vector<int16_t> expected = heard((*synthesise(p))[0]);
        const auto [start, latency] = pressAndFindSound(note.letter, expected);
        latencies.push_back(latency);
        EXPECT_EQ(recordedSecond(start), expected) << "key " << note.letter;
    }
    std::sort(latencies.begin(), latencies.end());
    const double median = latencies[latencies.size() / 2];
    std::cout << "key press to first sound block, ms:";
    for (double l : latencies) {
        std::cout << ' ' << l;
    }
    std::cout << " (median " << median << ")\n";
    RecordProperty("key_to_sound_median_ms", std::to_string(median));
}

TEST_F(TarmelE2eTest, RepeatPlaysAgainAndAgainUntilStop) {
    synth::Parameters p; // pitch 98, the start state
    const std::vector<int16_t> sound = heard((*synthesise(p))[0]);
    const std::vector<int16_t> opening(sound.begin(), sound.begin() + 400);

    clickMain(9000, 600); // "repeat"
    EXPECT_TRUE(waitUntil([&] { return recording_->occurrences(opening).size() >= 2; },
                          milliseconds(20000), milliseconds(50)))
        << "repeat did not play the sound twice";
    clickMain(9000, 1200); // "stop"
    // Back-to-back repetitions leave gaps far shorter than this; two seconds of silence mean
    // no new sound is being started.
    EXPECT_TRUE(waitUntil([&] { return recording_->trailingSilence() >= 2 * kSecond; },
                          milliseconds(20000), milliseconds(50)))
        << "sounds kept coming after stop";
    const std::size_t count = recording_->occurrences(opening).size();
    const std::size_t end = recording_->samples();
    waitUntil([&] { return recording_->samples() >= end + kSecond / 2; }, kSoundTimeout);
    EXPECT_EQ(recording_->occurrences(opening).size(), count);
}

TEST_F(TarmelE2eTest, ModulatorOfOscillatorTwoShapesTheSoundOfPlayBoxTwo) {
    clickMain(9000, 2280); // "Osc2"
    const std::string osc2 = x_->waitForWindow("^Oscillator2$", kWindowTimeout);
    ASSERT_FALSE(osc2.empty()) << "the oscillator 2 window did not appear";
    x_->click(osc2, px(2640 + 600 * 1) + 6, px(2400) + 8); // its modulator box "2"
    clickMain(6480, 3480);                                 // play box 2 on
    clickMain(5760, 3480);                                 // play box 1 off

    synth::Parameters p;
    p.pitch1 = p.pitch2 = p.pitch3 = 146; // key K
    p.modulator(2, 1) = {true, 2, 2};
    const std::vector<int16_t> expected = heard((*synthesise(p))[1]);
    const auto [start, latency] = pressAndFindSound("k", expected);
    (void)latency;
    EXPECT_EQ(recordedSecond(start), expected);
}

TEST_F(TarmelE2eTest, ExitAnsweredNoGoesOnAndYesEndsWithStatusZero) {
    clickMain(9000, 3600); // "Exit"
    std::string question = x_->waitForWindow("^Quit$", kWindowTimeout);
    ASSERT_FALSE(question.empty()) << "no exit question";
    x_->focus(question);
    x_->key("Return"); // No is the default
    EXPECT_TRUE(waitUntil([&] { return x_->gone("^Quit$"); }, kWindowTimeout));
    EXPECT_FALSE(program_->waitForExit(milliseconds(300)).has_value());

    // Still working: a letter plays on the renewed buffers.
    synth::Parameters p;
    p.pitch1 = p.pitch2 = p.pitch3 = 220; // key Y
    const std::vector<int16_t> expected = heard((*synthesise(p))[0]);
    const auto [start, latency] = pressAndFindSound("y", expected);
    (void)latency;
    EXPECT_EQ(recordedSecond(start), expected);

    clickMain(9000, 3600);
    question = x_->waitForWindow("^Quit$", kWindowTimeout);
    ASSERT_FALSE(question.empty()) << "no exit question the second time";
    x_->focus(question);
    x_->key("y");
    EXPECT_EQ(program_->waitForExit(kWindowTimeout), std::optional<int>(0));
}

} // namespace
} // namespace tarmel::e2e
