// The monkey: the real program, built with the sanitizers, takes a seeded random sequence of
// user actions, then must still answer, play a letter exactly as the synthesis computes it, quit
// cleanly and leave no sanitizer report. TARMEL_MONKEY_SEED replays a run, TARMEL_MONKEY_ACTIONS
// sets its length.
#include "Monkey.h"

#include "MainBoxes.h"
#include "TarmelSession.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

namespace tarmel::robustness {
namespace {

using e2e::milliseconds;

constexpr int kShortRun = 300;
constexpr milliseconds kSoundTimeout{20000};

uint32_t seedToUse() {
    if (const char* given = std::getenv("TARMEL_MONKEY_SEED")) {
        return static_cast<uint32_t>(std::stoul(given));
    }
    return std::random_device{}();
}

int actionsToRun() {
    if (const char* given = std::getenv("TARMEL_MONKEY_ACTIONS")) {
        return std::stoi(given);
    }
    return kShortRun;
}

// Brings the settings that oscillator 1's sound depends on back to known values through the
// windows, as a user would: repeat off, the oscillator windows discarded, the envelope bar at 0
// (pure decay), the main window's modulator boxes clear, only play box 1 ticked, then reset.
class KnownSettings {
public:
    KnownSettings(TarmelSession& session, Monkey& monkey, MainBoxes& boxes)
        : s_(session), monkey_(monkey), boxes_(boxes) {}

    // Returns how many boxes had to be clicked.
    int bringBack() {
        s_.xdotool({"windowfocus", s_.main(), "key", "Escape", "key", "Escape"}); // any menu
        monkey_.calm();
        click("stop");
        for (const char* button : {"Osc2", "Osc3"}) {
            click(button);
        }
        for (const ShownWindow& w : s_.probe().shownWindows()) {
            if (w.id != s_.main()) {
                s_.probe().closeFromTitleBar(w.id);
            }
        }
        monkey_.calm();
        envelopeToPureDecay();
        for (int i = 0; i < 5; ++i) {
            setBox("ChkFm(" + std::to_string(i) + ")", false);
        }
        setBox("Check1(0)", true);
        setBox("Check1(1)", false);
        setBox("Check1(2)", false);
        // Clicked boxes carry the focus frame: the focus goes back to the envelope bar.
        envelopeToPureDecay();
        boxes_.movePointerAway();
        monkey_.calm();
        for (int i = 0; i < 5; ++i) {
            expectBox("ChkFm(" + std::to_string(i) + ")", false);
        }
        expectBox("Check1(0)", true);
        expectBox("Check1(1)", false);
        expectBox("Check1(2)", false);
        click("reset");
        return changed_;
    }

private:
    void click(const std::string& name) {
        const Control& c = mainWindowLayout().control(name);
        s_.xdotool({"mousemove", "--window", s_.main(), std::to_string(pixels(c.left) + 6),
                    std::to_string(pixels(c.top) + 6), "click", "1"});
        monkey_.calm();
    }

    // A click in the bar's trough gives it the focus; Home takes it to its minimum.
    void envelopeToPureDecay() {
        s_.xdotool({"windowfocus", s_.main()});
        click("Sliderattack");
        s_.xdotool({"key", "--delay", "0", "Home"});
        monkey_.calm();
    }

    void setBox(const std::string& name, bool wanted) {
        boxes_.movePointerAway();
        monkey_.calm();
        const std::optional<bool> now = boxes_.ticked(name);
        ASSERT_TRUE(now.has_value()) << "cannot see whether " << name << " is ticked";
        if (*now != wanted) {
            click(name);
            ++changed_;
        }
    }

    void expectBox(const std::string& name, bool wanted) {
        EXPECT_EQ(boxes_.ticked(name), std::optional<bool>(wanted)) << name;
    }

    TarmelSession& s_;
    Monkey& monkey_;
    MainBoxes& boxes_;
    int changed_ = 0;
};

TEST(Monkey, RandomUserActionsLeaveTheProgramAnsweringPlayingAndClean) {
    const uint32_t seed = seedToUse();
    const int count = actionsToRun();
    std::cout << "monkey seed " << seed << ", " << count
              << " actions; replay with TARMEL_MONKEY_SEED=" << seed
              << " TARMEL_MONKEY_ACTIONS=" << count << std::endl;
    RecordProperty("seed", std::to_string(seed));
    SCOPED_TRACE("monkey seed " + std::to_string(seed));

    TarmelSession session("monkey");
    MainBoxes boxes(session);
    Monkey monkey(session, seed);
    const auto started = Clock::now();
    try {
        for (int i = 0; i < count; ++i) {
            monkey.step();
        }
        monkey.calm();
    } catch (const MonkeyFailure& failure) {
        session.keep();
        FAIL() << failure.what() << "\nlast actions:\n"
               << monkey.lastActions(30) << "sanitizer reports:\n"
               << session.sanitizerReports() << "\nfiles kept in " << session.folder();
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    std::cout << monkey.summary() << "\n"
              << "in " << seconds << " s; generations finished " << session.generationsFinished()
              << std::endl;
    if (count >= kShortRun) {
        EXPECT_EQ(monkey.untouched(), std::vector<std::string>{})
            << "controls the monkey never reached";
    }
    for (const std::string& error : session.errorsShown()) {
        std::cout << "error shown: " << error << "\n";
        // The disk device never goes away here: its failure would be a fault of the program.
        EXPECT_EQ(error.find("sound output"), std::string::npos) << error;
    }

    const int changed = KnownSettings(session, monkey, boxes).bringBack();
    std::cout << "check boxes clicked to bring back known settings: " << changed << std::endl;
    ASSERT_FALSE(::testing::Test::HasFatalFailure());
    synth::Parameters p; // D: 110 Hz, envelope at 0, no modulator of oscillator 1 on
    p.pitch1 = p.pitch2 = p.pitch3 = 110;
    const std::vector<int16_t> expected = heardFromOscillator1(p);
    const std::size_t before = session.recording().samples();
    session.xdotool({"windowfocus", session.main(), "key", "--delay", "0", "d"});
    EXPECT_EQ(session.secondAfter(before, expected, kSoundTimeout), expected)
        << "the letter D did not play its sound after the monkey's actions";

    monkey.calm();
    EXPECT_EQ(session.quit(), std::optional<int>(0)) << session.notes();
    const std::string reports = session.sanitizerReports();
    EXPECT_EQ(reports, "");
    if (::testing::Test::HasFailure()) {
        session.keep();
        std::cout << "last actions:\n"
                  << monkey.lastActions(30) << "files kept in " << session.folder() << "\n";
    }
}

} // namespace
} // namespace tarmel::robustness
