// The command line of tarmel-render, parsed and checked into a RenderRequest.
#pragma once

#include "cli/RenderRequest.h"

#include <string>
#include <variant>

namespace tarmel::cli {

// Parsing stopped early: print text, exit with code (0 for --help, 2 for bad input).
struct EarlyExit {
    int code;
    std::string text;
};

std::variant<RenderRequest, EarlyExit> parseRenderOptions(int argc, const char* const* argv);

// The file format an output path's extension names (.wav, .flac, .aiff, any case).
std::optional<FileFormat> formatForPath(const std::filesystem::path& path);

} // namespace tarmel::cli
