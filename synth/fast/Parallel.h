// Splits computations over the machine's cores with one small pool of threads started on first
// use. Every call returns only when all of its work is done; nothing stays queued behind it.
#pragma once

#include <functional>

namespace tarmel::synth {

// The threads that compute side by side: the calling one and the pool's, 1 to 8 in all.
int parallelThreadCount();

// Runs work(0) .. work(chunks - 1), each chunk once, on the calling thread and the pool's threads
// (on the calling thread alone when the pool has none), and returns when every chunk has finished.
// work must not throw. Calls from several threads share the pool, oldest call first. A call made
// from inside a chunk runs all its chunks on that thread: the outer call already keeps the other
// threads busy, so whole files handed out as chunks each compute their sound on one thread.
void runChunks(int chunks, const std::function<void(int)>& work);

// The first sample of chunk c when count samples are split into chunks nearly equal parts.
inline int chunkStart(int c, int chunks, int count) {
    return static_cast<int>(static_cast<long long>(count) * c / chunks);
}

} // namespace tarmel::synth
