// The undo history.
#include "explore/History.h"

#include <algorithm>

namespace tarmel::explore {

History::History(const sound::Controls& start, std::size_t capacity)
    : sounds_{start}, capacity_(std::max<std::size_t>(capacity, 1)) {}

void History::record(const sound::Controls& now, uint64_t control) {
    if (now == sounds_[current_]) {
        return;
    }
    const bool merge = control != kWholeChange && open_ == control && !canRedo() && current_ > 0;
    if (merge) {
        sounds_[current_] = now;
        return;
    }
    sounds_.erase(sounds_.begin() + static_cast<std::ptrdiff_t>(current_) + 1, sounds_.end());
    sounds_.push_back(now);
    if (sounds_.size() > capacity_ + 1) {
        sounds_.pop_front();
    }
    current_ = sounds_.size() - 1;
    open_.reset();
    if (control != kWholeChange) {
        open_ = control;
    }
}

std::optional<sound::Controls> History::undo() {
    seal();
    if (!canUndo()) {
        return std::nullopt;
    }
    return sounds_[--current_];
}

std::optional<sound::Controls> History::redo() {
    seal();
    if (!canRedo()) {
        return std::nullopt;
    }
    return sounds_[++current_];
}

} // namespace tarmel::explore
