// The generations of a render and the mix of the chosen oscillators.
#include "cli/Render.h"

#include "synth/Synthesizer.h"

namespace tarmel::cli {

std::unique_ptr<synth::Waves> renderWaves(const RenderRequest& req,
                                          const std::function<void(int done)>& progress) {
    const synth::Parameters params = sound::parametersOf(req.settings);
    synth::SynthState state = req.settings.state;
    auto waves = std::make_unique<synth::Waves>();
    for (int g = 0; g < req.generations; ++g) {
        synth::generate(params, state, *waves);
        if (progress) {
            progress(g + 1);
        }
    }
    return waves;
}

std::array<bool, synth::kOscillators> heardOscillators(const RenderRequest& req) {
    std::array<bool, synth::kOscillators> play = req.settings.play;
    if (req.osc) {
        play = {};
        play[static_cast<std::size_t>(*req.osc - 1)] = true;
    }
    return play;
}

std::vector<int16_t> renderSamples(const RenderRequest& req,
                                   const std::function<void(int done)>& progress) {
    return synth::heardMix(*renderWaves(req, progress), heardOscillators(req));
}

} // namespace tarmel::cli
