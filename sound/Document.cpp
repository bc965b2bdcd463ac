// The document of the sound and its rules.
#include "sound/Document.h"

#include <stdexcept>

namespace tarmel::sound {

namespace {

bool boxesDiffer(const Controls& a, const Controls& b) {
    for (std::size_t k = 0; k < a.modulators.size(); ++k) {
        if (a.modulators[k].on != b.modulators[k].on) {
            return true;
        }
    }
    return false;
}

} // namespace

void Document::set(int id, int value, uint64_t gesture) {
    const Control& c = control(id);
    if (!c.accepts(value)) {
        throw std::out_of_range(c.name + " is " + std::to_string(value) + "; it takes " +
                                std::to_string(c.minimum) + " to " + std::to_string(c.maximum));
    }
    if (c.get(controls_) == value) {
        return;
    }
    Controls next = controls_;
    c.set(next, value);
    const bool reset = replace(next);
    tell({Change::Kind::Control, id, gesture, reset, false});
}

void Document::setControls(const Controls& controls, bool fromHistory) {
    if (controls == controls_) {
        return;
    }
    const bool reset = replace(controls);
    tell({Change::Kind::Whole, -1, 0, reset, fromHistory});
}

void Document::open(const Controls& controls, const synth::SynthState& state) {
    controls_ = controls;
    generator_.setState(state);
    tell({Change::Kind::Opened, -1, 0, false, false});
}

void Document::resetOutputs() {
    generator_.resetOutputs();
    tell({Change::Kind::Outputs, -1, 0, true, false});
}

void Document::discardOscillator(int oscillator) {
    Controls next = controls_;
    for (int m = 1; m <= synth::kModulatorsPerOscillator; ++m) {
        for (ControlKind kind : {ControlKind::Box, ControlKind::Multiply, ControlKind::Divide}) {
            const Control& c = control(modulatorControl(kind, oscillator, m));
            c.set(next, c.start);
        }
    }
    controls_ = next;
    // The window's modulators are gone: outputs they left would otherwise keep scaling the
    // oscillator.
    generator_.resetOutputs();
    tell({Change::Kind::Whole, -1, 0, true, false});
}

bool Document::replace(const Controls& controls) {
    const bool reset = boxesDiffer(controls_, controls);
    controls_ = controls;
    if (reset) {
        generator_.resetOutputs();
    }
    return reset;
}

void Document::tell(const Change& change) {
    for (const Listener& listener : listeners_) {
        listener(change);
    }
}

} // namespace tarmel::sound
