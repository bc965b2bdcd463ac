// One instance's generations: the carried state, the second as heard, resampled with
// libsamplerate's best converter when the host does not run at 44100 Hz.
#include "plugin/Engine.h"

#include "files/Settings.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <samplerate.h>

namespace tarmel::plugin {

Engine::Engine(double rate)
    : rate_(rate), frames_(static_cast<int>(std::lround(rate))),
      waves_(std::make_unique<synth::Waves>()), heard_(synth::kBufferSamples) {}

int Engine::render(const sound::Controls& controls, std::span<float> out) {
    std::vector<int16_t> mix;
    {
        const std::lock_guard lock(mutex_);
        // The controls the host set since the last note, as the program's controls would be.
        document_.setControls(controls);
        synth::SynthState state = document_.state();
        try {
            synth::generateOnThisThread(sound::parametersOf(controls), state, *waves_);
        } catch (const std::exception&) {
            // A generation that fails (SynthError) plays nothing, as in the program; run() must
            // never see an exception.
            document_.generator().setState(state);
            return 0;
        }
        document_.generator().setState(state);
        mix = synth::heardMix(*waves_, controls.play);
    }
    const auto count = static_cast<std::size_t>(frames_);
    if (frames_ == synth::kSampleRate) {
        std::transform(mix.begin(), mix.end(), out.begin(),
                       [](int16_t s) { return static_cast<float>(s) / 32768.0f; });
        return frames_;
    }
    std::transform(mix.begin(), mix.end(), heard_.begin(),
                   [](int16_t s) { return static_cast<float>(s) / 32768.0f; });
    SRC_DATA data{};
    data.data_in = heard_.data();
    data.input_frames = static_cast<long>(heard_.size());
    data.data_out = out.data();
    data.output_frames = static_cast<long>(count);
    data.src_ratio = rate_ / synth::kSampleRate;
    if (src_simple(&data, SRC_SINC_BEST_QUALITY, 1) != 0) {
        return 0;
    }
    // The converter may give a few frames fewer than the second holds at the end: silence.
    std::fill(out.begin() + data.output_frames_gen, out.begin() + frames_, 0.0f);
    return frames_;
}

std::string Engine::stateText() const {
    const std::lock_guard lock(mutex_);
    files::Settings settings;
    static_cast<sound::Controls&>(settings) = document_.controls();
    settings.state = document_.state();
    return files::settingsText(settings);
}

bool Engine::restoreState(const std::string& text) {
    try {
        const files::Settings settings = files::parseSettings(text, "the plug-in's saved state");
        const std::lock_guard lock(mutex_);
        document_.open(settings, settings.state);
        return true;
    } catch (const files::SettingsError&) {
        return false;
    }
}

} // namespace tarmel::plugin
