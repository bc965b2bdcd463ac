// The one layout table of the program: every window's caption and client area, and every
// control's name, kind, caption, place and size in twips and place in the reading order. The
// windows are built from it; tests that need a position read it.
#pragma once

#include "ui/Twips.h"

#include <span>
#include <string_view>

namespace tarmel::ui {

enum class ControlKind {
    Label,       // default font, dark grey background
    BoldLabel,   // "MS Sans Serif" 12-point bold
    StatusLabel, // green text: "Keyboard Active" and the pitch read-outs
    Heading,     // "MS Sans Serif" 9.75-point bold (the help window's heading)
    Paragraph,   // wrapped text on mid grey (the help window's paragraphs)
    Picture,     // the title picture
    Button,
    CheckBox,
    HScrollBar,  // minimum at the left
    VScrollBar,  // minimum at the top
    PitchSlider, // vertical track-bar slider, minimum at the top, ticks on the right
};

enum class Align { Left, Centre, Right };

struct ControlLayout {
    std::string_view name; // the control's objectName
    ControlKind kind;
    std::string_view text; // caption; empty for bars, sliders and the picture
    TwipRect at;
    // Place in the window's Tab order, which is its reading order (docs/ACCESSIBILITY.md), 0
    // first; -1 for what takes no focus.
    int tab;
    Align align = Align::Left; // labels only
    // The oscillator windows' multiplier bars, row numbers, ratio bars, "Divide" and "Multiply"
    // sit 120 twips lower in the oscillator 3 window than in the oscillator 2 window.
    bool lowerInOscillator3 = false;
};

// A thin line from (x1, y1) to (x2, y2) in twips of the client area.
struct LineLayout {
    std::string_view name;
    int x1;
    int y1;
    int x2;
    int y2;
};

struct WindowLayout {
    std::string_view name;    // the window's objectName
    std::string_view caption; // its title
    // Width and height of the client area; left and top place it on the screen, except for the
    // main window, which the system places.
    TwipRect client;
    std::span<const ControlLayout> controls;
    std::span<const LineLayout> lines;

    // The control of that name; throws std::out_of_range for an unknown name.
    const ControlLayout& control(std::string_view controlName) const;
};

const WindowLayout& mainWindowLayout();
// oscillator is 2 or 3.
const WindowLayout& oscillatorWindowLayout(int oscillator);
const WindowLayout& helpWindowLayout();

} // namespace tarmel::ui
