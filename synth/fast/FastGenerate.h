// The fast generation with its vector implementation and number of chunks chosen by the caller,
// so that tests and benchmarks can run every instruction set and chunking this machine allows.
#pragma once

#include "synth/Parameters.h"
#include "synth/Synthesizer.h"
#include "synth/fast/VectorMath.h"

namespace tarmel::synth {

struct FastOptions {
    const VectorMath* math; // the widest one this CPU runs when null
    int chunks;             // parts computed side by side; the hardware threads when 0
};

// How a fast generation went.
struct FastReport {
    bool usedReference = false; // an error or a value beyond the fast path: the reference decided
    int tiesRecomputed = 0;     // envelope levels and samples recomputed next to a rounding tie
};

// Same contract as generate().
FastReport generateFast(const Parameters& params, SynthState& state, Waves& waves,
                        const FastOptions& options);

} // namespace tarmel::synth
