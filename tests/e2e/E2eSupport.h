// What the end-to-end tests need around the real program: child processes, a private Xvfb
// display, xdotool, and the disk sound driver's recording.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarmel::e2e {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Polls condition every step until it holds or timeout passes; returns whether it held.
bool waitUntil(const std::function<bool()>& condition, milliseconds timeout,
               milliseconds step = milliseconds(2));

// The environment of this process with some variables replaced or added.
std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes);

// A child process; killed when the object goes unless it has ended.
class Child {
public:
    // Starts argv[0] (searched in PATH) with env; its output goes to outputFile if given.
    // Descriptors without close-on-exec stay open in the child.
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
          const std::string& outputFile = {});
    ~Child();
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    pid_t pid() const { return pid_; }
    // The exit status once the child has ended normally, -1 when a signal ended it; nothing
    // while it still runs after timeout.
    std::optional<int> waitForExit(milliseconds timeout);
    bool running();

private:
    pid_t pid_ = -1;
    std::optional<int> status_;
};

struct RunResult {
    int status = -1;
    std::string output;
};

// Runs a command to its end (at most timeout) and returns its status and standard output.
RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              milliseconds timeout = milliseconds(10000));

// A private X server on a free display number, for the lifetime of the object.
class Xvfb {
public:
    // The server's messages go to logFile.
    explicit Xvfb(const std::string& logFile = "/dev/null");
    const std::string& display() const { return display_; }

private:
    std::unique_ptr<Child> server_;
    std::string display_;
};

// xdotool on one display.
class Xdotool {
public:
    explicit Xdotool(std::string display) : display_(std::move(display)) {}
    // Window ids of visible windows whose title matches the regular expression.
    std::vector<std::string> search(const std::string& titleRegex) const;
    // Polls for a visible window with this title; empty when none came within timeout.
    std::string waitForWindow(const std::string& titleRegex, milliseconds timeout) const;
    bool gone(const std::string& titleRegex) const { return search(titleRegex).empty(); }
    // Gives window the keyboard focus and waits until it has it.
    void focus(const std::string& window) const;
    // Presses and releases one key (xdotool key name, e.g. "d", "Return").
    void key(const std::string& name) const;
    // Clicks with the left button at (x, y) pixels of window's client area.
    void click(const std::string& window, int x, int y) const;

private:
    RunResult xdotool(const std::vector<std::string>& args) const;
    std::string display_;
};

// Starts a program and waits for its window with this title; returns the program and the
// window's id (empty if none came within timeout). On a busy shared machine the X connection of
// a program just started is now and then refused; a program that ends before its window shows
// is therefore started again, up to attempts times.
std::pair<std::unique_ptr<Child>, std::string>
startWithWindow(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::string& outputFile, const Xdotool& x, const std::string& titleRegex,
                milliseconds timeout, int attempts = 3);

// The raw 16-bit mono samples the disk driver writes, at the pace of a real sound card.
class DiskRecording {
public:
    explicit DiskRecording(std::string path) : path_(std::move(path)) {}
    const std::string& path() const { return path_; }
    std::size_t samples() const;
    // Samples [from, from + count), fewer if the file is shorter.
    std::vector<int16_t> read(std::size_t from, std::size_t count) const;
    // Index of the first non-zero sample at or after from, if there is one yet.
    std::optional<std::size_t> firstSound(std::size_t from) const;
    // Where pattern occurs, in order, searching the whole file.
    std::vector<std::size_t> occurrences(const std::vector<int16_t>& pattern) const;
    // How many zero samples end the file.
    std::size_t trailingSilence() const;

private:
    std::string path_;
};

// Twips of a window's layout to pixels (15 twips to a pixel).
constexpr int px(int twips) {
    return (twips + 7) / 15;
}

} // namespace tarmel::e2e
