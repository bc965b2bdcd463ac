// tarmel-render --settings A.tarmel B.tarmel ... --output-dir DIR: many settings files rendered
// side by side, each to DIR/NAME.wav (or the extension --format names).
#pragma once

#include <optional>

namespace tarmel::cli {

// The exit status of a batch when the command line asks for one (it has --output-dir);
// nothing otherwise. Status 0: all written; 2: bad input, or a settings file refused or a sound
// file in the way (the others are still written); 1: a write failed.
std::optional<int> runBatch(int argc, const char* const* argv);

} // namespace tarmel::cli
