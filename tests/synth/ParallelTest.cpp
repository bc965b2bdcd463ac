// The one thread pool shared by every caller: each chunk runs once whoever calls and however
// calls nest, work started inside a chunk stays on its thread, and generations made from several
// threads at once (as the window and a batch export do) equal the reference computed alone.
#include "synth/fast/Parallel.h"

#include "synth/Synthesizer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace tarmel::synth {
namespace {

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

// Three callers at once, each generating once and once inside each chunk of a job of its own
// (whose generation's chunks then nest): every chunk runs once, and every generation equals the
// reference computed alone. Many modulators are on and the random one among them, so the
// chunks' feeding order matters too.
TEST(Pool, EveryChunkRunsOnceAndGenerationsFromSeveralThreadsEqualTheReference) {
    Parameters p{98, 110, 87, 250, {}};
    for (int k = 0; k < kModulators; ++k) {
        p.modulators[std::size_t(k)] = {true, int16_t(2 + k % 5), int16_t(2 + k % 3)};
    }
    SynthState expectedState;
    auto expected = std::make_unique<Waves>();
    generateReference(p, expectedState, *expected);
    std::atomic<int> wrong{0};
    const auto check = [&] {
        SynthState state;
        auto waves = std::make_unique<Waves>();
        generate(p, state, *waves);
        wrong += *waves == *expected && state == expectedState ? 0 : 1;
    };
    constexpr int kChunks = 5;
    std::vector<std::atomic<int>> runs(3 * kChunks);
    {
        std::vector<std::jthread> callers;
        for (int t = 0; t < 3; ++t) {
            callers.emplace_back([&, t] {
                check();
                runChunks(kChunks, [&](int c) {
                    ++runs[std::size_t(t * kChunks + c)];
                    check();
                });
            });
        }
    }
    EXPECT_TRUE(std::ranges::all_of(runs, [](const auto& n) { return n == 1; }));
    EXPECT_EQ(wrong.load(), 0) << "of " << 3 * (kChunks + 1) << " generations";
}

} // namespace
} // namespace tarmel::synth
