// Many settings files rendered to sound files side by side, one per core (on the synth's thread
// pool, which the window's own generations share): each file as one
// generate request computes it from the file's controls and carried state. A file that cannot
// be read or written is reported with its message and the others are still written.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace tarmel::explore {

struct BatchItem {
    std::filesystem::path settings; // a .tarmel file
    std::filesystem::path output;   // the sound file to write, its format by extension
    bool normalise = false;         // its loudest sample at -1 dBFS (files/Normalise.h)
};

struct BatchFailure {
    // The settings file was refused (or shares its output with another), the sound file is in
    // the way, or the sound could not be computed or written.
    enum class Kind { Refused, Exists, Failed };
    std::filesystem::path settings;
    std::string message; // naming the file
    Kind kind = Kind::Failed;
};

// Shared with the threads of a running batch: how many items are finished, and a request to
// stop, which any thread may make at any time (a window's Cancel, or onFinished). After a stop
// no new item is started; those being written are finished whole, one at most per thread.
struct BatchProgress {
    std::atomic<int> finished{0};
    std::atomic<bool> stop{false};
    // Called after each item on the thread that did it, with finished as it then was; calls from
    // two threads may come in either order. It must not block (a QPromise's setProgressValue and
    // isCanceled are fine) nor throw. Set before the batch starts.
    std::function<void(int finished)> onFinished;
};

// Each file to folder/NAME.extension, NAME the file's name without its own extension.
std::vector<BatchItem> batchItems(const std::vector<std::filesystem::path>& files,
                                  const std::filesystem::path& folder,
                                  const std::string& extension);

// Renders the items on up to threads threads (0: one per core; at most the pool's threads and
// the caller). Returns when every item is finished or, after a stop, when those started are. A
// sound file that exists is replaced only with replace set (its failure does not say how: the
// caller knows its own words for that); two items with the same output fail the later one.
// Returns the failures in the order of the items; items a stop left out are not among them.
std::vector<BatchFailure> exportBatch(const std::vector<BatchItem>& items, bool replace,
                                      int threads, BatchProgress& progress);

} // namespace tarmel::explore
