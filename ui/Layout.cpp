// The layout table: positions and sizes in twips (15 to a pixel at 96 dots per inch).
#include "ui/Layout.h"

#include <array>
#include <stdexcept>
#include <string>

namespace tarmel::ui {

namespace {

using enum ControlKind;
constexpr Align C = Align::Centre;
constexpr Align L = Align::Left;

constexpr std::array kMainControls = std::to_array<ControlLayout>({
    // Title area.
    {"Picture1", Picture, "", {240, 240, 2670, 520}, -1},
    {"Label7", Label, "Quorvane", {1320, 780, 1575, 255}, -1, Align::Right},
    // Generate area.
    {"CmdReset", Button, "reset", {3240, 240, 975, 255}, 0},
    {"Play", Button, "generate", {3240, 600, 975, 375}, 1},
    {"Lblkeys", StatusLabel, "Keyboard Active", {4320, 240, 1215, 255}, -1},
    // Oscillator 1's modulator panel: a row per multiplier bar, a column per ratio bar and box.
    {"Label5", Label, "Fm harmonics Osc1", {360, 1200, 1575, 255}, -1},
    {"Label2(8)", Label, "Divide", {3480, 1320, 975, 255}, -1, C},
    {"sliderFm(0)", HScrollBar, "", {360, 1680, 1695, 255}, 3},
    {"sliderFm(1)", HScrollBar, "", {360, 2040, 1695, 255}, 6},
    {"sliderFm(2)", HScrollBar, "", {360, 2400, 1695, 255}, 9},
    {"sliderFm(3)", HScrollBar, "", {360, 2760, 1695, 255}, 12},
    {"sliderFm(4)", HScrollBar, "", {360, 3120, 1695, 255}, 15},
    {"Label1(0)", Label, "1", {2160, 1680, 255, 255}, -1},
    {"Label1(1)", Label, "2", {2160, 2040, 255, 255}, -1},
    {"Label1(2)", Label, "3", {2160, 2400, 255, 255}, -1},
    {"Label1(3)", Label, "4", {2160, 2760, 255, 255}, -1},
    {"Label1(4)", Label, "5", {2160, 3120, 255, 255}, -1},
    {"sliderharmon(0)", VScrollBar, "", {2640, 1680, 255, 1455}, 4},
    {"sliderharmon(1)", VScrollBar, "", {3240, 1680, 255, 1455}, 7},
    {"sliderharmon(2)", VScrollBar, "", {3840, 1680, 255, 1455}, 10},
    {"sliderharmon(3)", VScrollBar, "", {4440, 1680, 255, 1455}, 13},
    {"sliderharmon(4)", VScrollBar, "", {5040, 1680, 255, 1455}, 16},
    {"Label2(7)", Label, "Multiply", {840, 3480, 735, 255}, -1, C},
    {"Label2(6)", Label, "Fm", {2280, 3480, 255, 255}, -1},
    {"ChkFm(0)", CheckBox, "1", {2640, 3480, 375, 255}, 2},
    {"ChkFm(1)", CheckBox, "2", {3240, 3480, 375, 255}, 5},
    {"ChkFm(2)", CheckBox, "3", {3840, 3480, 375, 255}, 8},
    {"ChkFm(3)", CheckBox, "4", {4440, 3480, 375, 255}, 11},
    {"ChkFm(4)", CheckBox, "5", {5040, 3480, 375, 255}, 14},
    // Pitch area: a column per oscillator.
    {"Label3", Label, "Tone", {5760, 240, 375, 255}, -1, C},
    {"Lblos1(0)", StatusLabel, "", {5760, 480, 375, 255}, -1, C},
    {"Lblos1(1)", StatusLabel, "", {6480, 480, 375, 255}, -1, C},
    {"Lblos1(2)", StatusLabel, "", {7200, 480, 375, 255}, -1, C},
    {"VScroll1", PitchSlider, "", {5760, 840, 255, 2295}, 17},
    {"VScroll2", PitchSlider, "", {6480, 840, 375, 2295}, 19},
    {"VScroll3", PitchSlider, "", {7200, 840, 375, 2295}, 21},
    {"Label2(4)", BoldLabel, "-", {6840, 840, 375, 255}, -1, C},
    {"Label2(5)", Label, "0", {6840, 1920, 375, 255}, -1, C},
    {"Label2(3)", BoldLabel, "+", {6840, 2880, 375, 255}, -1, C},
    {"Label2(0)", Label, "Osc1", {5760, 3240, 375, 255}, -1},
    {"Label2(1)", Label, "Osc2", {6480, 3240, 375, 255}, -1},
    {"Label2(2)", Label, "Osc3", {7200, 3240, 375, 255}, -1},
    {"Check1(0)", CheckBox, "1", {5760, 3480, 375, 255}, 18},
    {"Check1(1)", CheckBox, "2", {6480, 3480, 375, 255}, 20},
    {"Check1(2)", CheckBox, "3", {7200, 3480, 375, 255}, 22},
    // Envelope area.
    {"Label6", Label, "envelope", {7800, 240, 1095, 255}, -1, C},
    {"Label4(1)", Label, "decay", {8040, 600, 615, 255}, -1, C},
    {"Sliderattack", VScrollBar, "", {8160, 960, 375, 2415}, 23},
    {"Label4(0)", Label, "attack", {8040, 3480, 615, 255}, -1, C},
    // Button column.
    {"Label4(2)", Label, "Timer", {9000, 240, 615, 255}, -1, C},
    {"Cmdstart", Button, "repeat", {9000, 600, 615, 495}, 24},
    {"Cmdstop", Button, "stop", {9000, 1200, 615, 495}, 25},
    {"Label2(9)", Label, "Fm", {9000, 1920, 615, 255}, -1, C},
    {"CmdOsc2", Button, "Osc2", {9000, 2280, 615, 255}, 26},
    {"CmdOsc3", Button, "Osc3", {9000, 2640, 615, 255}, 27},
    {"Cmdhelp", Button, "Help", {9000, 3120, 615, 255}, 28},
    {"CmdExit", Button, "Exit", {9000, 3600, 615, 255}, 29},
});

// The frame 120 twips inside the client area, and the separators between the areas.
constexpr std::array kMainLines = std::to_array<LineLayout>({
    {"Line7", 120, 120, 9720, 120},
    {"Line8", 9720, 3960, 9720, 120},
    {"Line5", 9720, 3960, 120, 3960},
    {"Line9", 120, 3960, 120, 120},
    {"Line1", 120, 1080, 5640, 1080},
    {"Line3", 3120, 120, 3120, 1080},
    {"Line2", 5640, 120, 5640, 3960},
    {"Line4", 7800, 120, 7800, 3960},
    {"Line6", 8880, 120, 8880, 3960},
    {"Line10", 8880, 1800, 9720, 1800},
    {"Line11", 8880, 3000, 9720, 3000},
});

// The oscillator 2 window; the oscillator 3 window moves the marked rows down.
constexpr std::array kOscillatorControls = std::to_array<ControlLayout>({
    {"Label5", Label, "Fm harmonics Osc2", {360, 240, 1575, 255}, -1},
    {"Label2(8)", Label, "Divide", {3480, 240, 975, 255}, -1, C, true},
    {"sliderFm(0)", HScrollBar, "", {360, 600, 1695, 255}, 1, L, true},
    {"sliderFm(1)", HScrollBar, "", {360, 960, 1695, 255}, 4, L, true},
    {"sliderFm(2)", HScrollBar, "", {360, 1320, 1695, 255}, 7, L, true},
    {"sliderFm(3)", HScrollBar, "", {360, 1680, 1695, 255}, 10, L, true},
    {"sliderFm(4)", HScrollBar, "", {360, 2040, 1695, 255}, 13, L, true},
    {"Label1(0)", Label, "1", {2160, 600, 255, 255}, -1, L, true},
    {"Label1(1)", Label, "2", {2160, 960, 255, 255}, -1, L, true},
    {"Label1(2)", Label, "3", {2160, 1320, 255, 255}, -1, L, true},
    {"Label1(3)", Label, "4", {2160, 1680, 255, 255}, -1, L, true},
    {"Label1(4)", Label, "5", {2160, 2040, 255, 255}, -1, L, true},
    {"sliderharmon(0)", VScrollBar, "", {2640, 600, 255, 1455}, 2, L, true},
    {"sliderharmon(1)", VScrollBar, "", {3240, 600, 255, 1455}, 5, L, true},
    {"sliderharmon(2)", VScrollBar, "", {3840, 600, 255, 1455}, 8, L, true},
    {"sliderharmon(3)", VScrollBar, "", {4440, 600, 255, 1455}, 11, L, true},
    {"sliderharmon(4)", VScrollBar, "", {5040, 600, 255, 1455}, 14, L, true},
    {"Label2(7)", Label, "Multiply", {840, 2400, 735, 255}, -1, C, true},
    {"Label2(6)", Label, "Fm", {2280, 2400, 255, 255}, -1},
    {"ChkFm(0)", CheckBox, "1", {2640, 2400, 375, 255}, 0},
    {"ChkFm(1)", CheckBox, "2", {3240, 2400, 375, 255}, 3},
    {"ChkFm(2)", CheckBox, "3", {3840, 2400, 375, 255}, 6},
    {"ChkFm(3)", CheckBox, "4", {4440, 2400, 375, 255}, 9},
    {"ChkFm(4)", CheckBox, "5", {5040, 2400, 375, 255}, 12},
    {"Label3", Label, "", {3480, 2760, 1935, 255}, -1},
});

constexpr std::array kOscillatorLines = std::to_array<LineLayout>({
    {"Line1", 120, 120, 5520, 120},
    {"Line3", 5520, 3000, 5520, 120},
    {"Line4", 120, 3000, 5520, 3000},
    {"Line2", 120, 3000, 120, 120},
});

constexpr std::array<ControlLayout, kOscillatorControls.size()> oscillator3Controls() {
    auto controls = kOscillatorControls;
    for (ControlLayout& c : controls) {
        if (c.lowerInOscillator3) {
            c.at.top += 120;
        }
        if (c.name == "Label5") {
            c.text = "Fm harmonics Osc3";
        }
    }
    return controls;
}
constexpr auto kOscillator3Controls = oscillator3Controls();

// The paragraphs keep every blank as written, including runs of two and six.
constexpr std::array kHelpControls = std::to_array<ControlLayout>({
    {"Label4", Heading, "Tarmel by Brennick", {120, 120, 2895, 255}, -1},
    {"Label2(0)",
     Paragraph,
     "Click on the main window of Tarmel and press any letter on your computers keyboard, "
     "just once. wait a second for the sound to be calculated. You will then hear a tone.",
     {240, 600, 4815, 735},
     -1},
    {"Label2(1)",
     Paragraph,
     "Tarmel has 3 main oscilators, The pitch of osc1 is determined by the slider named "
     "Osc1, or by pressing a key. The pitch of the other 2 oscilators are determined by "
     "osc1 and can be detuned with the sliders named Osc2 and Osc3. The check boxes "
     "below, switch them on and off. The volume envelope is a proportion of attack and "
     "decay  that can be set with the slider.",
     {240, 1440, 4815, 1215},
     -1},
    {"Label2(2)",
     Paragraph,
     "Each oscilator can be modulated by up to 5 seperate waveforms. These can be turned "
     "on or off by clicking the check boxes      named 1 - 5. Above and to the left are "
     "sliders named multiply and divide, they change the frequency and wavelength of the "
     "modulating oscilators.",
     {240, 2760, 4815, 855},
     -1},
    {"Label2(3)",
     Paragraph,
     "Buttons. 'Reset' - stops and resets the sound buffers. 'Generate' -generates a "
     "sound to the current settings. 'Repeat' - plays and repeats a sound to the current "
     "settings. 'Stop' - stops the repeat. 'Osc2' - reveals Oscilator 2 Fm controls. "
     "'Osc3' - reveals Oscilator 3 Fm controls. 'Exit' - closes Tarmel.",
     {240, 3720, 4815, 975},
     -1},
    {"Label1",
     Label,
     "Brennick has made this sound generator for you. ",
     {240, 4920, 3855, 255},
     -1,
     C},
    {"OKButton", Button, "OK", {4200, 4920, 855, 375}, 0},
    {"Label3", Label, "", {2040, 5160, 1935, 255}, -1},
});

constexpr std::array kHelpLines = std::to_array<LineLayout>({
    {"Line1", 120, 480, 5160, 480},
    {"Line4", 5160, 480, 5160, 5400},
    {"Line5", 120, 5400, 5160, 5400},
    {"Line2", 120, 5400, 120, 480},
    {"Line3", 120, 4800, 5160, 4800},
});

const WindowLayout kMain{
    "Frmtarmel", "Brennick  Tarmel1.0", {0, 0, 9840, 4080}, kMainControls, kMainLines};
const WindowLayout kOscillator2{
    "FrmOsc2", "Oscillator2", {1605, 7110, 5655, 3135}, kOscillatorControls, kOscillatorLines};
const WindowLayout kOscillator3{
    "FrmOsc3", "Oscilator3", {7185, 7110, 5655, 3135}, kOscillator3Controls, kOscillatorLines};
const WindowLayout kHelp{
    "Dialog", "Tarmel Help", {2760, 3750, 5295, 5550}, kHelpControls, kHelpLines};

} // namespace

const ControlLayout& WindowLayout::control(std::string_view controlName) const {
    for (const ControlLayout& c : controls) {
        if (c.name == controlName) {
            return c;
        }
    }
    throw std::out_of_range("no control " + std::string(controlName) + " in " + std::string(name));
}

const WindowLayout& mainWindowLayout() {
    return kMain;
}

const WindowLayout& oscillatorWindowLayout(int oscillator) {
    return oscillator == 3 ? kOscillator3 : kOscillator2;
}

const WindowLayout& helpWindowLayout() {
    return kHelp;
}

} // namespace tarmel::ui
