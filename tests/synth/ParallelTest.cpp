// The one thread pool shared by every caller: each chunk runs once whoever calls and however
// calls nest, and generations made from several threads at once (as the window and a batch export
// do) equal the reference computed alone. (That work started inside a chunk stays on its thread,
// so that a batch renders whole files side by side, is a speed matter: bench/batch-bench.sh.)
#include "synth/fast/Parallel.h"

#include "synth/Synthesizer.h"

#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <thread>
#include <vector>

namespace tarmel::synth {
namespace {

// Three callers at once, each generating once and once inside each chunk of a job of its own
// (whose generation's chunks then nest): every chunk runs once, and every generation equals the
// reference computed alone. Every modulator is on, the random one among them, so the chunks'
// feeding order matters too.
TEST(Pool, EveryChunkRunsOnceAndGenerationsFromSeveralThreadsEqualTheReference) {
    Parameters p{98, 110, 87, 250, {}};
    p.modulators.fill({true, 3, 4});
    SynthState expectedState;
    auto expected = std::make_unique<Waves>();
    generateReference(p, expectedState, *expected);
    std::atomic<int> made{0}, wrong{0};
    const auto check = [&] {
        ++made;
        SynthState state;
        auto waves = std::make_unique<Waves>();
        generate(p, state, *waves);
        wrong += *waves == *expected && state == expectedState ? 0 : 1;
    };
    {
        std::vector<std::jthread> callers;
        for (int t = 0; t < 3; ++t) {
            callers.emplace_back([&] {
                check();
                runChunks(5, [&](int) { check(); });
            });
        }
    }
    // Each caller's own generation and one in each of its 5 chunks, none of them wrong.
    EXPECT_EQ(std::pair(made.load(), wrong.load()), std::pair(3 * 6, 0));
}

} // namespace
} // namespace tarmel::synth
