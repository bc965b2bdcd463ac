// run() allocates nothing and the plug-in starts no thread: every malloc of this program (C++'s
// new included) goes through a counter interposed here, which counts only while run() runs and no
// worker job does (the test host runs jobs inside run(), as freewheeling hosts do; a job may
// allocate).
#include "tests/plugin/Host.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

std::atomic<bool> inRun{false}, inWork{false};
std::atomic<long> allocations{0};

int threads() {
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task")) {
        ++n;
    }
    return n;
}

} // namespace

// The sanitizer build keeps its own allocator: there only the threads are counted.
#if !defined(__SANITIZE_ADDRESS__)
#define TARMEL_COUNTS_ALLOCATIONS 1
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* malloc(std::size_t size) {
    if (inRun.load(std::memory_order_relaxed) && !inWork.load(std::memory_order_relaxed)) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    return __libc_malloc(size);
}
#endif

namespace tarmel::plugin::test {
namespace {

TEST(Plugin, RunAllocatesNothingAndStartsNoThread) {
    const int before = threads();
    Host host;
    host.onRun = [](bool running) { inRun = running; };
    host.onWork = [](bool working) { inWork = working; };
    host.set("o2m3_on", 1);
    host.set("play2", 1);
    for (int i = 0; i < 10; ++i) { // more notes than voices: two are stolen
        host.note(static_cast<uint64_t>(i) * 300, 40 + i);
    }
    host.send(2000, {0xF0, 0x01, 0xF7});
    host.send(9000, {0xB0, 120, 0});
    host.note(9100, 69);
    allocations = 0;
    const std::vector<float> out = host.render(60000, {64, 256, 1024});
    EXPECT_TRUE(std::ranges::any_of(out, [](float s) { return s != 0.0f; })) << "silent";
    EXPECT_EQ(threads(), before);
#ifdef TARMEL_COUNTS_ALLOCATIONS
    EXPECT_EQ(allocations.load(), 0);
    // The counter counts: an allocation inside run() is seen.
    inRun = true;
    void* p = std::malloc(64);
    asm volatile("" : : "r"(p) : "memory"); // kept, not optimised away
    std::free(p);
    inRun = false;
    EXPECT_EQ(allocations.load(), 1);
#endif
}

} // namespace
} // namespace tarmel::plugin::test
