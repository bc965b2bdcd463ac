// The LV2 plug-in in the test host: run() per block of 64, 256 and 1024 frames when idle, with
// eight voices sounding and with a note arriving (its generation left to the worker, as live), and
// the worker's time per note at 44.1 and 48 kHz (a 64-frame block of an offline host, whose
// worker job runs inside run(): the block's own few microseconds are counted with the job). A
// run()'s time is the processor time it used, without the time other programs took from it; the
// worst run() seen is reported as worst_us.
#include "tests/plugin/Host.h"

#include <algorithm>
#include <benchmark/benchmark.h>

namespace {

using tarmel::plugin::test::Host;

double worstRun = 0;

// run() per block with that many notes arriving in a block every that many frames or in every
// block (0): eight notes every 40000 frames keep eight voices sounding (their seconds are computed
// after the block the notes arrive in, which the median passes over but the worst may be).
void BM_Run(benchmark::State& state, int notes, uint32_t every) {
    Host host;
    host.deferWork = true;
    const auto block = static_cast<uint32_t>(state.range(0));
    for (uint32_t k = 0; auto _ : state) {
        if (k++ % std::max(1u, every / block) == 0) {
            for (int i = 0; i < notes; ++i) {
                host.note(0, 40 + i); // sent in the next block's first frame
            }
        }
        host.render(block, {block});
        state.SetIterationTime(host.lastRun);
        worstRun = std::max(worstRun, host.lastRun);
        state.counters["worst_us"] = worstRun * 1e6;
    }
}

// A sound with two modulators on and oscillator 2 heard, computed by the worker for every note.
void BM_WorkerPerNote(benchmark::State& state) {
    Host host(static_cast<double>(state.range(0)));
    for (const char* on : {"o1m1_on", "o2m3_on", "play2"}) {
        host.set(on, 1);
    }
    for (auto _ : state) {
        host.note(0, 60);
        host.render(64, {64});
    }
}

BENCHMARK_CAPTURE(BM_Run, Idle, 0, 0)->Arg(64)->Arg(256)->Arg(1024)->UseManualTime();
BENCHMARK_CAPTURE(BM_Run, EightVoices, 8, 40000)->Arg(64)->Arg(256)->Arg(1024)->UseManualTime();
BENCHMARK_CAPTURE(BM_Run, NoteArriving, 1, 0)->Arg(64)->Arg(256)->Arg(1024)->UseManualTime();
BENCHMARK(BM_WorkerPerNote)->Arg(44100)->Arg(48000)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
