// The real tarmel under a private Xvfb: its sound recorded by SDL's disk driver, its trace, its
// output and any sanitizer report written to files of a private folder.
#pragma once

#include "E2eSupport.h"
#include "X11Probe.h"
#include "synth/Parameters.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarmel::robustness {

using e2e::Child;
using e2e::Clock;
using e2e::DiskRecording;
using e2e::Xdotool;
using e2e::Xvfb;

inline const std::string kMainTitle = "Brennick  Tarmel1.0";

class TarmelSession {
public:
    // Starts tarmel and waits for its main window and its first sound block. name labels the
    // folder, where the disk driver writes sound.raw. Throws when the program does not come up.
    explicit TarmelSession(const std::string& name);
    ~TarmelSession();
    TarmelSession(const TarmelSession&) = delete;
    TarmelSession& operator=(const TarmelSession&) = delete;

    Xdotool& x() { return *x_; }
    X11Probe& probe() { return *probe_; }
    DiskRecording& recording() { return *recording_; }
    Child& program() { return *program_; }
    const std::string& display() const { return xvfb_->display(); }
    const std::string& main() const { return main_; }
    const std::filesystem::path& folder() const { return folder_; }

    // Runs xdotool with these arguments on the session's display; its exit status.
    int xdotool(const std::vector<std::string>& args) const;

    // What the program wrote to standard output and standard error.
    std::string output() const;
    // The same without the trace's generation lines, for a failure's message.
    std::string notes() const;
    // The trace's "generation N finished" lines so far.
    int generationsFinished() const;
    // The messages of the trace's "error:" lines so far.
    std::vector<std::string> errorsShown() const;
    // The text of every AddressSanitizer, LeakSanitizer and UndefinedBehaviorSanitizer report.
    std::string sanitizerReports() const;

    // The second of sound that starts after sample from and should be expected, aligned on
    // expected's first non-zero sample; empty when no sound came within timeout.
    std::vector<int16_t> secondAfter(std::size_t from, const std::vector<int16_t>& expected,
                                     e2e::milliseconds timeout);

    // Clicks "Exit", answers the question Yes and waits for the program to end; its exit
    // status, nothing when it did not end (the sanitizers' leak check runs at the end).
    std::optional<int> quit();

    // Leaves the folder in place for a look after a failure.
    void keep() { keep_ = true; }

private:
    std::filesystem::path folder_;
    std::unique_ptr<DiskRecording> recording_;
    std::unique_ptr<Xvfb> xvfb_;
    std::unique_ptr<Xdotool> x_;
    std::unique_ptr<X11Probe> probe_;
    std::unique_ptr<Child> program_;
    std::string main_;
    bool keep_ = false;
};

// What oscillator 1's buffer plays for p, computed from the start state.
std::vector<int16_t> heardFromOscillator1(const synth::Parameters& p);

} // namespace tarmel::robustness
