// Google Benchmark of the sound layer: writing one second into a buffer, and one callback block.
#include "audio/Mixer.h"
#include "audio/SdlSound.h"

#include <benchmark/benchmark.h>
#include <cstdlib>
#include <vector>

namespace {

using namespace tarmel::audio;

std::vector<int16_t> oneSecond() {
    std::vector<int16_t> s(kBufferFrames);
    for (int i = 0; i < kBufferFrames; ++i) {
        s[i] = static_cast<int16_t>(i * 7 % 20000 - 10000);
    }
    return s;
}

void BM_MixerWrite(benchmark::State& state) {
    Mixer mixer;
    const int voice = mixer.addVoice();
    const auto samples = oneSecond();
    for (auto _ : state) {
        mixer.write(voice, 0, static_cast<int32_t>(kBufferBytes), samples.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBufferBytes);
}
BENCHMARK(BM_MixerWrite);

// Through the SDL buffer while its device runs; the dummy driver unless SDL_AUDIODRIVER says
// otherwise.
void BM_SdlWriteBuffer(benchmark::State& state) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    auto root = makeSdlSoundSystem();
    auto device = root->CreateDevice("");
    BufferDescription desc;
    fillOneSecondMono16(desc);
    auto buffer = device->CreateSoundBuffer(desc);
    const auto samples = oneSecond();
    for (auto _ : state) {
        buffer->WriteBuffer(0, static_cast<int32_t>(kBufferBytes), samples.data(), 0);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kBufferBytes);
}
BENCHMARK(BM_SdlWriteBuffer);

// One callback block with all three buffers sounding.
void BM_MixerRenderBlock(benchmark::State& state) {
    Mixer mixer;
    const auto samples = oneSecond();
    std::vector<int> voices;
    for (int i = 0; i < 3; ++i) {
        voices.push_back(mixer.addVoice());
        mixer.write(voices.back(), 0, static_cast<int32_t>(kBufferBytes), samples.data());
    }
    std::vector<int16_t> block(kSdlCallbackFrames);
    for (auto _ : state) {
        for (int v : voices) {
            mixer.play(v); // restarts voices that reached their end
        }
        mixer.render(block.data(), kSdlCallbackFrames);
        benchmark::DoNotOptimize(block.data());
    }
}
BENCHMARK(BM_MixerRenderBlock);

} // namespace
