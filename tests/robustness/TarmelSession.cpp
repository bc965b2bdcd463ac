// Starting tarmel for a robustness run and reading what it left behind.
#include "TarmelSession.h"

#include "WindowLayouts.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <sstream>
#include <stdexcept>
#include <tuple>
#include <unistd.h>

namespace tarmel::robustness {

namespace fs = std::filesystem;
using e2e::milliseconds;
using e2e::waitUntil;

namespace {

// The sanitizer build starts slowly on a busy machine.
constexpr milliseconds kStartTimeout{60000};

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> linesStartingWith(const std::string& text, const std::string& prefix) {
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(prefix, 0) == 0) {
            found.push_back(line.substr(prefix.size()));
        }
    }
    return found;
}

// The environment tarmel runs in: its display, the disk driver, the trace and the sanitizers'
// options, so that a report is written to folder and ends the program.
std::map<std::string, std::string> sessionEnvironment(const fs::path& folder,
                                                      const std::string& display,
                                                      const std::string& diskFile) {
    const std::string suppressions = TARMEL_LSAN_SUPPRESSIONS;
    return {
        {"DISPLAY", display},
        {"QT_QPA_PLATFORM", "xcb"},
        {"SDL_AUDIODRIVER", "disk"},
        {"SDL_DISKAUDIOFILE", diskFile},
        {"XDG_RUNTIME_DIR", folder.string()},
        {"TARMEL_TRACE", "1"},
        {"ASAN_OPTIONS", "halt_on_error=1:detect_leaks=1:log_path=" + (folder / "asan").string()},
        {"LSAN_OPTIONS", "print_suppressions=0:suppressions=" + suppressions},
        {"UBSAN_OPTIONS",
         "halt_on_error=1:print_stacktrace=1:log_path=" + (folder / "ubsan").string()}};
}

} // namespace

TarmelSession::TarmelSession(const std::string& name) {
    folder_ =
        fs::temp_directory_path() / ("tarmel-robustness-" + name + "-" + std::to_string(getpid()));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    // Also the program's runtime folder, which must be private to it.
    fs::permissions(folder_, fs::perms::owner_all, fs::perm_options::replace);
    recording_ = std::make_unique<DiskRecording>((folder_ / "sound.raw").string());
    xvfb_ = std::make_unique<Xvfb>();
    x_ = std::make_unique<Xdotool>(xvfb_->display());
    probe_ = std::make_unique<X11Probe>(xvfb_->display());
    std::tie(program_, main_) = e2e::startWithWindow(
        {TARMEL_EXECUTABLE},
        e2e::environmentWith(sessionEnvironment(folder_, xvfb_->display(), recording_->path())),
        (folder_ / "tarmel.log").string(), *x_, "^" + kMainTitle + "$", kStartTimeout);
    if (main_.empty()) {
        keep_ = true;
        throw std::runtime_error("the main window did not appear; program output:\n" + output() +
                                 sanitizerReports());
    }
    if (!waitUntil([&] { return recording_->samples() > 0; }, kStartTimeout)) {
        keep_ = true;
        throw std::runtime_error("the sound device is not writing");
    }
}

TarmelSession::~TarmelSession() {
    program_.reset();
    probe_.reset();
    x_.reset();
    xvfb_.reset();
    if (!keep_) {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }
}

int TarmelSession::xdotool(const std::vector<std::string>& args) const {
    std::vector<std::string> argv{"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    return e2e::run(argv, e2e::environmentWith({{"DISPLAY", xvfb_->display()}}),
                    milliseconds(30000))
        .status;
}

std::string TarmelSession::output() const {
    return readFile(folder_ / "tarmel.log");
}

std::string TarmelSession::notes() const {
    std::string kept;
    std::istringstream in(output());
    for (std::string line; std::getline(in, line);) {
        if (line.rfind("tarmel: generation ", 0) != 0) {
            kept += line + "\n";
        }
    }
    return kept;
}

int TarmelSession::generationsFinished() const {
    int count = 0;
    for (const std::string& line : linesStartingWith(output(), "tarmel: generation ")) {
        count += line.find(" finished") != std::string::npos ? 1 : 0;
    }
    return count;
}

std::vector<std::string> TarmelSession::errorsShown() const {
    return linesStartingWith(output(), "tarmel: error: ");
}

std::string TarmelSession::sanitizerReports() const {
    std::string reports;
    for (const auto& entry : fs::directory_iterator(folder_)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("asan.", 0) == 0 || file.rfind("ubsan.", 0) == 0) {
            reports += "--- " + file + "\n" + readFile(entry.path());
        }
    }
    // Without log_path support the reports would land in the program's output.
    const std::string out = output();
    for (const char* marker :
         {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:"}) {
        if (out.find(marker) != std::string::npos) {
            reports += "--- in the program's output\n" + out;
            break;
        }
    }
    return reports;
}

} // namespace tarmel::robustness

namespace tarmel::robustness {

std::vector<int16_t> TarmelSession::secondAfter(std::size_t from,
                                                const std::vector<int16_t>& expected,
                                                milliseconds timeout) {
    const auto lead = static_cast<std::size_t>(
        std::find_if(expected.begin(), expected.end(), [](int16_t s) { return s != 0; }) -
        expected.begin());
    std::optional<std::size_t> first;
    if (!waitUntil(
            [&] {
                first = recording_->firstSound(from);
                return first.has_value() && *first >= lead &&
                       recording_->samples() >= *first - lead + expected.size();
            },
            timeout, milliseconds(20))) {
        return {};
    }
    return recording_->read(*first - lead, expected.size());
}

std::optional<int> TarmelSession::quit() {
    const Control& exit = mainWindowLayout().control("Exit");
    xdotool({"mousemove", "--window", main_, std::to_string(pixels(exit.left) + 6),
             std::to_string(pixels(exit.top) + 6), "click", "1"});
    const std::string question = x_->waitForWindow("^Quit$", kStartTimeout);
    if (question.empty()) {
        return std::nullopt;
    }
    xdotool({"windowfocus", question, "key", "--delay", "0", "y"});
    // The leak check at the end takes a while in the sanitizer build.
    return program_->waitForExit(kStartTimeout);
}

std::vector<int16_t> heardFromOscillator1(const synth::Parameters& p) {
    auto waves = std::make_unique<synth::Waves>();
    synth::SynthState state;
    synth::generate(p, state, *waves);
    return {(*waves)[0].begin(), (*waves)[0].begin() + synth::kBufferSamples};
}

} // namespace tarmel::robustness
