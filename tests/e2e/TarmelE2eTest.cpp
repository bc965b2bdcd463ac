// The real program under Xvfb, driven by xdotool as a user would, its sound recorded by SDL's
// disk driver and compared with what the synthesis computes.
#include "E2eSupport.h"
#include "audio/SdlSound.h"
#include "synth/Parameters.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <memory>
#include <tuple>

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
        xvfb_ = std::make_unique<Xvfb>((folder_ / "xvfb.log").string());
        x_ = std::make_unique<Xdotool>(xvfb_->display());
        std::tie(program_, main_) =
            startWithWindow({TARMEL_EXECUTABLE},
                            environmentWith({{"DISPLAY", xvfb_->display()},
                                             {"QT_QPA_PLATFORM", "xcb"},
                                             {"SDL_AUDIODRIVER", "disk"},
                                             {"SDL_DISKAUDIOFILE", recording_->path()},
                                             {"XDG_RUNTIME_DIR", folder_.string()}}),
                            (folder_ / "tarmel.log").string(), *x_, kMainTitle, kWindowTimeout);
        ASSERT_FALSE(main_.empty()) << "the main window did not appear; program output:\n"
                                    << programOutput();
        ASSERT_TRUE(waitUntil([&] { return recording_->samples() > 0; }, kWindowTimeout))
            << "the sound device is not writing";
        firstWrite_ = Clock::now();
        firstWriteSamples_ = recording_->samples();
    }

    void TearDown() override {
        program_.reset();
        x_.reset();
        xvfb_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    // What the program and the X server wrote, for failure messages.
    std::string programOutput() const {
        std::string out;
        for (const char* name : {"tarmel.log", "xvfb.log"}) {
            std::ifstream in(folder_ / name);
            out += std::string("== ") + name + "\n" +
                   std::string(std::istreambuf_iterator<char>(in), {});
        }
        return out;
    }

    // Clicks the main window's control whose top-left corner is at (left, top) twips.
    void clickMain(int left, int top) const { x_->click(main_, px(left) + 6, px(top) + 6); }

    // Where a key's sound starts in the recording, and how long after the key it came.
    struct Heard {
        std::size_t start = 0;
        double keyToDeviceMs = 0; // key sent to the first block handed to the device
        double keyToFileMs = 0;   // key sent to that block showing in the file
        double xdotoolMs = 0;     // how long xdotool took to send the key
    };

    // Presses a letter on the main window and finds its sound, whose samples begin like
    // expected.
    Heard pressAndFindSound(const std::string& letter, const std::vector<int16_t>& expected) {
        using Ms = std::chrono::duration<double, std::milli>;
        x_->focus(main_);
        const std::size_t before = recording_->samples();
        const auto sending = Clock::now();
        x_->key(letter);
        const auto sent = Clock::now();
        std::optional<std::size_t> first;
        std::size_t visibleEnd = before;
        const bool sounded = waitUntil(
            [&] {
                const std::vector<int16_t> tail = recording_->read(before, 10 * kSecond);
                visibleEnd = before + tail.size();
                const auto it =
                    std::find_if(tail.begin(), tail.end(), [](int16_t s) { return s != 0; });
                if (it != tail.end()) {
                    first = before + static_cast<std::size_t>(it - tail.begin());
                }
                return first.has_value();
            },
            kSoundTimeout, milliseconds(1));
        const auto seen = Clock::now();
        EXPECT_TRUE(sounded) << "no sound after key " << letter;
        if (!sounded) {
            return {};
        }
        // The disk driver writes one block per period through a stdio buffer that reaches the
        // file when the next block is written into a full buffer: the last block seen went to
        // the device one period before, and each earlier block one period before that.
        const std::size_t block = audio::kSdlCallbackFrames;
        const std::size_t blocksAfter = (visibleEnd - (*first / block + 1) * block) / block;
        const double handedOver =
            Ms(seen - sent).count() - static_cast<double>(blocksAfter + 1) * blockPeriodMs();
        const auto lead =
            std::find_if(expected.begin(), expected.end(), [](int16_t s) { return s != 0; }) -
            expected.begin();
        return {*first - static_cast<std::size_t>(lead), handedOver, Ms(seen - sent).count(),
                Ms(sent - sending).count()};
    }

    // The device's real block period, from how fast the recording has grown since start-up.
    double blockPeriodMs() const {
        const double elapsed =
            std::chrono::duration<double, std::milli>(Clock::now() - firstWrite_).count();
        const double grown = static_cast<double>(recording_->samples() - firstWriteSamples_);
        return elapsed * static_cast<double>(audio::kSdlCallbackFrames) / grown;
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
    Clock::time_point firstWrite_;
    std::size_t firstWriteSamples_ = 0;
};

TEST_F(TarmelE2eTest, LetterPlaysTheSynthesisedSecondAtItsPitch) {
    struct Note {
        std::string letter;
        int16_t pitch;
    };
    std::vector<Heard> runs;
    for (const Note& note :
         std::vector<Note>{{"d", 110}, {"p", 277}, {"z", 65}, {"a", 98}, {"k", 146}}) {
        synth::Parameters p;
        p.pitch1 = p.pitch2 = p.pitch3 = note.pitch;
        const std::vector<int16_t> expected = heard((*synthesise(p))[0]);
        const Heard run = pressAndFindSound(note.letter, expected);
        runs.push_back(run);
        EXPECT_EQ(recordedSecond(run.start), expected) << "key " << note.letter;
    }
    // A measurement, not a requirement: printed and kept in the test's XML output.
    auto median = [&](double Heard::*field) {
        std::vector<double> values;
        for (const Heard& r : runs) {
            values.push_back(r.*field);
        }
        std::sort(values.begin(), values.end());
        return values[values.size() / 2];
    };
    std::cout << "key sent to first block handed to the device: median "
              << median(&Heard::keyToDeviceMs) << " ms; to the block in the file: median "
              << median(&Heard::keyToFileMs) << " ms; xdotool sending: median "
              << median(&Heard::xdotoolMs) << " ms; block period " << blockPeriodMs()
              << " ms\n  each run, key sent to device, ms:";
    for (const Heard& r : runs) {
        std::cout << ' ' << r.keyToDeviceMs;
    }
    std::cout << '\n';
    RecordProperty("key_to_device_median_ms", std::to_string(median(&Heard::keyToDeviceMs)));
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
    EXPECT_EQ(recordedSecond(pressAndFindSound("k", expected).start), expected);
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
    EXPECT_EQ(recordedSecond(pressAndFindSound("y", expected).start), expected);

    clickMain(9000, 3600);
    question = x_->waitForWindow("^Quit$", kWindowTimeout);
    ASSERT_FALSE(question.empty()) << "no exit question the second time";
    x_->focus(question);
    x_->key("y");
    EXPECT_EQ(program_->waitForExit(kWindowTimeout), std::optional<int>(0));
}

TEST_F(TarmelE2eTest, TerminateSignalEndsTheProgram) {
    ASSERT_EQ(kill(program_->pid(), SIGTERM), 0);
    EXPECT_TRUE(program_->waitForExit(milliseconds(5000)).has_value());
}

TEST(TarmelStartE2eTest, WithoutASoundDeviceExplainsAndEndsWithStatusOne) {
    Xvfb xvfb;
    Xdotool x(xvfb.display());
    const fs::path log =
        fs::temp_directory_path() / ("tarmel-e2e-nosound-" + std::to_string(getpid()) + ".log");
    auto [program, message] =
        startWithWindow({TARMEL_EXECUTABLE},
                        environmentWith({{"DISPLAY", xvfb.display()},
                                         {"QT_QPA_PLATFORM", "xcb"},
                                         {"SDL_AUDIODRIVER", "no-such-driver"},
                                         {"XDG_RUNTIME_DIR", fs::temp_directory_path().string()}}),
                        log.string(), x, "^Tarmel$", kWindowTimeout);
    ASSERT_FALSE(message.empty()) << "no message about the missing sound device";
    EXPECT_TRUE(x.search(kMainTitle).empty()) << "the main window came up without sound";
    x.focus(message);
    x.key("Return");
    EXPECT_EQ(program->waitForExit(kWindowTimeout), std::optional<int>(1));
    std::error_code ignored;
    fs::remove(log, ignored);
}

} // namespace
} // namespace tarmel::e2e
