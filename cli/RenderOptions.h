// The command line of tarmel-render, parsed and checked into a RenderRequest.
#pragma once

#include "cli/Render.h"

#include <string>
#include <variant>

namespace tarmel::cli {

// Parsing stopped early: print text, exit with code (0 for --help, 2 for bad input).
struct EarlyExit {
    int code;
    std::string text;
};

std::variant<RenderRequest, EarlyExit> parseRenderOptions(int argc, const char* const* argv);

} // namespace tarmel::cli
