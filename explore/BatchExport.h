// Many settings files rendered to sound files side by side, one per core: each file as one
// generate request computes it from the file's controls and carried state. A file that cannot
// be read or written is reported with its message and the others are still written.
#pragma once

#include <atomic>
#include <filesystem>
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
// stop. After a stop no new item is started; those being written are finished whole.
struct BatchProgress {
    std::atomic<int> finished{0};
    std::atomic<bool> stop{false};
};

// Each file to folder/NAME.extension, NAME the file's name without its own extension.
std::vector<BatchItem> batchItems(const std::vector<std::filesystem::path>& files,
                                  const std::filesystem::path& folder,
                                  const std::string& extension);

// Renders the items on up to threads threads (0: one per core). A sound file that exists is
// replaced only with replace set; two items with the same output fail the later one. Returns
// the failures in the order of the items.
std::vector<BatchFailure> exportBatch(const std::vector<BatchItem>& items, bool replace,
                                      int threads, BatchProgress& progress);

} // namespace tarmel::explore
