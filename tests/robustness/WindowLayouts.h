// Where the user finds the buttons, boxes, bars and sliders of each of tarmel's windows, in
// twips of the window's client area, as the monkey and the soak run aim at them.
#pragma once

#include <string>
#include <vector>

namespace tarmel::robustness {

enum class Part {
    Button,
    Box,
    HorizontalBar, // scroll bar, minimum at the left
    VerticalBar,   // scroll bar or track-bar slider, minimum at the top
};

struct Control {
    std::string name;
    Part part;
    int left;
    int top;
    int width;
    int height;
};

struct WindowLayout {
    std::string title;
    int width;
    int height;
    std::vector<Control> controls;

    const Control& control(const std::string& name) const;
    std::vector<const Control*> of(Part part) const;
};

// The main window, "Brennick  Tarmel1.0".
const WindowLayout& mainWindowLayout();
// The oscillator 2 or 3 window.
const WindowLayout& oscillatorWindowLayout(int oscillator);
// The help window.
const WindowLayout& helpWindowLayout();

// Twips to pixels as the windows lay out their controls.
constexpr int pixels(int twips) {
    return (twips + 7) / 15;
}

} // namespace tarmel::robustness
