// tarmel-render: one generate request's sound, written to a file, without window or sound card.
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "cli/SoundFile.h"
#include "synth/Errors.h"

#include <iostream>

int main(int argc, char** argv) {
    using namespace tarmel::cli;
    const auto parsed = parseRenderOptions(argc, argv);
    if (const auto* exit = std::get_if<EarlyExit>(&parsed)) {
        (exit->code == 0 ? std::cout : std::cerr) << exit->text;
        return exit->code;
    }
    const auto& req = std::get<RenderRequest>(parsed);
    try {
        writeSoundFile(req.output, req.format, renderSamples(req), req.force);
    } catch (const FileExistsError& e) {
        std::cerr << "tarmel-render: " << e.what() << "\n";
        return 2;
    } catch (const FileWriteError& e) {
        std::cerr << "tarmel-render: " << e.what() << "\n";
        return 1;
    } catch (const tarmel::synth::SynthError& e) {
        std::cerr << "tarmel-render: the sound could not be computed: " << e.what() << "\n";
        return 1;
    }
    return 0;
}
