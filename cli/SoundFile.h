// Writes 16-bit mono 44100 Hz sound files without ever leaving a partial file behind.
#pragma once

#include "cli/RenderRequest.h"

#include <stdexcept>
#include <vector>

namespace tarmel::cli {

// The target exists and replacing it was not asked for.
class FileExistsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creating, writing or renaming the file failed.
class FileWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Writes samples to a temporary file beside path, then renames it into place: over an existing
// file only when replace is set. On any failure the temporary file is removed and path is
// untouched.
void writeSoundFile(const std::filesystem::path& path, FileFormat format,
                    const std::vector<int16_t>& samples, bool replace);

// Reads a mono 16-bit sound file back (for checks); throws FileWriteError when it cannot.
std::vector<int16_t> readSoundFile(const std::filesystem::path& path, int* sampleRate = nullptr,
                                   int* channels = nullptr, int* format = nullptr);

} // namespace tarmel::cli
