// What tarmel-render was asked for, and the samples it writes: what one generate request hands
// the sound device.
#pragma once

#include "files/Settings.h"
#include "files/SoundFile.h"
#include "synth/Synthesizer.h"

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tarmel::cli {

struct RenderRequest {
    std::filesystem::path output;  // "-" for standard output, or empty
    std::filesystem::path picture; // the Sound window's picture of the sound, or empty
    files::SoundFormat format = files::SoundFormat::Wav;
    files::Settings settings; // the controls and the carried state to start from
    std::optional<int> osc;   // write this oscillator's own samples instead of the mix
    int generations = 1;
    bool force = false;
    bool normalise = false; // the file's loudest sample at -1 dBFS (files/Normalise.h)
};

// Whether the sound goes to standard output rather than a file.
inline bool toStandardOutput(const RenderRequest& req) {
    return req.output == "-";
}

// The waves of the last of req.generations generations. progress, when given, is told the
// number of generations done after each one. Throws synth::SynthError.
std::unique_ptr<synth::Waves> renderWaves(const RenderRequest& req,
                                          const std::function<void(int done)>& progress = {});
// The oscillators heard: the one of --osc, or those to play.
std::array<bool, synth::kOscillators> heardOscillators(const RenderRequest& req);

// The 44100 samples of the last of req.generations generations: one oscillator's own samples,
// or the oscillators to play summed and clamped to 16 bits. Throws synth::SynthError.
std::vector<int16_t> renderSamples(const RenderRequest& req,
                                   const std::function<void(int done)>& progress = {});

} // namespace tarmel::cli
