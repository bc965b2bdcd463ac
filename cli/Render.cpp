// The generations of a render and the mix of the chosen oscillators.
#include "cli/Render.h"

#include "synth/Pitch.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <memory>

namespace tarmel::cli {

synth::Parameters parametersFor(const RenderRequest& req) {
    synth::Parameters p;
    p.pitch1 = req.pitch;
    p.pitch2 = synth::pitchWithOffset(req.offset2, req.pitch);
    p.pitch3 = synth::pitchWithOffset(req.offset3, req.pitch);
    p.attack = req.attack;
    p.modulators = req.modulators;
    return p;
}

std::vector<int16_t> renderSamples(const RenderRequest& req) {
    const synth::Parameters params = parametersFor(req);
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    for (int g = 0; g < req.generations; ++g) {
        synth::generate(params, state, *waves);
    }

    std::vector<int16_t> out(synth::kBufferSamples);
    if (req.osc) {
        const auto& wave = (*waves)[static_cast<std::size_t>(*req.osc - 1)];
        std::copy_n(wave.begin(), synth::kBufferSamples, out.begin());
        return out;
    }
    for (std::size_t n = 0; n < out.size(); ++n) {
        int32_t sum = 0;
        for (int osc : req.play) {
            sum += (*waves)[static_cast<std::size_t>(osc - 1)][n];
        }
        out[n] = static_cast<int16_t>(std::clamp<int32_t>(sum, INT16_MIN, INT16_MAX));
    }
    return out;
}

} // namespace tarmel::cli
