// One generation of wave1..wave3, in the configurations that bound its cost: generate() and the
// reference with all modulators off and all fifteen on, and the fast path with all fifteen on for
// each instruction set this CPU runs.
#include "bench/Bench.h"
#include "synth/fast/FastGenerate.h"
#include "synth/fast/VectorMath.h"

#include <benchmark/benchmark.h>
#include <string>

namespace {

using namespace tarmel::synth;

// Registers run on p: one generation per iteration, each from neutral stored outputs.
void add(const std::string& name, const Parameters& p, auto run) {
    const auto body = [p, run](benchmark::State& st) {
        SynthState state;
        Waves waves;
        for (auto _ : st) {
            run(p, state, waves);
            benchmark::DoNotOptimize(waves.data());
            state.setFifteenOutputs();
        }
    };
    benchmark::RegisterBenchmark(name.c_str(), body)->Unit(benchmark::kMillisecond)->UseRealTime();
}

const bool kRegistered = [] {
    const Parameters allOn = tarmel::bench::allFifteenOn();
    for (const auto& [name, p] : {std::pair("AllOff", Parameters{}), {"AllFifteenOn", allOn}}) {
        add(std::string("Generate_") + name, p, generate);
        add(std::string("Reference_") + name, p, generateReference);
    }
    for (const VectorMath* math : supportedVectorMaths()) {
        add(std::string("Fast_AllFifteenOn/") + math->name, allOn, [math](auto&... args) {
            generateFast(args..., {math, 0});
        });
    }
    return true;
}();

} // namespace
