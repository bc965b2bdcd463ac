// Mono sound files through libsndfile (WAV, FLAC and AIFF as 16-bit 44100 Hz; Ogg Vorbis, Opus
// and MP3 where this libsndfile writes them), written whole or not at all.
#pragma once

#include "files/AtomicFile.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarmel::files {

enum class SoundFormat { Wav, Flac, Aiff, Ogg, Opus, Mp3 };

// The format an extension names, in any case: .wav, .flac, .aiff or .aif, .ogg or .oga (Ogg
// Vorbis), .opus, .mp3.
std::optional<SoundFormat> soundFormatFor(const std::filesystem::path& path);

// The format a name given on the command line names, in any case: wav, flac, aiff, ogg, opus,
// mp3.
std::optional<SoundFormat> soundFormatNamed(std::string_view name);

// Whether the libsndfile this program runs with can write the format.
bool soundFormatAvailable(SoundFormat format);

// The extensions of the formats that can be written, for messages: ".wav, .flac, .aiff, ...".
std::string writableExtensions();

// The whole file the samples (44100 per second) make in format, in memory. Opus holds only
// 48000 Hz and lower rates, so its samples are resampled to 48000 Hz first. Throws FileError.
std::string encodeSound(std::span<const int16_t> samples, SoundFormat format);

// Writes the samples to path in format, or the format of its extension, through a temporary
// file beside it (see writeAtomically). Throws FileError for an unknown extension, a format this
// libsndfile cannot write or a failed write, and FileExistsError when path exists and replace is
// not set.
void writeSoundFile(const std::filesystem::path& path, std::span<const int16_t> samples,
                    bool replace, std::optional<SoundFormat> format = std::nullopt);

// Reads a mono sound file back as 16-bit samples; throws FileError when it cannot.
std::vector<int16_t> readSoundFile(const std::filesystem::path& path, int* sampleRate = nullptr,
                                   int* channels = nullptr, int* format = nullptr);

} // namespace tarmel::files
