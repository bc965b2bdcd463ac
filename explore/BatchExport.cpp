// The batch export: whole items handed to the synth's thread pool, each thread taking the next
// item in turn and computing its sound on its own (a generation inside the pool stays on the
// thread that runs it), and a few writer threads writing the sounds while the next are computed.
#include "explore/BatchExport.h"

#include "explore/WriteQueue.h"
#include "files/Normalise.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "synth/Errors.h"
#include "synth/Synthesizer.h"
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <set>

namespace tarmel::explore {

namespace {

// Writes waiting on the disk at once, and computed sounds waiting for them: enough to keep a
// disk that syncs each file slowly busy, little enough to hold in memory.
constexpr int kWriters = 4;
constexpr std::size_t kWaitingWrites = 8;

// Computes one item's sound as heard, or says why it cannot.
std::optional<BatchFailure> compute(const BatchItem& item, std::vector<int16_t>& heard) {
    try {
        const files::Settings s = files::readSettings(item.settings);
        synth::SynthState state = s.state;
        // Kept by each thread from one file to the next: a quarter of a megabyte requested and
        // given back for every file costs more in page faults than its generation.
        thread_local const auto waves = std::make_unique<synth::Waves>();
        synth::generate(sound::parametersOf(s), state, *waves);
        heard = synth::heardMix(*waves, s.play);
        if (item.normalise) {
            heard = files::normalised(heard);
        }
    } catch (const files::SettingsError& e) {
        return BatchFailure{item.settings, e.what(), BatchFailure::Kind::Refused};
    } catch (const std::exception& e) {
        return BatchFailure{item.settings, item.settings.string() + ": " + e.what(),
                            BatchFailure::Kind::Failed};
    }
    return std::nullopt;
}

// Writes one item's sound; the failure, if any.
std::optional<BatchFailure> write(const BatchItem& item, const std::vector<int16_t>& heard,
                                  bool replace) {
    try {
        files::writeSoundFile(item.output, heard, replace);
    } catch (const files::FileExistsError&) {
        return BatchFailure{item.settings, item.output.string() + " already exists and was kept",
                            BatchFailure::Kind::Exists};
    } catch (const std::exception& e) {
        return BatchFailure{item.settings, item.settings.string() + ": " + e.what(),
                            BatchFailure::Kind::Failed};
    }
    return std::nullopt;
}

} // namespace

std::vector<BatchItem> batchItems(const std::vector<std::filesystem::path>& files,
                                  const std::filesystem::path& folder,
                                  const std::string& extension) {
    std::vector<BatchItem> items;
    for (const auto& file : files) {
        items.push_back({file, folder / (file.stem().string() + extension)});
    }
    return items;
}

std::vector<BatchFailure> exportBatch(const std::vector<BatchItem>& items, bool replace,
                                      int threads, BatchProgress& progress) {
    std::vector<std::optional<BatchFailure>> results(items.size());
    std::vector<bool> skip(items.size(), false);
    std::set<std::filesystem::path> outputs;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!outputs.insert(items[i].output.lexically_normal()).second) {
            results[i] = BatchFailure{items[i].settings,
                                      items[i].settings.string() + ": another file is written to " +
                                          items[i].output.string() + "; rename one of them",
                                      BatchFailure::Kind::Refused};
            skip[i] = true;
        }
    }
    const auto finish = [&] {
        const int finished = progress.finished.fetch_add(1) + 1;
        if (progress.onFinished) {
            progress.onFinished(finished);
        }
    };
    std::atomic<std::size_t> next{0};
    {
        WriteQueue writes(kWriters, kWaitingWrites);
        // One lane per thread: each computes the next item until none is left or a stop is asked
        // for, and leaves its sound to the writers. A write not begun before a stop is dropped.
        const auto lane = [&](int) {
            for (;;) {
                if (progress.stop.load()) {
                    return;
                }
                const std::size_t i = next.fetch_add(1);
                if (i >= items.size()) {
                    return;
                }
                std::vector<int16_t> heard;
                if (!skip[i]) {
                    results[i] = compute(items[i], heard);
                }
                if (results[i]) {
                    finish();
                    continue;
                }
                writes.push([&, i, heard = std::move(heard)] {
                    if (!progress.stop.load()) {
                        results[i] = write(items[i], heard, replace);
                        finish();
                    }
                });
            }
        };
        if (threads <= 0) {
            threads = synth::parallelThreadCount();
        }
        threads = std::min<int>(threads, static_cast<int>(std::max<std::size_t>(items.size(), 1)));
        if (threads == 1) {
            lane(0); // one file at a time, each generation spread over the pool
        } else {
            synth::runChunks(threads, lane);
        }
    } // every write pushed has run
    std::vector<BatchFailure> failures;
    for (auto& r : results) {
        if (r) {
            failures.push_back(std::move(*r));
        }
    }
    return failures;
}

} // namespace tarmel::explore
