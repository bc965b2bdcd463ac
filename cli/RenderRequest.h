// What tarmel-render was asked to compute and where to write it.
#pragma once

#include "synth/Parameters.h"

#include <filesystem>
#include <optional>
#include <vector>

namespace tarmel::cli {

enum class FileFormat { Wav, Flac, Aiff };

struct RenderRequest {
    std::filesystem::path output;
    FileFormat format = FileFormat::Wav;
    int16_t pitch = synth::kStartPitch;
    int16_t offset2 = 0;
    int16_t offset3 = 0;
    int16_t attack = 0;
    // Oscillator 1's modulators first, as in synth::Parameters.
    std::array<synth::ModulatorSetting, synth::kModulators> modulators{};
    std::vector<int> play{1}; // oscillators mixed into the file
    std::optional<int> osc;   // write this oscillator's own samples instead of the mix
    int generations = 1;
    bool force = false;
};

} // namespace tarmel::cli
