// One generation of wave1..wave3, in the configurations that bound its cost: generate() and the
// reference with all modulators off, all fifteen on and only the random one, and the fast path
// with all fifteen on for each instruction set this CPU runs.
#include "synth/Synthesizer.h"
#include "synth/fast/FastGenerate.h"
#include "synth/fast/VectorMath.h"

#include <benchmark/benchmark.h>
#include <functional>
#include <memory>
#include <string>

namespace {

using namespace tarmel::synth;
using Run = std::function<void(const Parameters&, SynthState&, Waves&)>;

// One generation per iteration, each from neutral stored outputs.
void measure(benchmark::State& st, const Parameters& p, const Run& run) {
    SynthState state;
    auto waves = std::make_unique<Waves>();
    for (auto _ : st) {
        run(p, state, *waves);
        benchmark::DoNotOptimize(waves->data());
        state.setFifteenOutputs();
    }
}

void add(const std::string& name, const Parameters& p, const Run& run) {
    benchmark::RegisterBenchmark(name.c_str(), measure, p, run)
        ->Unit(benchmark::kMillisecond)
        ->UseRealTime();
}

const bool kRegistered = [] {
    Parameters allOn{98, 110, 87, 500, {}};
    Parameters randomOnly;
    for (int k = 0; k < kModulators; ++k) {
        // Distinct multipliers and ratios, so no two modulators share a phase.
        allOn.modulators[std::size_t(k)] = {true, int16_t(2 + k % 9), int16_t(2 + k)};
    }
    randomOnly.modulator(2, 2) = {true, 2, 2};
    for (const auto& [name, p] : {std::pair<const char*, Parameters>{"AllOff", {}},
                                  {"AllFifteenOn", allOn},
                                  {"RandomOnly", randomOnly}}) {
        add(std::string("Generate_") + name, p, generate);
        add(std::string("Reference_") + name, p, generateReference);
    }
    for (const VectorMath* math : supportedVectorMaths()) {
        add(std::string("Fast_AllFifteenOn/") + math->name, allOn,
            [math](const Parameters& p, SynthState& s, Waves& w) {
                generateFast(p, s, w, {math, 0});
            });
    }
    return true;
}();

} // namespace
