// Check boxes read from the screen.
#include "MainBoxes.h"

#include "WindowLayouts.h"

#include <stdexcept>

namespace tarmel::robustness {

namespace {

// The box's square: its left part, without the caption that carries the focus frame.
constexpr int kSquareWidth = 15;

} // namespace

MainBoxes::MainBoxes(TarmelSession& session) : session_(session) {
    movePointerAway();
    session_.probe().settle(session_.main(), e2e::milliseconds(30000));
    // The window may still be painting its first picture.
    e2e::waitUntil(
        [&] {
            tickedLook_ = look("Check1(0)");
            clearLook_ = look("Check1(1)");
            return !tickedLook_.empty() && tickedLook_ != clearLook_;
        },
        e2e::milliseconds(10000), e2e::milliseconds(50));
    if (tickedLook_.empty() || tickedLook_ == clearLook_) {
        throw std::runtime_error("a ticked and a clear check box look the same on screen");
    }
}

void MainBoxes::movePointerAway() {
    session_.xdotool({"mousemove", "1270", "1010"});
}

std::vector<uint32_t> MainBoxes::look(const std::string& name) {
    const Control& box = mainWindowLayout().control(name);
    return session_.probe().pixels(session_.main(), pixels(box.left), pixels(box.top), kSquareWidth,
                                   pixels(box.height));
}

std::optional<bool> MainBoxes::ticked(const std::string& name) {
    const std::vector<uint32_t> now = look(name);
    if (now == tickedLook_) {
        return true;
    }
    if (now == clearLook_) {
        return false;
    }
    return std::nullopt;
}

} // namespace tarmel::robustness
