// The batch export: a shared index of the next item, taken by each thread in turn.
#include "explore/BatchExport.h"

#include "files/Normalise.h"
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "synth/Errors.h"
#include "synth/Synthesizer.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

namespace tarmel::explore {

namespace {

// Renders one item; the failure, if any.
std::optional<BatchFailure> exportOne(const BatchItem& item, bool replace) {
    try {
        const files::Settings s = files::readSettings(item.settings);
        synth::SynthState state = s.state;
        auto waves = std::make_unique<synth::Waves>();
        synth::generate(sound::parametersOf(s), state, *waves);
        std::vector<int16_t> samples = synth::heardMix(*waves, s.play);
        if (item.normalise) {
            samples = files::normalised(samples);
        }
        files::writeSoundFile(item.output, samples, replace);
    } catch (const files::SettingsError& e) {
        return BatchFailure{item.settings, e.what(), BatchFailure::Kind::Refused};
    } catch (const files::FileExistsError&) {
        return BatchFailure{item.settings,
                            item.output.string() + " already exists; use --force to replace it",
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
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (;;) {
            if (progress.stop.load()) {
                return;
            }
            const std::size_t i = next.fetch_add(1);
            if (i >= items.size()) {
                return;
            }
            if (!skip[i]) {
                results[i] = exportOne(items[i], replace);
            }
            progress.finished.fetch_add(1);
        }
    };
    if (threads <= 0) {
        threads = static_cast<int>(std::max(1U, std::thread::hardware_concurrency()));
    }
    threads = std::min<int>(threads, static_cast<int>(std::max<std::size_t>(items.size(), 1)));
    std::vector<std::thread> pool;
    for (int t = 1; t < threads; ++t) {
        pool.emplace_back(work);
    }
    work();
    for (auto& t : pool) {
        t.join();
    }
    std::vector<BatchFailure> failures;
    for (auto& r : results) {
        if (r) {
            failures.push_back(std::move(*r));
        }
    }
    return failures;
}

} // namespace tarmel::explore
