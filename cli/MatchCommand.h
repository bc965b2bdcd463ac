// tarmel-render --match TARGET -o BEST.tarmel: searches for the settings whose sound comes
// closest to a sound file and writes them as a settings file.
#pragma once

#include <optional>

namespace tarmel::cli {

// The exit status of a match when the command line asks for one (it has --match); nothing
// otherwise. Status 0: written; 2: a bad option or a target that cannot be matched (nothing is
// written); 1: the settings file could not be written.
std::optional<int> runMatch(int argc, const char* const* argv);

} // namespace tarmel::cli
