// A pool of waiting threads that take chunks of the open jobs, oldest job first, until none is
// left; each caller takes chunks of its own job too and then waits until the last one has
// finished. Work started from inside a chunk runs on that thread, so a job whose chunks are
// whole files (the batch export) keeps every thread on a file of its own.
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sched.h>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace tarmel::synth {

namespace {

// Whether this thread is running a chunk of some job; work it starts then stays on it.
thread_local bool inChunk = false;

// Runs work(first) .. work(chunks - 1) here, in order.
void runHere(int first, int chunks, const std::function<void(int)>& work) {
    struct Mark {
        bool outer = std::exchange(inChunk, true);
        ~Mark() { inChunk = outer; }
    } mark;
    for (int c = first; c < chunks; ++c) {
        work(c);
    }
}

class WorkerPool {
public:
    explicit WorkerPool(int workers) {
        try {
            for (int i = 0; i < workers; ++i) {
                threads_.emplace_back([this] { serve(); });
            }
        } catch (const std::system_error&) {
            // Fewer threads: the callers and those started take all chunks.
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

    bool hasWorkers() const { return !threads_.empty(); }

    void run(int chunks, const std::function<void(int)>& work) {
        Job job{&work, chunks, 0, chunks};
        {
            const std::lock_guard lock(mutex_);
            open_.push_back(&job);
        }
        wake_.notify_all();
        for (;;) {
            int chunk = 0;
            {
                const std::lock_guard lock(mutex_);
                if (!take(job, chunk)) {
                    break;
                }
            }
            runChunk(job, chunk);
        }
        std::unique_lock lock(mutex_);
        finished_.wait(lock, [&] { return job.unfinished == 0; });
    }

private:
    // One call of run: its chunks, the next to start and how many have not finished.
    struct Job {
        const std::function<void(int)>* work;
        int chunks;
        int next;
        int unfinished;
    };

    // The next chunk of job, if one is left to start; a job with none left leaves the queue.
    // Called with mutex_ held.
    bool take(Job& job, int& chunk) {
        if (job.next >= job.chunks) {
            return false;
        }
        chunk = job.next++;
        if (job.next == job.chunks) {
            open_.erase(std::ranges::find(open_, &job));
        }
        return true;
    }

    void runChunk(Job& job, int chunk) {
        runHere(chunk, chunk + 1, *job.work);
        const std::lock_guard lock(mutex_);
        if (--job.unfinished == 0) {
            finished_.notify_all();
        }
    }

    void serve() {
        for (;;) {
            Job* job = nullptr;
            int chunk = 0;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [&] { return stopping_ || !open_.empty(); });
                if (stopping_) {
                    return;
                }
                job = open_.front();
                take(*job, chunk);
            }
            runChunk(*job, chunk);
        }
    }

    std::mutex mutex_; // guards everything below but threads_
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::deque<Job*> open_; // jobs with chunks left to start, oldest first
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
    if (inChunk || chunks <= 1 || !pool().hasWorkers()) {
        runHere(0, chunks, work);
        return;
    }
    pool().run(chunks, work);
}

} // namespace tarmel::synth
