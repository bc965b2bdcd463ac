// A pool of waiting threads that take chunks of the current job until none is left; the caller
// takes chunks too and then waits until the last one has finished.
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <vector>

namespace tarmel::synth {

namespace {

class WorkerPool {
public:
    explicit WorkerPool(int workers) {
        try {
            for (int i = 0; i < workers; ++i) {
                threads_.emplace_back([this] { serve(); });
            }
        } catch (const std::system_error&) {
            // Fewer threads: the caller and those started take all chunks.
        }
    }

    ~WorkerPool() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        for (auto& t : threads_) {
            t.join();
        }
    }

    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void run(int chunks, const std::function<void(int)>& work) {
        const std::lock_guard oneJobAtATime(runMutex_);
        {
            const std::lock_guard lock(mutex_);
            job_ = &work;
            chunks_ = chunks;
            next_ = 0;
            unfinished_ = chunks;
            ++generation_;
        }
        wake_.notify_all();
        takeChunks();
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [this] { return unfinished_ == 0; });
        job_ = nullptr;
    }

private:
    // Runs chunks of the current job until none is left to start.
    void takeChunks() {
        for (;;) {
            const std::function<void(int)>* job = nullptr;
            int chunk = 0;
            {
                const std::lock_guard lock(mutex_);
                if (job_ == nullptr || next_ >= chunks_) {
                    return;
                }
                job = job_;
                chunk = next_++;
            }
            (*job)(chunk);
            const std::lock_guard lock(mutex_);
            if (--unfinished_ == 0) {
                finished_.notify_all();
            }
        }
    }

    void serve() {
        std::uint64_t seen = 0;
        for (;;) {
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
                if (stopping_) {
                    return;
                }
                seen = generation_;
            }
            takeChunks();
        }
    }

    std::mutex runMutex_;
    std::mutex mutex_; // guards everything below
    std::condition_variable wake_;
    std::condition_variable finished_;
    const std::function<void(int)>* job_ = nullptr;
    int chunks_ = 0;
    int next_ = 0;
    int unfinished_ = 0;
    std::uint64_t generation_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_; // written only by the constructor
};

WorkerPool& pool() {
    static WorkerPool instance(parallelThreadCount() - 1);
    return instance;
}

} // namespace

int parallelThreadCount() {
    // The cores this process may run on, which can be fewer than the machine has.
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    const int cores = sched_getaffinity(0, sizeof(allowed), &allowed) == 0
                          ? CPU_COUNT(&allowed)
                          : static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(cores, 1, 8);
}

void runChunks(int chunks, const std::function<void(int)>& work) {
    if (chunks == 1) {
        work(0);
        return;
    }
    pool().run(chunks, work);
}

} // namespace tarmel::synth
