// The writer threads of a batch: each takes the oldest waiting write until the queue is closed
// and empty.
#include "explore/WriteQueue.h"

#include <algorithm>
#include <system_error>

namespace tarmel::explore {

WriteQueue::WriteQueue(int writers, std::size_t capacity)
    : capacity_(std::max<std::size_t>(capacity, 1)) {
    try {
        for (int i = 0; i < writers; ++i) {
            writers_.emplace_back([this] { serve(); });
        }
    } catch (const std::system_error&) {
        // Fewer writers: those started take every write, or push runs them itself.
    }
}

WriteQueue::~WriteQueue() {
    {
        const std::lock_guard lock(mutex_);
        closing_ = true;
    }
    pushed_.notify_all();
    writers_.clear(); // joined once the queue is empty
}

void WriteQueue::push(std::function<void()> write) {
    if (writers_.empty()) {
        write();
        return;
    }
    {
        std::unique_lock lock(mutex_);
        taken_.wait(lock, [this] { return waiting_.size() < capacity_; });
        waiting_.push_back(std::move(write));
    }
    pushed_.notify_one();
}

void WriteQueue::serve() {
    for (;;) {
        std::function<void()> write;
        {
            std::unique_lock lock(mutex_);
            pushed_.wait(lock, [this] { return closing_ || !waiting_.empty(); });
            if (waiting_.empty()) {
                return;
            }
            write = std::move(waiting_.front());
            waiting_.pop_front();
        }
        taken_.notify_one();
        write();
    }
}

} // namespace tarmel::explore
