// The thread pool: every chunk runs exactly once, the call returns only when all have finished,
// and calls from several threads do not mix.
#include "synth/fast/Parallel.h"

#include <atomic>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tarmel::synth {
namespace {

TEST(Parallel, EveryChunkRunsOnceAndAllHaveFinishedOnReturn) {
    for (int chunks : {0, 1, 2, 5, 64}) {
        std::vector<std::atomic<int>> runs(static_cast<std::size_t>(chunks));
        runChunks(chunks, [&](int c) { runs[static_cast<std::size_t>(c)].fetch_add(1); });
        for (int c = 0; c < chunks; ++c) {
            EXPECT_EQ(runs[static_cast<std::size_t>(c)].load(), 1) << c << " of " << chunks;
        }
    }
}

TEST(Parallel, ChunksSplitTheSamplesWithoutGapOrOverlap) {
    for (int chunks : {1, 3, 8, 44101}) {
        EXPECT_EQ(chunkStart(0, chunks, 44101), 0);
        EXPECT_EQ(chunkStart(chunks, chunks, 44101), 44101);
        for (int c = 0; c < chunks; ++c) {
            EXPECT_LE(chunkStart(c, chunks, 44101), chunkStart(c + 1, chunks, 44101));
        }
    }
}

TEST(Parallel, CallsFromSeveralThreadsEachGetAllTheirChunks) {
    std::atomic<long> total{0};
    std::vector<std::thread> callers;
    for (int t = 0; t < 4; ++t) {
        callers.emplace_back([&] {
            for (int round = 0; round < 50; ++round) {
                std::atomic<int> mine{0};
                runChunks(6, [&](int) { mine.fetch_add(1); });
                total.fetch_add(mine.load() == 6 ? 1 : 0);
            }
        });
    }
    for (auto& t : callers) {
        t.join();
    }
    EXPECT_EQ(total.load(), 4 * 50);
}

TEST(Parallel, ThreadCountIsBetweenOneAndEight) {
    EXPECT_GE(parallelThreadCount(), 1);
    EXPECT_LE(parallelThreadCount(), 8);
}

} // namespace
} // namespace tarmel::synth
