// The layout tables of the main, oscillator and help windows.
#include "WindowLayouts.h"

#include <stdexcept>

namespace tarmel::robustness {

namespace {

std::string indexed(const char* name, int index) {
    return std::string(name) + "(" + std::to_string(index) + ")";
}

WindowLayout makeMain() {
    WindowLayout w{"Brennick  Tarmel1.0", 9840, 4080, {}};
    w.controls = {
        {"reset", Part::Button, 3240, 240, 975, 255},
        {"generate", Part::Button, 3240, 600, 975, 375},
        {"repeat", Part::Button, 9000, 600, 615, 495},
        {"stop", Part::Button, 9000, 1200, 615, 495},
        {"Osc2", Part::Button, 9000, 2280, 615, 255},
        {"Osc3", Part::Button, 9000, 2640, 615, 255},
        {"Help", Part::Button, 9000, 3120, 615, 255},
        {"Exit", Part::Button, 9000, 3600, 615, 255},
        {"VScroll1", Part::VerticalBar, 5760, 840, 255, 2295},
        {"VScroll2", Part::VerticalBar, 6480, 840, 375, 2295},
        {"VScroll3", Part::VerticalBar, 7200, 840, 375, 2295},
        {"Sliderattack", Part::VerticalBar, 8160, 960, 375, 2415},
    };
    for (int k = 0; k < 3; ++k) {
        w.controls.push_back({indexed("Check1", k), Part::Box, 5760 + 720 * k, 3480, 375, 255});
    }
    for (int i = 0; i < 5; ++i) {
        w.controls.push_back({indexed("ChkFm", i), Part::Box, 2640 + 600 * i, 3480, 375, 255});
        w.controls.push_back(
            {indexed("sliderFm", i), Part::HorizontalBar, 360, 1680 + 360 * i, 1695, 255});
        w.controls.push_back(
            {indexed("sliderharmon", i), Part::VerticalBar, 2640 + 600 * i, 1680, 255, 1455});
    }
    return w;
}

WindowLayout makeOscillator(int oscillator) {
    const int shift = oscillator == 3 ? 120 : 0;
    WindowLayout w{oscillator == 3 ? "Oscilator3" : "Oscillator2", 5655, 3135, {}};
    for (int i = 0; i < 5; ++i) {
        w.controls.push_back({indexed("ChkFm", i), Part::Box, 2640 + 600 * i, 2400, 375, 255});
        w.controls.push_back(
            {indexed("sliderFm", i), Part::HorizontalBar, 360, 600 + shift + 360 * i, 1695, 255});
        w.controls.push_back({indexed("sliderharmon", i), Part::VerticalBar, 2640 + 600 * i,
                              600 + shift, 255, 1455});
    }
    return w;
}

} // namespace

const Control& WindowLayout::control(const std::string& name) const {
    for (const Control& c : controls) {
        if (c.name == name) {
            return c;
        }
    }
    throw std::out_of_range("no control " + name + " on " + title);
}

std::vector<const Control*> WindowLayout::of(Part part) const {
    std::vector<const Control*> found;
    for (const Control& c : controls) {
        if (c.part == part) {
            found.push_back(&c);
        }
    }
    return found;
}

const WindowLayout& mainWindowLayout() {
    static const WindowLayout layout = makeMain();
    return layout;
}

const WindowLayout& oscillatorWindowLayout(int oscillator) {
    static const WindowLayout two = makeOscillator(2);
    static const WindowLayout three = makeOscillator(3);
    return oscillator == 3 ? three : two;
}

const WindowLayout& helpWindowLayout() {
    static const WindowLayout layout{
        "Tarmel Help", 5295, 5550, {{"OK", Part::Button, 4200, 4920, 855, 375}}};
    return layout;
}

} // namespace tarmel::robustness
