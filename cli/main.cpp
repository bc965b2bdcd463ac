// tarmel-render: one generate request's sound, written to a file, without window or sound card.
#include "cli/Batch.h"
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "files/SoundFile.h"
#include "synth/Errors.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace tarmel;
    if (const auto status = cli::runBatch(argc, argv)) {
        return *status;
    }
    const auto parsed = cli::parseRenderOptions(argc, argv);
    if (const auto* exit = std::get_if<cli::EarlyExit>(&parsed)) {
        (exit->code == 0 ? std::cout : std::cerr) << exit->text;
        return exit->code;
    }
    const auto& req = std::get<cli::RenderRequest>(parsed);
    try {
        files::writeSoundFile(req.output, cli::renderSamples(req), req.force);
    } catch (const files::FileExistsError&) {
        std::cerr << "tarmel-render: " << req.output.string()
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
