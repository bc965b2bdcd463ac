// 16-bit mono 44100 Hz sound files (WAV, FLAC, AIFF by extension) through libsndfile, written
// whole or not at all.
#pragma once

#include "files/AtomicFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

namespace tarmel::files {

enum class SoundFormat { Wav, Flac, Aiff };

// The format an extension names: .wav, .flac or .aiff, in any case.
std::optional<SoundFormat> soundFormatFor(const std::filesystem::path& path);

// Writes the samples to path in the format of its extension, through a temporary file beside
// it (see writeAtomically). Throws FileError for an unknown extension or a failed write, and
// FileExistsError when path exists and replace is not set.
void writeSoundFile(const std::filesystem::path& path, std::span<const int16_t> samples,
                    bool replace);

// Reads a mono 16-bit sound file back; throws FileError when it cannot.
std::vector<int16_t> readSoundFile(const std::filesystem::path& path, int* sampleRate = nullptr,
                                   int* channels = nullptr, int* format = nullptr);

} // namespace tarmel::files
