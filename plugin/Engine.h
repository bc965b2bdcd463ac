// The plug-in's worker side: the carried state of one instance and the generation of one second
// for a note, mixed as heard and brought to the host's sample rate. Runs on the host's worker
// thread (or, in a host without one, in run()); never on two threads at once for one instance,
// except that the host may save or restore the state meanwhile.
#pragma once

#include "sound/Document.h"
#include "synth/Synthesizer.h"

#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace tarmel::plugin {

class Engine {
public:
    // rate: the host's sample rate in hertz.
    explicit Engine(double rate);

    // The frames one second takes at this rate: the length of every sound.
    int frames() const { return frames_; }

    // Computes the next generation from controls and the carried state, on the calling thread,
    // and writes the second as heard into out (at least frames() long): every sample the 16-bit
    // sample divided by 32768, resampled when the rate is not 44100 Hz. Returns the frames
    // written: frames(), or 0 when the generation failed (the state is then what it left).
    int render(const sound::Controls& controls, std::span<float> out);

    // The carried state and the controls of the last generation as the settings file's text.
    std::string stateText() const;
    // Takes the carried state from a settings file's text; false when the text is not one.
    bool restoreState(const std::string& text);

private:
    double rate_;
    int frames_;
    mutable std::mutex mutex_; // the host may save or restore while a generation runs
    // The controls of the last generation and the carried state, with the program's rules:
    // a box changed since the last note sets the outputs back to 1. Guarded by mutex_.
    sound::Document document_;
    std::unique_ptr<synth::Waves> waves_;
    std::vector<float> heard_; // the second at 44100 Hz, before resampling
};

} // namespace tarmel::plugin
