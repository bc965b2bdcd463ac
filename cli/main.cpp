// tarmel-render: one generate request's sound, written to a file or standard output, without
// window or sound card; on request also the Sound window's picture of it, drawn on Qt's
// offscreen platform.
#include "analysis/Analysis.h"
#include "cli/Batch.h"
#include "cli/MatchCommand.h"
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "files/Normalise.h"
#include "files/SoundFile.h"
#include "synth/Errors.h"
#include "ui/SoundPicture.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <unistd.h>

namespace {

// "generation N of M" on a terminal, rewritten in place at most ten times a second; nothing for
// a render that is over within the first tenth of a second, and nothing when standard error is
// not a terminal (a log or a pipe gets no carriage returns).
class Progress {
public:
    explicit Progress(int total) : total_(total), shown_(Clock::now()) {}
    Progress(const Progress&) = delete;
    Progress& operator=(const Progress&) = delete;
    ~Progress() {
        if (any_) {
            std::fputs("\r\033[K", stderr); // the line goes; the result speaks for itself
        }
    }

    void operator()(int done) {
        const auto now = Clock::now();
        if (now - shown_ < std::chrono::milliseconds(100)) {
            return;
        }
        shown_ = now;
        any_ = true;
        std::fprintf(stderr, "\rtarmel-render: generation %d of %d (%d%%)", done, total_,
                     static_cast<int>(100LL * done / total_));
        std::fflush(stderr);
    }

private:
    using Clock = std::chrono::steady_clock;
    int total_;
    Clock::time_point shown_;
    bool any_ = false;
};

// Drawing text needs a QGuiApplication; only --picture makes one, on the offscreen platform.
void drawPicture(const tarmel::cli::RenderRequest& req, const tarmel::synth::Waves& waves,
                 char** argv) {
    using namespace tarmel;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    analysis::SpectrumAnalyser analyser;
    const analysis::SoundAnalysis sound =
        analysis::analyseSound(waves, cli::heardOscillators(req), analyser);
    ui::savePicture(req.picture, sound, ui::PictureView{},
                    QSize(ui::kPictureWidth, ui::kPictureHeight), req.force);
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarmel;
    if (const auto status = cli::runBatch(argc, argv)) {
        return *status;
    }
    if (const auto status = cli::runMatch(argc, argv)) {
        return *status;
    }
    const auto parsed = cli::parseRenderOptions(argc, argv);
    if (const auto* exit = std::get_if<cli::EarlyExit>(&parsed)) {
        (exit->code == 0 ? std::cout : std::cerr) << exit->text;
        return exit->code;
    }
    const auto& req = std::get<cli::RenderRequest>(parsed);
    const bool toStdout = cli::toStandardOutput(req);
    if (toStdout && ::isatty(STDOUT_FILENO) != 0) {
        std::cerr << "tarmel-render: -o - writes the sound to standard output, which is a "
                     "terminal here; pipe it into a program (| aplay) or redirect it (> a.wav)\n";
        return 2;
    }
    std::filesystem::path writing = req.output;
    try {
        // Refused before anything is written: a picture that would not be replaced.
        if (!req.picture.empty() && !req.force && std::filesystem::exists(req.picture)) {
            writing = req.picture;
            throw files::FileExistsError(writing.string());
        }
        std::unique_ptr<synth::Waves> waves;
        if (::isatty(STDERR_FILENO) != 0) {
            Progress progress(req.generations);
            waves = cli::renderWaves(req, [&progress](int done) { progress(done); });
        } else {
            waves = cli::renderWaves(req);
        }
        std::vector<int16_t> samples = synth::heardMix(*waves, cli::heardOscillators(req));
        if (req.normalise) {
            samples = files::normalised(samples);
        }
        if (req.output.empty()) {
            // Only the picture.
        } else if (toStdout) {
            if (const int err =
                    files::writeAll(STDOUT_FILENO, files::encodeSound(samples, req.format));
                err != 0) {
                std::cerr << "tarmel-render: cannot write to standard output: "
                          << std::strerror(err) << "\n";
                return 1;
            }
        } else {
            files::writeSoundFile(req.output, samples, req.force, req.format);
        }
        if (!req.picture.empty()) {
            writing = req.picture;
            drawPicture(req, *waves, argv);
        }
    } catch (const files::FileExistsError&) {
        std::cerr << "tarmel-render: " << writing.string()
                  << " already exists; use --force to replace it\n";
        return 2;
    } catch (const files::FileError& e) {
        std::cerr << "tarmel-render: " << e.what() << "\n";
        return 1;
    } catch (const synth::SynthError& e) {
        std::cerr << "tarmel-render: the sound could not be computed: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
