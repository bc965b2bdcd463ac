// The generation the program uses: the samples, outputs and generator state of generateReference,
// computed block by block with vectorised sines (FastBlocks) in chunks spread over the cores.
// The random generator is fed in sample order while the chunks after it are still computed.
// Anything the fast path does not vouch for (an error, a value out of its range) goes to
// generateReference, which then runs on the untouched state and arrays and decides.
#include "synth/fast/FastGenerate.h"

#include "synth/Formulas.h"
#include "synth/fast/FastBlocks.h"
#include "synth/fast/FastPlan.h"
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

namespace tarmel::synth {

namespace {

// More chunks than threads keep every thread busy when one of them is slowed down, and let the
// generator follow closely behind.
constexpr int kChunksPerThread = 8;

std::uint64_t nextGenerationId() {
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

// Feeds the random generator in sample order with the arguments of the chunks finished so far,
// and finishes those chunks' samples of the random modulator's oscillator. One thread feeds at a
// time; a thread that finds the feeder busy leaves its chunk to it, and the feeder looks again
// after letting go, so no finished chunk is left behind. (Sequentially consistent operations:
// "mark finished, then try to feed" against "stop feeding, then look again" needs them.)
class RandomFeed {
public:
    RandomFeed(const Generation& g, int chunks, const RandomGenerator& start)
        : g_(g), chunks_(chunks), finished_(static_cast<std::size_t>(chunks)), generator_(start) {}

    void chunkFinished(int c, Block& b) {
        finished_[static_cast<std::size_t>(c)].store(true);
        for (;;) {
            if (feeding_.test_and_set()) {
                return; // the feeder will find this chunk
            }
            int next = next_.load();
            while (next < chunks_ && finished_[static_cast<std::size_t>(next)].load() &&
                   feed(next, b)) {
                ++next;
            }
            next_.store(next);
            feeding_.clear();
            if (next == chunks_ || !finished_[static_cast<std::size_t>(next)].load() ||
                g_.failed.load()) {
                return;
            }
        }
    }

    // Once every chunk has run: whether all were fed, and the generator after the last sample.
    bool complete() const { return next_.load() == chunks_; }
    const RandomGenerator& generator() const { return generator_; }

private:
    bool feed(int c, Block& b) {
        Scratch& sc = g_.scratch;
        const int first = chunkStart(c, chunks_, kSampleCount);
        const int last = chunkStart(c + 1, chunks_, kSampleCount);
        for (auto n = static_cast<std::size_t>(first); n < static_cast<std::size_t>(last); ++n) {
            sc.value[n] = static_cast<double>(generator_.next(sc.argument[n]));
        }
        for (b.first = first; b.first < last; b.first += kBlock) {
            b.count = std::min(kBlock, last - b.first);
            if (!finishRandomBlock(g_, b)) {
                g_.failed.store(true);
                return false;
            }
        }
        return true;
    }

    const Generation& g_;
    const int chunks_;
    std::vector<std::atomic<bool>> finished_;
    std::atomic<int> next_{0}; // the first chunk not fed yet
    std::atomic_flag feeding_ = ATOMIC_FLAG_INIT;
    RandomGenerator generator_; // used by the feeder only
};

// Computes chunk c's blocks; with the random modulator on, feeds what is ready.
void runChunk(const Generation& g, int c, int chunks, RandomFeed* feed) {
    thread_local const auto b = std::make_unique<Block>();
    try {
        if (b->preparedFor != g.id) {
            prepareRows(g, *b);
        }
        const int last = chunkStart(c + 1, chunks, kSampleCount);
        for (b->first = chunkStart(c, chunks, kSampleCount); b->first < last; b->first += kBlock) {
            b->count = std::min(kBlock, last - b->first);
            if (g.failed.load(std::memory_order_relaxed) || !computeBlock(g, *b)) {
                g.failed.store(true);
                return;
            }
        }
        if (feed != nullptr) {
            feed->chunkFinished(c, *b);
        }
    } catch (...) {
        g.failed.store(true);
    }
}

void allocateRandom(Generation& g) {
    if (g.plan.randomModulator < 0) {
        return;
    }
    g.randomOscillator = g.plan.randomModulator / kModulatorsPerOscillator;
    g.randomPosition = g.plan.randomModulator % kModulatorsPerOscillator;
    Scratch& sc = g.scratch;
    sc.argument.resize(kSampleCount);
    sc.value.resize(kSampleCount);
    sc.partial.resize(kSampleCount);
    for (int f = 0; f < kModulatorsPerOscillator; ++f) {
        const auto k = static_cast<std::size_t>(g.randomOscillator * kModulatorsPerOscillator + f);
        const bool changes =
            f > g.randomPosition && g.plan.outputs[k].source != OutputSource::Stored;
        sc.tail[static_cast<std::size_t>(f)].resize(changes ? kSampleCount : 0);
    }
}

} // namespace

FastReport generateFast(const Parameters& params, SynthState& state, Waves& waves,
                        const FastOptions& options) {
    const std::optional<FastPlan> plan = makeFastPlan(params, state);
    if (!plan) {
        generateReference(params, state, waves);
        return {true, 0};
    }
    const int chunks =
        options.chunks > 0 ? options.chunks : parallelThreadCount() * kChunksPerThread;
    // Kept by the calling thread from one generation to the next, so that its memory is not
    // requested and cleared each time; every value read is written first.
    thread_local Scratch scratch;
    Generation g{nextGenerationId(), params, *plan,
                 options.math != nullptr ? *options.math : bestVectorMath(), scratch};
    allocateRandom(g);
    std::unique_ptr<RandomFeed> feed;
    if (g.randomOscillator >= 0) {
        feed = std::make_unique<RandomFeed>(g, chunks, state.random);
    }

    runChunks(chunks, [&](int c) { runChunk(g, c, chunks, feed.get()); });

    if (g.failed.load() || (feed && !feed->complete())) {
        generateReference(params, state, waves);
        return {true, g.tiesRecomputed.load()};
    }
    waves = *scratch.waves;
    constexpr int kLast = kSampleCount - 1;
    for (int k = 0; k < kModulators; ++k) {
        const auto ku = static_cast<std::size_t>(k);
        const OutputPlan& out = plan->outputs[ku];
        if (out.source == OutputSource::Random) {
            state.modOut[ku] = scratch.value[kLast];
        } else if (out.source != OutputSource::Stored) {
            state.modOut[ku] = modulatorWave(kModulatorKinds[ku], params.modulators[ku],
                                             params.pitch1, kLast, {modulatorName(k), kLast});
        }
    }
    if (feed) {
        state.random = feed->generator();
    }
    return {false, g.tiesRecomputed.load()};
}

void generate(const Parameters& params, SynthState& state, Waves& waves) {
    generateFast(params, state, waves, {nullptr, 0});
}

void generateOnThisThread(const Parameters& params, SynthState& state, Waves& waves) {
    generateFast(params, state, waves, {nullptr, 1});
}

} // namespace tarmel::synth
