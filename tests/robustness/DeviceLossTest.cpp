// The sound device goes away while the program is sounding, then comes back: the disk driver's
// file stops accepting data (the program's file size limit is lowered to what it holds), and
// later accepts it again.
#include "Monkey.h"
#include "TarmelSession.h"

#include <csignal>
#include <gtest/gtest.h>
#include <iostream>
#include <sys/resource.h>
#include <thread>

namespace tarmel::robustness {
namespace {

using e2e::milliseconds;
using e2e::waitUntil;

constexpr milliseconds kTimeout{30000};

// Writes past the limit fail with EFBIG instead of ending the writer with SIGXFSZ, as a device
// that fails its writes does; the program started meanwhile inherits this.
class IgnoredFileSizeSignal {
public:
    IgnoredFileSizeSignal() { old_ = std::signal(SIGXFSZ, SIG_IGN); }
    ~IgnoredFileSizeSignal() { std::signal(SIGXFSZ, old_); }
    IgnoredFileSizeSignal(const IgnoredFileSizeSignal&) = delete;
    IgnoredFileSizeSignal& operator=(const IgnoredFileSizeSignal&) = delete;

private:
    void (*old_)(int) = nullptr;
};

void limitFileSize(pid_t pid, rlim_t bytes) {
    const rlimit limit{bytes, RLIM_INFINITY};
    ASSERT_EQ(prlimit(pid, RLIMIT_FSIZE, &limit, nullptr), 0);
}

class DeviceLossTest : public ::testing::Test {
protected:
    void SetUp() override {
        session_ = std::make_unique<TarmelSession>("device-loss");
        monkey_ = std::make_unique<Monkey>(*session_, 1);
    }

    void TearDown() override {
        if (HasFailure()) {
            session_->keep();
            std::cout << "program output:\n"
                      << session_->notes() << "files kept in " << session_->folder() << "\n";
        }
    }

    void click(const std::string& name) {
        const Control& c = mainWindowLayout().control(name);
        session_->xdotool({"mousemove", "--window", session_->main(),
                           std::to_string(pixels(c.left) + 6), std::to_string(pixels(c.top) + 6),
                           "click", "1"});
    }

    void press(const std::string& letter) {
        session_->xdotool({"windowfocus", session_->main(), "key", "--delay", "0", letter});
    }

    // Waits for the error message box and returns the trace's newest error line.
    std::string errorMessage(std::size_t errorsBefore) {
        const std::string box = session_->x().waitForWindow("^Tarmel$", kTimeout);
        EXPECT_FALSE(box.empty()) << "no error message";
        EXPECT_TRUE(
            waitUntil([&] { return session_->errorsShown().size() > errorsBefore; }, kTimeout));
        const auto errors = session_->errorsShown();
        return errors.empty() ? std::string() : errors.back();
    }

    IgnoredFileSizeSignal ignoreFileSize_;
    std::unique_ptr<TarmelSession> session_;
    std::unique_ptr<Monkey> monkey_;
};

TEST_F(DeviceLossTest, LostWhileRepeatingExplainsAndResetBringsTheSoundBack) {
    DiskRecording& recording = session_->recording();
    click("repeat");
    ASSERT_TRUE(waitUntil([&] { return session_->generationsFinished() >= 2; }, kTimeout));
    ASSERT_TRUE(waitUntil([&] { return recording.firstSound(0).has_value(); }, kTimeout))
        << "nothing sounded before the loss";

    // The device goes away while the sound plays and the repetition goes on.
    limitFileSize(session_->program().pid(), recording.samples() * sizeof(int16_t));
    const std::string lost = errorMessage(0);
    std::cout << "message when the device went away: " << lost << std::endl;
    EXPECT_NE(lost.find("no longer available"), std::string::npos) << lost;
    EXPECT_NE(lost.find("reset"), std::string::npos) << lost;
    EXPECT_TRUE(session_->probe().ping(session_->main(), kTimeout)) << "the program hangs";
    monkey_->calm(); // closes the message

    // The failed tick ended the repetition: no generation is made any more.
    const int made = session_->generationsFinished();
    EXPECT_TRUE(session_->probe().settle(session_->main(), kTimeout));
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_EQ(session_->generationsFinished(), made);

    // A letter while the device is still gone is refused with the same clear message.
    press("k");
    EXPECT_EQ(errorMessage(1), lost);
    monkey_->calm();

    // The device is there again; reset opens it, and a letter plays exactly its sound.
    limitFileSize(session_->program().pid(), RLIM_INFINITY);
    click("reset");
    monkey_->calm();
    EXPECT_EQ(session_->errorsShown().size(), 2U) << "reset failed: " << session_->notes();
    synth::Parameters p; // D at the start settings
    p.pitch1 = p.pitch2 = p.pitch3 = 110;
    const std::vector<int16_t> expected = heardFromOscillator1(p);
    const std::size_t before = recording.samples();
    press("d");
    // Reset reopened the device's file from its start; before counts from there.
    EXPECT_EQ(session_->secondAfter(before, expected, kTimeout), expected)
        << "no sound after reset";
    monkey_->calm();
    EXPECT_EQ(session_->errorsShown().size(), 2U);
    EXPECT_EQ(session_->quit(), std::optional<int>(0));
    EXPECT_EQ(session_->sanitizerReports(), "");
}

} // namespace
} // namespace tarmel::robustness
