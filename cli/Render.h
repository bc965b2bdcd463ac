// Computes the samples tarmel-render writes: what one generate request hands a buffer.
#pragma once

#include "cli/RenderRequest.h"

#include <vector>

namespace tarmel::cli {

// The parameter snapshot a generate request would take for these options.
synth::Parameters parametersFor(const RenderRequest& req);

// The 44100 samples of the last of req.generations generations: one oscillator's own samples,
// or the chosen oscillators summed and clamped to 16 bits. Throws synth::SynthError.
std::vector<int16_t> renderSamples(const RenderRequest& req);

} // namespace tarmel::cli
