// The sound to match, read from a file: the first second, mixed to mono and at 44100 Hz, in the
// units of the heard samples (a full-scale sample is 32768), so that a Tarmel-made file compares
// sample for sample with a generation.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarmel::match {

// A file that cannot be matched; the message names the file and says what is wrong with it.
class TargetError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The samples a match compares with: exactly one second at 44100 Hz.
struct Target {
    std::vector<float> samples; // 44100 values, 16-bit units
};

// Reads a WAV, FLAC, Ogg or AIFF file of any rate and channel count: the channels averaged, the
// first second resampled to 44100 Hz (libsamplerate, best quality) and a shorter sound padded
// with silence. Only the first second is read from a long file. Throws TargetError for a file
// that is not a sound file, holds no samples, holds samples that are not numbers, or is silent.
Target readTarget(const std::filesystem::path& file);

// The same checks and conversion for samples already in memory (interleaved, 16-bit units);
// name is the file's name for messages.
Target targetFromSamples(std::vector<float> interleaved, int channels, int rate,
                         const std::string& name);

} // namespace tarmel::match
