// Files written whole or not at all: the content goes to a hidden temporary file beside the
// target, which then takes the target's name.
#pragma once

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string_view>

namespace tarmel::files {

// The target exists and replacing it was not asked for.
class FileExistsError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Creating, writing, reading or renaming a file failed; the message says which and why.
class FileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Calls write with an open descriptor of a new temporary file beside target (write closes it,
// or throws FileError), then gives it the target's name: over an existing file only when replace
// is set, and never over a file that appeared meanwhile otherwise. On any failure the temporary
// file is removed and target is untouched.
void writeAtomically(const std::filesystem::path& target, bool replace,
                     const std::function<void(int fd)>& write);

// Writes all of bytes to fd, however many calls it takes; returns 0, or the errno of the call
// that failed.
int writeAll(int fd, std::string_view bytes);

// Writes bytes to target as writeAtomically does, synced to the disk before the rename.
void writeBytesAtomically(const std::filesystem::path& target, bool replace,
                          std::string_view bytes);

} // namespace tarmel::files
