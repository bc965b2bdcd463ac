// The generation the program uses.
#include "Synthesizer.h"

namespace tarmel::synth {

void generate(const Parameters& params, SynthState& state, Waves& waves) {
    generateReference(params, state, waves);
}

} // namespace tarmel::synth
