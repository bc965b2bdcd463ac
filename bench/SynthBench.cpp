// One generation of wave1..wave3, in the configurations that bound its cost: generate() and the
// reference with all modulators off, all fifteen on and only the random one, and the fast path
// with all fifteen on for each instruction set.
#include "synth/Synthesizer.h"
#include "synth/fast/FastGenerate.h"
#include "synth/fast/VectorMath.h"

#include <algorithm>
#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace tarmel::synth;
using Run = std::function<void(const Parameters&, SynthState&, Waves&)>;

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

// One generation per iteration, each from neutral stored outputs.
void measure(benchmark::State& st, const Parameters& p, const Run& run, const VectorMath* needs) {
    const auto supported = supportedVectorMaths();
    if (needs != nullptr &&
        std::find(supported.begin(), supported.end(), needs) == supported.end()) {
        st.SkipWithError("this CPU lacks the instruction set");
        return;
    }
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (auto _ : st) {
        run(p, state, *waves);
        benchmark::DoNotOptimize(waves->data());
        state.setFifteenOutputs();
    }
}

void add(const std::string& name, const Parameters& p, const Run& run,
         const VectorMath* needs = nullptr) {
    benchmark::RegisterBenchmark(name.c_str(), measure, p, run, needs)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

const bool kRegistered = [] {
    const std::pair<const char*, Parameters> sets[] = {
        {"AllOff", Parameters{}}, {"AllFifteenOn", allOn()}, {"RandomOnly", randomOnly()}};
    for (const auto& [name, p] : sets) {
        add(std::string("Generate_") + name, p, generate);
        add(std::string("Reference_") + name, p, generateReference);
    }
    for (const VectorMath* math : {&kSse2VectorMath, &kAvx2VectorMath, &kAvx512VectorMath}) {
        const Run fast = [math](const Parameters& p, SynthState& s, Waves& w) {
            generateFast(p, s, w, {math, 0});
        };
        add(std::string("Fast_AllFifteenOn/") + math->name, allOn(), fast, math);
    }
    return true;
}();

} // namespace
