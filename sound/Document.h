// The document of the sound: the values of its 52 controls and the state carried from one
// generation to the next, with the rules about values kept here once, whatever door a change
// comes through (a window's control, undo, random, a file, a note, a screen reader):
// - a change of any modulator box sets the fifteen outputs back to 1;
// - an oscillator window closed discards its modulators' values, and the outputs go back to 1;
// - opening a file brings the file's own carried state.
// Every change is told to the listeners, once, with what changed.
#pragma once

#include "sound/Controls.h"
#include "synth/Generator.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace tarmel::sound {

struct Change {
    enum class Kind {
        Control, // one control changed by the user
        Whole,   // the controls were set as a whole: undo, redo, random, mutate, a preset
        Opened,  // the controls and the carried state were set as a file holds them
        Outputs, // only the fifteen outputs went back to 1
    };
    Kind kind = Kind::Control;
    int control = -1; // Kind::Control: the control's id
    // Kind::Control: changes of one control that carry the same gesture (a drag, a held key, a
    // run of notes) are one step of the user's; 0 is a gesture of its own.
    uint64_t gesture = 0;
    bool outputsReset = false; // the change set the fifteen outputs back to 1
    // Kind::Whole: the change goes back or forth in the undo history, which records nothing.
    bool fromHistory = false;
};

class Document {
public:
    using Listener = std::function<void(const Change&)>;

    const Controls& controls() const { return controls_; }
    int value(int id) const { return control(id).get(controls_); }
    const synth::SynthState& state() const { return generator_.state(); }

    // One control set by the user; a value equal to the current one changes nothing. Throws
    // std::out_of_range for a value outside the control's range.
    void set(int id, int value, uint64_t gesture = 0);
    // Every control as a whole, keeping the carried state: undo and redo (fromHistory), random,
    // mutate. Boxes that change set the outputs back to 1.
    void setControls(const Controls& controls, bool fromHistory = false);
    // The controls and the carried state as a file holds them.
    void open(const Controls& controls, const synth::SynthState& state);
    // modOut1..modOut15 back to 1: reset, the exit question, oscillator 2's window losing the
    // focus.
    void resetOutputs();
    // An oscillator window (2 or 3) was closed: its modulators go back to their start values and
    // the outputs to 1.
    void discardOscillator(int oscillator);

    // The generations: the waves of the last one and the carried state.
    synth::Generator& generator() { return generator_; }
    const synth::Generator& generator() const { return generator_; }
    // What a generation reads now.
    synth::Parameters parameters() const { return parametersOf(controls_); }

    // Listeners are called in the order they were added, after the change is made.
    void listen(Listener listener) { listeners_.push_back(std::move(listener)); }

private:
    // Sets the controls; true when a box changed, and then the outputs are back to 1.
    bool replace(const Controls& controls);
    void tell(const Change& change);

    Controls controls_;
    synth::Generator generator_;
    std::vector<Listener> listeners_;
};

} // namespace tarmel::sound
