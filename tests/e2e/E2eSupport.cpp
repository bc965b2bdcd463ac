// Child processes, Xvfb, xdotool and the disk recording for the end-to-end tests.
#include "E2eSupport.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tarmel::e2e {

bool waitUntil(const std::function<bool()>& condition, milliseconds timeout, milliseconds step) {
    const auto end = Clock::now() + timeout;
    while (!condition()) {
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::sleep_for(step);
    }
    return true;
}

std::vector<std::string> environmentWith(const std::map<std::string, std::string>& changes) {
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry(*e);
        const std::string name = entry.substr(0, entry.find('='));
        if (changes.count(name) == 0) {
            env.push_back(entry);
        }
    }
    for (const auto& [name, value] : changes) {
        env.push_back(name + "=" + value);
    }
    return env;
}

namespace {

std::vector<char*> pointers(const std::vector<std::string>& strings) {
    std::vector<char*> out;
    for (const std::string& s : strings) {
        out.push_back(const_cast<char*>(s.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

} // namespace

Child::Child(const std::vector<std::string>& argv, const std::vector<std::string>& env,
             const std::string& outputFile) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!outputFile.empty()) {
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    }
    auto args = pointers(argv);
    auto envp = pointers(env);
    const int rc = posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
}

Child::~Child() {
    if (running()) {
        kill(pid_, SIGTERM);
        if (!waitForExit(milliseconds(3000))) {
            kill(pid_, SIGKILL);
            waitForExit(milliseconds(3000));
        }
    }
}

bool Child::running() {
    if (status_) {
        return false;
    }
    int status = 0;
    const pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
        status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return false;
    }
    return r == 0;
}

std::optional<int> Child::waitForExit(milliseconds timeout) {
    waitUntil([this] { return !running(); }, timeout);
    return status_;
}

RunResult run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              milliseconds timeout) {
    int out[2];
    if (pipe(out) != 0) {
        throw std::runtime_error("pipe failed");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    auto args = pointers(argv);
    auto envp = pointers(env);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (rc != 0) {
        close(out[0]);
        throw std::runtime_error("cannot start " + argv[0] + ": " + std::strerror(rc));
    }
    fcntl(out[0], F_SETFL, O_NONBLOCK);
    RunResult result;
    const auto end = Clock::now() + timeout;
    int status = 0;
    bool ended = false;
    while (true) {
        char chunk[4096];
        const ssize_t n = ::read(out[0], chunk, sizeof chunk);
        if (n > 0) {
            result.output.append(chunk, static_cast<std::size_t>(n));
            continue;
        }
        if (ended && n <= 0) {
            break;
        }
        if (waitpid(pid, &status, WNOHANG) == pid) {
            ended = true;
            continue;
        }
        if (Clock::now() >= end) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
            close(out[0]);
            throw std::runtime_error(argv[0] + " did not finish in time");
        }
        std::this_thread::sleep_for(milliseconds(1));
    }
    close(out[0]);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

namespace {

std::string displayName(int number) {
    std::string name = std::to_string(number);
    name.insert(name.begin(), ':');
    return name;
}

// Starts Xvfb on display number and waits until it serves; nothing if that display is taken.
// Without -noreset the server restarts whenever its last client leaves (each xdotool call),
// and a client connecting meanwhile is refused.
std::unique_ptr<Child> startXvfb(int number, const std::string& logFile) {
    // Xvfb writes the display number to the descriptor we hand over once it accepts clients.
    int fds[2];
    if (pipe(fds) != 0) {
        throw std::runtime_error("pipe failed");
    }
    fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    auto server = std::make_unique<Child>(
        std::vector<std::string>{"Xvfb", displayName(number), "-displayfd", std::to_string(fds[1]),
                                 "-screen", "0", "1280x1024x24", "-nolisten", "tcp"},
        environmentWith({}), logFile);
    close(fds[1]);
    fcntl(fds[0], F_SETFL, O_NONBLOCK);
    bool ready = false;
    waitUntil(
        [&] {
            char c = 0;
            while (::read(fds[0], &c, 1) == 1) {
                ready = ready || c == '\n';
            }
            return ready || !server->running();
        },
        milliseconds(10000), milliseconds(5));
    close(fds[0]);
    if (!ready) {
        server.reset();
    }
    return server;
}

} // namespace

Xvfb::Xvfb(const std::string& logFile) {
    // Displays from a number of our own, well away from the low numbers other programs on the
    // machine tend to take.
    const int first = 100 + static_cast<int>(getpid() % 800);
    for (int number = first; number < first + 50 && !server_; ++number) {
        server_ = startXvfb(number, logFile);
        if (server_) {
            display_ = displayName(number);
        }
    }
    if (!server_) {
        throw std::runtime_error("Xvfb did not start on any of 50 displays");
    }
}

RunResult Xdotool::xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return run(argv, environmentWith({{"DISPLAY", display_}}));
}

std::vector<std::string> Xdotool::search(const std::string& titleRegex) const {
    const RunResult r = xdotool({"search", "--onlyvisible", "--name", titleRegex});
    std::vector<std::string> ids;
    std::size_t start = 0;
    while (start < r.output.size()) {
        const std::size_t end = r.output.find('\n', start);
        const std::string line = r.output.substr(start, end - start);
        if (!line.empty()) {
            ids.push_back(line);
        }
        if (end == std::string::npos) {
            break;
        }
        start = end + 1;
    }
    return ids;
}

std::string Xdotool::waitForWindow(const std::string& titleRegex, milliseconds timeout) const {
    std::string id;
    waitUntil(
        [&] {
            const auto ids = search(titleRegex);
            if (!ids.empty()) {
                id = ids.front();
            }
            return !id.empty();
        },
        timeout, milliseconds(20));
    return id;
}

void Xdotool::focus(const std::string& window) const {
    xdotool({"windowfocus", "--sync", window});
}

void Xdotool::key(const std::string& name) const {
    xdotool({"key", "--delay", "0", name});
}

void Xdotool::click(const std::string& window, int x, int y) const {
    // No --sync: it waits for the pointer to move, forever when it is already there. The X
    // server handles the move before the click anyway, in the order they were sent.
    xdotool({"mousemove", "--window", window, std::to_string(x), std::to_string(y), "click", "1"});
}

std::pair<std::unique_ptr<Child>, std::string>
startWithWindow(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                const std::string& outputFile, const Xdotool& x, const std::string& titleRegex,
                milliseconds timeout, int attempts) {
    std::unique_ptr<Child> child;
    std::string window;
    for (int attempt = 0; attempt < attempts && window.empty(); ++attempt) {
        child = std::make_unique<Child>(argv, env, outputFile);
        waitUntil(
            [&] {
                const auto ids = x.search(titleRegex);
                if (!ids.empty()) {
                    window = ids.front();
                }
                return !window.empty() || !child->running();
            },
            timeout, milliseconds(20));
        if (window.empty() && child->running()) {
            break; // running without the window: a fault of the program, not of the start
        }
    }
    return {std::move(child), window};
}

std::size_t DiskRecording::samples() const {
    struct stat st {};
    if (stat(path_.c_str(), &st) != 0) {
        return 0;
    }
    return static_cast<std::size_t>(st.st_size) / sizeof(int16_t);
}

std::vector<int16_t> DiskRecording::read(std::size_t from, std::size_t count) const {
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from * sizeof(int16_t)));
    std::vector<int16_t> out(count);
    in.read(reinterpret_cast<char*>(out.data()),
            static_cast<std::streamsize>(count * sizeof(int16_t)));
    out.resize(static_cast<std::size_t>(in.gcount()) / sizeof(int16_t));
    return out;
}

std::optional<std::size_t> DiskRecording::firstSound(std::size_t from) const {
    const std::vector<int16_t> tail = read(from, samples() - std::min(from, samples()));
    const auto it = std::find_if(tail.begin(), tail.end(), [](int16_t s) { return s != 0; });
    if (it == tail.end()) {
        return std::nullopt;
    }
    return from + static_cast<std::size_t>(it - tail.begin());
}

std::vector<std::size_t> DiskRecording::occurrences(const std::vector<int16_t>& pattern) const {
    const std::vector<int16_t> all = read(0, samples());
    std::vector<std::size_t> found;
    auto it = all.begin();
    while (true) {
        it = std::search(it, all.end(), pattern.begin(), pattern.end());
        if (it == all.end()) {
            return found;
        }
        found.push_back(static_cast<std::size_t>(it - all.begin()));
        it += static_cast<std::ptrdiff_t>(pattern.size());
    }
}

std::size_t DiskRecording::trailingSilence() const {
    const std::vector<int16_t> all = read(0, samples());
    const auto it = std::find_if(all.rbegin(), all.rend(), [](int16_t s) { return s != 0; });
    return static_cast<std::size_t>(it - all.rbegin());
}

} // namespace tarmel::e2e
