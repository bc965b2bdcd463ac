// tarmel-render: one generate request's sound, written to a file, without window or sound card;
// on request also the Sound window's picture of it, drawn on Qt's offscreen platform.
#include "analysis/Analysis.h"
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "files/SoundFile.h"
#include "synth/Errors.h"
#include "ui/SoundPicture.h"

#include <QGuiApplication>
#include <iostream>
#include <optional>

namespace {

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
    const auto parsed = cli::parseRenderOptions(argc, argv);
    if (const auto* exit = std::get_if<cli::EarlyExit>(&parsed)) {
        (exit->code == 0 ? std::cout : std::cerr) << exit->text;
        return exit->code;
    }
    const auto& req = std::get<cli::RenderRequest>(parsed);
    std::filesystem::path writing = req.output;
    try {
        // Refused before anything is written: a picture that would not be replaced.
        if (!req.picture.empty() && !req.force && std::filesystem::exists(req.picture)) {
            writing = req.picture;
            throw files::FileExistsError(writing.string());
        }
        const auto waves = cli::renderWaves(req);
        if (!req.output.empty()) {
            files::writeSoundFile(req.output, synth::heardMix(*waves, cli::heardOscillators(req)),
                                  req.force);
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
