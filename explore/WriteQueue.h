// Sound files written while the next ones are computed. A write waits on the disk (each file is
// synced before it takes its name), so a few writer threads that only wait keep the cores that
// compute busy; a bounded queue makes the computing threads wait when the disk falls behind.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace tarmel::explore {

class WriteQueue {
public:
    // writers threads run the writes, at most capacity of them waiting.
    WriteQueue(int writers, std::size_t capacity);
    // Runs every write pushed, then ends the writers.
    ~WriteQueue();
    WriteQueue(const WriteQueue&) = delete;
    WriteQueue& operator=(const WriteQueue&) = delete;

    // Queues write, which must not throw; waits while capacity writes are waiting. With no
    // writer thread (none could be started) it runs write here.
    void push(std::function<void()> write);

private:
    void serve();

    const std::size_t capacity_;
    std::mutex mutex_; // guards the two below
    std::deque<std::function<void()>> waiting_;
    bool closing_ = false;
    std::condition_variable pushed_;
    std::condition_variable taken_;
    std::vector<std::jthread> writers_; // last: started once everything above exists
};

} // namespace tarmel::explore
