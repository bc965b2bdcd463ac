// The undo history of the controls: a line of sounds with a current place in it. Changes that
// carry the same merge key in a row (one control in one drag, held key or run of notes) merge
// into one step until the step is sealed, so that a drag or a held arrow key is undone at once.
#pragma once

#include "sound/Controls.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>

namespace tarmel::explore {

class History {
public:
    // A change that no later change merges with: opening a file, random, a preset.
    static constexpr uint64_t kWholeChange = 0;

    // Holds up to capacity steps back from the newest sound; older ones are forgotten. A step is
    // one sound::Controls of 102 bytes: 200 steps take about 21 KB.
    explicit History(const sound::Controls& start, std::size_t capacity = 200);

    // The controls now stand at now after a change known by its merge key (any number that
    // tells a control's gesture apart from others, or kWholeChange). A sound equal to the
    // current one is no step. A change with the same key as the last unsealed step replaces
    // that step's sound; any other change is a new step and drops the steps that could be redone.
    void record(const sound::Controls& now, uint64_t key);
    // Ends merging: the next change is a new step even when it is of the same control.
    void seal() { open_.reset(); }

    // The sound one step back (or forward), which becomes the current one; nothing at either end.
    std::optional<sound::Controls> undo();
    std::optional<sound::Controls> redo();

    bool canUndo() const { return current_ > 0; }
    bool canRedo() const { return current_ + 1 < sounds_.size(); }
    const sound::Controls& current() const { return sounds_[current_]; }
    std::size_t capacity() const { return capacity_; }

private:
    std::deque<sound::Controls> sounds_;
    std::size_t current_ = 0;
    std::size_t capacity_;
    std::optional<uint64_t> open_; // the key whose changes still merge into the last step
};

} // namespace tarmel::explore
