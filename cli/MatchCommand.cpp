// The match mode of tarmel-render: its options, a progress line while the search runs, the
// result's figures, and the settings file written whole or not at all.
#include "cli/MatchCommand.h"

#include "files/AtomicFile.h"
#include "files/Settings.h"
#include "match/Figures.h"
#include "match/Search.h"
#include "match/Target.h"
#include "synth/Errors.h"

#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <string_view>
#include <unistd.h>

namespace tarmel::cli {

namespace {

// "N renders, best distance D, R renders/s": rewritten in place on a terminal at most ten times
// a second, or a line a second when standard error is a log or a pipe.
class MatchProgressLine {
public:
    MatchProgressLine() : terminal_(::isatty(STDERR_FILENO) != 0), start_(Clock::now()) {}
    MatchProgressLine(const MatchProgressLine&) = delete;
    MatchProgressLine& operator=(const MatchProgressLine&) = delete;
    ~MatchProgressLine() {
        if (terminal_ && any_) {
            std::fputs("\r\033[K", stderr);
        }
    }

    void operator()(const match::MatchProgress& p) {
        const auto now = Clock::now();
        if (now - shown_ < (terminal_ ? std::chrono::milliseconds(100) : std::chrono::seconds(1))) {
            return;
        }
        shown_ = now;
        any_ = true;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "%starmel-render: %d renders, best distance %.3f, %.0f renders/s%s",
                     terminal_ ? "\r" : "", p.renders, p.bestDistance,
                     seconds > 0 ? p.renders / seconds : 0.0, terminal_ ? "" : "\n");
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    bool terminal_;
    bool any_ = false;
    Clock::time_point start_;
    Clock::time_point shown_{};
};

files::Settings settingsOf(const sound::Controls& c, const std::string& name) {
    files::Settings s;
    static_cast<sound::Controls&>(s) = c;
    s.name = name; // the carried state stays at its start: the match is heard from start-up
    return s;
}

} // namespace

std::optional<int> runMatch(int argc, const char* const* argv) {
    bool asked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        asked = asked || arg == "--match" || arg.starts_with("--match=");
    }
    if (!asked) {
        return std::nullopt;
    }
    std::string targetFile;
    std::string output;
    match::MatchOptions options;
    bool force = false;
    CLI::App app{"Searches for the settings whose sound, heard from start-up, comes closest to "
                 "the first second of a sound file, and writes them as a settings file.",
                 "tarmel-render"};
    app.add_option("--match", targetFile, "the sound to match: WAV, FLAC, Ogg or AIFF")
        ->required()
        ->type_name("TARGET");
    app.add_option("-o,--output", output, "the settings file (.tarmel) to write")
        ->required()
        ->type_name("BEST.tarmel");
    app.add_option("--budget", options.budget, "sounds rendered at most (default 25000)")
        ->check(CLI::Range(1, 10'000'000))
        ->type_name("N");
    app.add_option("--seed", options.seed, "the search's seed: the same seed, the same result")
        ->type_name("S");
    app.add_option("--jobs", options.jobs, "sounds rendered side by side (default: one per core)")
        ->check(CLI::Range(1, 256))
        ->type_name("J");
    app.add_flag("--force", force, "replace the settings file if it exists");
    app.footer("Exit status: 0 written, 1 the settings file could not be written, 2 a bad option "
               "or a file that cannot be matched (nothing is written).");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "tarmel-render: " << e.what() << " (see tarmel-render --match --help)\n";
        return 2;
    }
    if (!force && std::filesystem::exists(output)) {
        std::cerr << "tarmel-render: " << output << " already exists; use --force to replace it\n";
        return 2;
    }
    try {
        const match::Target target = match::readTarget(targetFile);
        match::MatchResult result;
        {
            MatchProgressLine line;
            result = match::matchSound(target, options,
                                       [&line](const match::MatchProgress& p) { line(p); });
        }
        const std::vector<int16_t> heard = match::heardAtStart(result.controls);
        const std::vector<float> found(heard.begin(), heard.end());
        const std::string name =
            "Match of " + std::filesystem::path(targetFile).filename().string();
        files::writeSettings(output, settingsOf(result.controls, name));
        std::fprintf(stderr,
                     "tarmel-render: %s distance %.3f (MFCC error %.2f, log-spectral distance "
                     "%.2f dB) after %d renders in %.1f s; wrote %s\n",
                     result.exact ? "matched exactly:" : "closest found:", result.distance,
                     match::mfccError(target.samples, found),
                     match::logSpectralDistance(target.samples, found), result.renders,
                     result.seconds, output.c_str());
    } catch (const match::TargetError& e) {
        std::cerr << "tarmel-render: " << e.what() << "\n";
        return 2;
    } catch (const files::FileError& e) {
        std::cerr << "tarmel-render: " << e.what() << "\n";
        return 1;
    } catch (const synth::SynthError& e) {
        std::cerr << "tarmel-render: the match's sound could not be computed: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

} // namespace tarmel::cli
