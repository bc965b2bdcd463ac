// Google Benchmark: handing a second of sound to a voice, and one callback block of the mixer.
#include "audio/Mixer.h"

#include <benchmark/benchmark.h>
#include <memory>
#include <vector>

namespace {

using namespace tarmel::audio;

void MixerWrite(benchmark::State& st) {
    auto mixer = std::make_unique<Mixer>();
    const std::vector<int16_t> second(kVoiceFrames, 1234);
    for (auto _ : st) {
        mixer->write(0, VoiceSamples(second.data(), kVoiceFrames));
    }
    st.SetBytesProcessed(st.iterations() * kVoiceFrames * 2);
}
BENCHMARK(MixerWrite);

// The audio thread's work per block with all three voices sounding.
void MixerRenderBlock(benchmark::State& st) {
    auto mixer = std::make_unique<Mixer>();
    std::vector<int16_t> block(512);
    for (auto _ : st) {
        st.PauseTiming();
        for (int v = 0; v < kVoices; ++v) {
            mixer->stop(v);
            mixer->play(v);
        }
        st.ResumeTiming();
        mixer->render(block.data(), static_cast<int>(block.size()));
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(MixerRenderBlock);

} // namespace
