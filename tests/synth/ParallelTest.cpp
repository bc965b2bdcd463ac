// The one thread pool shared by every caller: each chunk runs once whoever calls and however
// calls nest, work started inside a chunk stays on its thread, and generations made from several
// threads at once (as the window and a batch export do) equal the reference computed alone.
#include "synth/fast/Parallel.h"

#include "synth/Synthesizer.h"

#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace tarmel::synth {
namespace {

// Three callers at once, each with its own job inside which chunks call again.
TEST(Pool, EveryChunkRunsOnceForEveryCallerHoweverCallsNest) {
    for (const int chunks : {0, 1, 2, 65}) {
        std::vector<std::vector<std::atomic<int>>> runs(3);
        std::vector<std::jthread> callers;
        for (auto& counts : runs) {
            counts = std::vector<std::atomic<int>>(static_cast<std::size_t>(chunks) * 3);
            callers.emplace_back([&counts, chunks] {
                runChunks(chunks, [&](int c) {
                    runChunks(3, [&](int i) { ++counts[static_cast<std::size_t>(c * 3 + i)]; });
                });
            });
        }
        callers.clear();
        for (const auto& counts : runs) {
            for (const auto& n : counts) {
                EXPECT_EQ(n.load(), 1) << chunks << " chunks";
            }
        }
    }
}

// The chunk on the calling thread starts 16 slow chunks of its own, the other a short one: the
// pool's thread, soon done, would help with the caller's if nested calls went to the pool.
TEST(Pool, WorkStartedInsideAChunkStaysOnItsThread) {
    if (parallelThreadCount() < 2) {
        GTEST_SKIP() << "one core: every chunk runs on the calling thread";
    }
    std::atomic<int> stray{0};
    const auto caller = std::this_thread::get_id();
    runChunks(2, [&](int) {
        const auto outer = std::this_thread::get_id();
        runChunks(outer == caller ? 16 : 1, [&](int) {
            stray += std::this_thread::get_id() == outer ? 0 : 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        });
    });
    EXPECT_EQ(stray.load(), 0);
}

// Many modulators on and the random one among them, so the chunks' feeding order matters too.
TEST(Pool, GenerationsFromSeveralThreadsAndFromInsideChunksEqualTheReference) {
    Parameters p{98, 110, 87, 250, {}};
    for (int k = 0; k < kModulators; ++k) {
        p.modulators[std::size_t(k)] = {true, int16_t(2 + k % 5), int16_t(2 + k % 3)};
    }
    SynthState expectedState;
    auto expected = std::make_unique<Waves>();
    generateReference(p, expectedState, *expected);

    constexpr int kCallers = 3;
    std::atomic<int> wrong{0};
    const auto check = [&] {
        SynthState state;
        auto waves = std::make_unique<Waves>();
        generate(p, state, *waves);
        wrong += *waves == *expected && state == expectedState ? 0 : 1;
    };
    std::vector<std::jthread> callers;
    for (int t = 0; t < kCallers; ++t) {
        callers.emplace_back([&] {
            check();
            runChunks(3, [&](int) { check(); });
        });
    }
    callers.clear();
    EXPECT_EQ(wrong.load(), 0) << "of " << kCallers * 4 << " generations";
}

} // namespace
} // namespace tarmel::synth
