// Reads whether the main window's check boxes are ticked from what the screen shows: each box is
// compared with how a ticked and a clear box looked at start-up, when only play box "1" was
// ticked.
#pragma once

#include "TarmelSession.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarmel::robustness {

class MainBoxes {
public:
    // Captures the looks; the main window must be shown as it starts, nothing over its boxes.
    // Throws when a ticked and a clear box cannot be told apart.
    explicit MainBoxes(TarmelSession& session);

    // True when ticked, false when clear, nothing when the box looks like neither (covered, or
    // drawn with the focus or the pointer on it).
    std::optional<bool> ticked(const std::string& name);

    // Moves the pointer away from every window, so that no box is drawn hovered.
    void movePointerAway();

private:
    std::vector<uint32_t> look(const std::string& name);

    TarmelSession& session_;
    std::vector<uint32_t> tickedLook_;
    std::vector<uint32_t> clearLook_;
};

} // namespace tarmel::robustness
