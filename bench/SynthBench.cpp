// One generation of wave1..wave3, in the configurations that bound its cost.
#include "synth/Synthesizer.h"
#include "synth/fast/FastGenerate.h"
#include "synth/fast/VectorMath.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

using namespace tarmel::synth;

Parameters allOn() {
    Parameters p;
    p.pitch2 = 110;
    p.pitch3 = 87;
    p.attack = 500;
    for (int k = 0; k < kModulators; ++k) {
        // Distinct multipliers and ratios, so no two modulators share a phase.
        p.modulators[static_cast<std::size_t>(k)] = {true, static_cast<int16_t>(2 + k % 9),
                                                     static_cast<int16_t>(2 + k)};
    }
    return p;
}

Parameters randomOnly() {
    Parameters p;
    p.modulator(2, 2) = {true, 2, 2};
    return p;
}

template <void (*Generate)(const Parameters&, SynthState&, Waves&)>
void run(benchmark::State& st, const Parameters& p) {
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (auto _ : st) {
        Generate(p, state, *waves);
        benchmark::DoNotOptimize(waves->data());
        state.setFifteenOutputs();
    }
}

void Generate_AllOff(benchmark::State& st) {
    run<generate>(st, Parameters{});
}
void Generate_AllFifteenOn(benchmark::State& st) {
    run<generate>(st, allOn());
}
void Generate_RandomOnly(benchmark::State& st) {
    run<generate>(st, randomOnly());
}
void Reference_AllOff(benchmark::State& st) {
    run<generateReference>(st, Parameters{});
}
void Reference_AllFifteenOn(benchmark::State& st) {
    run<generateReference>(st, allOn());
}
void Reference_RandomOnly(benchmark::State& st) {
    run<generateReference>(st, randomOnly());
}

// The fast generation with a narrower instruction set than this CPU's widest.
void Fast_AllFifteenOn(benchmark::State& st, const VectorMath* math) {
    const auto supported = supportedVectorMaths();
    if (std::find(supported.begin(), supported.end(), math) == supported.end()) {
        st.SkipWithError("this CPU lacks the instruction set");
        return;
    }
    const Parameters p = allOn();
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (auto _ : st) {
        generateFast(p, state, *waves, {math, 0});
        benchmark::DoNotOptimize(waves->data());
        state.setFifteenOutputs();
    }
}

BENCHMARK(Generate_AllOff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Generate_AllFifteenOn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Generate_RandomOnly)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(Fast_AllFifteenOn, SSE2, &kSse2VectorMath)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(Fast_AllFifteenOn, AVX2, &kAvx2VectorMath)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Reference_AllOff)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Reference_AllFifteenOn)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Reference_RandomOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
