// What the end-to-end and robustness tests share: the real tarmel on an Xvfb display of its own,
// driven by xdotool and Xlib, its sound recorded by SDL's disk driver, its trace lines and any
// sanitizer report in its log, and the sound synth::generate computes for comparison.
#pragma once

#include "synth/Synthesizer.h"
#include "ui/Layout.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream> // for the robustness tests
#include <optional>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

// Last: Xlib's macros (Bool, Status, None) would break the headers above.
#include <X11/Xlib.h>

namespace tarmel::test {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using Ms = std::chrono::milliseconds;
using Samples = std::vector<int16_t>;

inline constexpr auto sounding = [](int16_t sample) { return sample != 0; };

// Polls done every step until it holds or timeout passes; whether it held.
template <class Done> bool waitUntil(const Done& done, Ms timeout, Ms step = 5ms) {
    for (const auto end = Clock::now() + timeout; !done(); std::this_thread::sleep_for(step)) {
        if (Clock::now() > end) {
            return false;
        }
    }
    return true;
}

// What synth::generate computes from the start settings with all three pitches at pitch: the
// heard second of oscillator 1, a letter's sound.
inline Samples synthesised(int16_t pitch) {
    auto waves = std::make_unique<synth::Waves>();
    synth::SynthState start;
    synth::generate({pitch, pitch, pitch, 0, {}}, start, *waves);
    return {(*waves)[0].begin(), (*waves)[0].begin() + 44100};
}

// The second of heard that begins with its first sound, lined up on expected's silent lead-in;
// empty when heard does not hold all of it.
inline Samples lineUp(const Samples& heard, const Samples& expected) {
    const long start = (std::ranges::find_if(heard, sounding) - heard.begin()) -
                       (std::ranges::find_if(expected, sounding) - expected.begin());
    if (start < 0 || start + std::ssize(expected) > std::ssize(heard)) {
        return {};
    }
    return {heard.begin() + start, heard.begin() + start + std::ssize(expected)};
}

// tarmel on a display of its own, with its files (tarmel.log, sound.raw, xvfb.log) in a private
// folder that a failing test leaves in place.
class Session {
public:
    // Starts tarmel with more environment ("NAME=value ...") and waits for a window whose title
    // is title (an extended regular expression), and, with the disk driver's sound device, for
    // its first sound block; a failure when they do not come.
    explicit Session(const std::string& name, const std::string& env = "",
                     const std::string& title = std::string(ui::mainWindowLayout().caption))
        // A new folder that only we may use: also the program's runtime folder, which must be, and
        // its settings folder, so that no window remembered from elsewhere opens.
        : folder(mkdtemp(
              (fs::temp_directory_path() / ("tarmel-" + name + "-XXXXXX")).string().data())) {
        // Display numbers of our own, away from the low ones other programs take. A shell writes
        // its process id and becomes Xvfb, which writes the number to descriptor 3 and closes it
        // once it accepts clients, and ends at once when the display is taken. Without -noreset
        // it would start afresh whenever its last client left (each xdotool call), refusing a
        // client that connects meanwhile.
        for (int n = 100 + getpid() % 800, last = n + 50, shown = 0; n < last && !x_; ++n) {
            const std::string display = std::string(":").append(std::to_string(n));
            const std::string started =
                sh("sh -c 'echo $$; exec Xvfb " + display + " -noreset -displayfd 3 -screen 0 " +
                   "1280x1024x24 -nolisten tcp 3>&1 >/dev/null 2>" + file("xvfb.log") + "' &");
            if (std::sscanf(started.c_str(), "%d %d", &xvfb_, &shown) == 2 && shown == n) {
                x_ = XOpenDisplay(display.c_str());
            }
        }
        // For xdotool and the program.
        setenv("DISPLAY", x_ ? DisplayString(x_) : throw std::runtime_error("no Xvfb"), 1);
        const std::string command =
            "exec env QT_QPA_PLATFORM=xcb SDL_AUDIODRIVER=disk TARMEL_TRACE=1 LSAN_OPTIONS="
            "suppressions=" TARMEL_LSAN_SUPPRESSIONS " XDG_RUNTIME_DIR=" +
            folder.string() + " XDG_CONFIG_HOME=" + folder.string() +
            " SDL_DISKAUDIOFILE=" + file("sound.raw") + " " + env + " " TARMEL_EXECUTABLE " >" +
            file("tarmel.log") + " 2>&1";
        const char* argv[] = {"sh", "-c", command.c_str(), nullptr};
        // On a busy machine a fresh X connection is now and then refused: a program that ends
        // before its window shows is started again.
        for (int attempt = 0; attempt < 3 && main.empty() && (!attempt || exitStatus());
             ++attempt) {
            if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ)) {
                throw std::runtime_error("cannot start " + command);
            }
            waitUntil([&] { return !(main = find(title)).empty() || exitStatus(); }, 60s, 20ms);
        }
        EXPECT_TRUE(!main.empty() && (!env.empty() || waitUntil([&] { return samples(); }, 60s)))
            << "no window " << title << ", or no sound";
        // Windows vanish under the requests that name them (a question closes), as expected.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        XSelectInput(x_, DefaultRootWindow(x_), StructureNotifyMask); // pings come back there
    }
    ~Session() {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
        XCloseDisplay(x_);
        kill(xvfb_, SIGTERM);
        if (!::testing::Test::HasFailure()) {
            fs::remove_all(folder);
        }
    }

    // The program's exit status (-1 after a signal) once it has ended, waiting up to timeout.
    std::optional<int> exitStatus(Ms timeout = 0ms) const {
        siginfo_t i{};
        waitUntil([&] { return !waitid(P_PID, pid, &i, WEXITED | WNOHANG | WNOWAIT) && i.si_pid; },
                  timeout);
        return i.si_pid ? std::optional(i.si_code == CLD_EXITED ? i.si_status : -1) : std::nullopt;
    }

    // What a shell command writes.
    static std::string sh(const std::string& command) {
        std::string out;
        FILE* p = popen(command.c_str(), "r");
        for (char b[4096]; const std::size_t n = std::fread(b, 1, sizeof b, p);) {
            out.append(b, n);
        }
        pclose(p);
        return out;
    }
    std::string xdo(const std::string& a) const { return sh("xdotool " + a + " 2>/dev/null"); }
    // A shown window whose title is title (an extended regular expression), waiting up to
    // timeout; empty when none came.
    std::string find(const std::string& title, Ms timeout = 0ms) const {
        std::string id;
        waitUntil(
            [&] { return !(id = xdo("search --onlyvisible --name '^" + title + "$'")).empty(); },
            timeout, 20ms);
        return id.substr(0, id.find('\n'));
    }
    // The recording from sample from on.
    Samples read(std::size_t from = 0) const {
        std::ifstream in(file("sound.raw"), std::ios::binary | std::ios::ate);
        Samples s(std::max(in.tellg() / 2 - static_cast<long>(from), 0L));
        in.seekg(static_cast<long>(from * 2))
            .read(reinterpret_cast<char*>(s.data()), std::ssize(s) * 2);
        return s;
    }
    std::size_t samples() const { return read().size(); }
    // The second that begins with the first sound after sample from, lined up on expected's
    // silent lead-in; empty when it did not come within timeout.
    Samples secondAfter(std::size_t from, const Samples& expected, Ms timeout = 30s) const {
        Samples heard;
        waitUntil([&] { return !(heard = lineUp(read(from), expected)).empty(); }, timeout, 20ms);
        return heard;
    }

    // What the log's lines that start with prefix go on with, each ending with a new line.
    std::string log(const std::string& p) const {
        return sh("sed -n 's/^" + p + "//p' " + file("tarmel.log"));
    }

    // Whether the program answers a _NET_WM_PING within timeout, which its event loop does when
    // free. Qt answers while it reads the X events, before it hands the input read with them to
    // the widgets, and answers a ping that comes while it still reads in the same pass.
    bool ping(const std::string& w, Ms timeout = 60s) {
        protocol(w, "_NET_WM_PING", ++serial_);
        XEvent e{};
        return waitUntil(
            [&] {
                return XCheckTypedEvent(x_, ClientMessage, &e) && e.xclient.data.l[1] == serial_;
            },
            timeout, 1ms);
    }
    // Waits until the input sent so far has reached the widgets and their handlers have run: so
    // three pings, with a pause that lets each pass end before the next.
    bool settle(const std::string& w) {
        return ping(w) && (std::this_thread::sleep_for(20ms), ping(w)) &&
               (std::this_thread::sleep_for(20ms), ping(w));
    }
    // As a window manager does for the title bar's close box.
    void close(const std::string& w) { protocol(w, "WM_DELETE_WINDOW", CurrentTime); }

    const fs::path folder;
    pid_t pid = -1;   // the program's
    std::string main; // the window that came at the start: the main window, or a message box

private:
    std::string file(const char* name) const { return (folder / name).string(); }
    void protocol(const std::string& w, const char* message, long data) {
        const Window id = std::stoul(w);
        XEvent e{.xclient = {
                     ClientMessage, 0, False, x_, id, XInternAtom(x_, "WM_PROTOCOLS", 0), 32, {}}};
        e.xclient.data.l[0] = static_cast<long>(XInternAtom(x_, message, False));
        e.xclient.data.l[1] = data;
        e.xclient.data.l[2] = static_cast<long>(id);
        XSendEvent(x_, id, False, NoEventMask, &e);
        XFlush(x_);
    }

    int xvfb_ = -1;
    Display* x_ = nullptr;
    long serial_ = 0;
};

} // namespace tarmel::test
