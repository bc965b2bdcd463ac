// What the plug-in must put out, computed without it: each note's second from the synth library's
// straightforward reference computation, mixed as heard, divided by 32768 and laid at its frame.
#pragma once

#include "sound/Controls.h"
#include "synth/Synthesizer.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace tarmel::plugin::test {

struct Played {
    uint64_t frame;
    int note;
    sound::Controls controls;                            // pitch 1 is set from the note
    uint64_t cut = std::numeric_limits<uint64_t>::max(); // where the voice is silenced or stolen
};

// Note 69 is 440 Hz, twelve notes an octave, rounded to the hertz.
inline int16_t pitchOf(int note) {
    return static_cast<int16_t>(std::lround(440.0 * std::pow(2.0, (note - 69) / 12.0)));
}

// The notes in order, from state (which is left where the last one leaves it) and the controls
// before the first note: as in the program, a modulator box changed since the note before sets
// the fifteen outputs back to 1.
inline std::vector<float> expected(const std::vector<Played>& notes, uint64_t frames,
                                   synth::SynthState& state,
                                   sound::Controls before = sound::Controls{}) {
    std::vector<float> out(frames, 0.0f);
    synth::Waves waves{};
    for (const Played& p : notes) {
        sound::Controls c = p.controls;
        for (std::size_t k = 0; k < c.modulators.size(); ++k) {
            if (c.modulators[k].on != before.modulators[k].on) {
                state.setFifteenOutputs();
            }
        }
        before = c;
        c.pitch1 = pitchOf(p.note);
        synth::generateReference(sound::parametersOf(c), state, waves);
        const std::vector<int16_t> heard = synth::heardMix(waves, c.play);
        for (uint64_t i = 0; i < heard.size() && p.frame + i < std::min(frames, p.cut); ++i) {
            out[p.frame + i] += static_cast<float>(heard[i]) / 32768.0f;
        }
    }
    return out;
}

} // namespace tarmel::plugin::test
