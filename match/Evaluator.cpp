// Side-by-side evaluation: the caller and helper threads (kept for the whole search, so that each
// keeps its generation's memory) take the next candidate until none is left; results go to their
// candidate's place, so the order of finishing does not matter.
#include "match/Evaluator.h"

#include "match/Search.h"
#include "synth/Errors.h"
#include "synth/fast/FastGenerate.h"

#include <chrono>
#include <cmath>

namespace tarmel::match {

namespace {

using Clock = std::chrono::steady_clock;

long long nanosecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count();
}

} // namespace

struct Evaluator::Worker {
    DistanceMeter meter;
    synth::Waves waves{};
};

Evaluator::Evaluator(const Target& target, int threads, int budget)
    : target_(target), threads_(std::max(threads, 1)), budget_(budget) {
    for (int t = 0; t < threads_; ++t) {
        workers_.push_back(std::make_unique<Worker>());
    }
    features_ = workers_.front()->meter.features(target_.samples);
    for (int t = 1; t < threads_; ++t) {
        helpers_.emplace_back([this, t] { serve(*workers_[static_cast<std::size_t>(t)]); });
    }
}

Evaluator::~Evaluator() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (auto& h : helpers_) {
        h.join();
    }
}

void Evaluator::serve(Worker& worker) {
    unsigned long seen = 0;
    for (;;) {
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || round_ != seen; });
            if (stopping_) {
                return;
            }
            seen = round_;
        }
        takeCandidates(worker);
        const std::lock_guard lock(mutex_);
        if (--busy_ == 0) {
            done_.notify_all();
        }
    }
}

void Evaluator::takeCandidates(Worker& worker) {
    const auto start = Clock::now();
    const std::vector<sound::Controls>& fresh = *fresh_;
    for (std::size_t i = next_++; i < fresh.size(); i = next_++) {
        bool isExact = false;
        distances_[i] = evaluate(worker, fresh[i], isExact);
        exactness_[i] = isExact ? 1 : 0;
    }
    busyNs_ += nanosecondsSince(start);
}

double Evaluator::evaluate(Worker& worker, const sound::Controls& candidate, bool& exact) {
    const auto start = Clock::now();
    std::vector<int16_t> heard;
    try {
        synth::SynthState state;
        // One chunk: the whole generation on this thread, beside the other workers'.
        synth::generateFast(sound::parametersOf(candidate), state, worker.waves, {nullptr, 1});
        heard = synth::heardMix(worker.waves, candidate.play);
    } catch (const synth::SynthError&) {
        renderNs_ += nanosecondsSince(start);
        return INFINITY; // a sound that cannot be computed is never a match
    }
    renderNs_ += nanosecondsSince(start);
    exact = heard.size() == target_.samples.size();
    for (std::size_t n = 0; exact && n < heard.size(); ++n) {
        exact = static_cast<float>(heard[n]) == target_.samples[n];
    }
    return exact ? 0.0 : worker.meter.distance(features_, std::span<const int16_t>(heard));
}

std::vector<double> Evaluator::measure(const std::vector<sound::Controls>& candidates) {
    std::vector<double> out(candidates.size(), INFINITY);
    std::vector<ControlValues> keys;
    std::vector<sound::Controls> fresh; // to render, in the order first met
    std::map<ControlValues, std::size_t> inRound;
    for (const sound::Controls& candidate : candidates) {
        const sound::Controls c = canonical(candidate);
        const ControlValues key = valuesOf(c);
        keys.push_back(key);
        if (seen_.contains(key) || inRound.contains(key) ||
            renders_ + static_cast<int>(fresh.size()) >= budget_) {
            continue;
        }
        inRound.emplace(key, fresh.size());
        fresh.push_back(c);
    }
    distances_.assign(fresh.size(), INFINITY);
    exactness_.assign(fresh.size(), 0);
    fresh_ = &fresh;
    next_ = 0;
    {
        const std::lock_guard lock(mutex_);
        busy_ = static_cast<int>(helpers_.size());
        ++round_;
    }
    wake_.notify_all();
    takeCandidates(*workers_.front());
    {
        std::unique_lock lock(mutex_);
        done_.wait(lock, [this] { return busy_ == 0; });
    }
    fresh_ = nullptr;
    renders_ += static_cast<int>(fresh.size());
    for (std::size_t i = 0; i < fresh.size(); ++i) {
        seen_.emplace(valuesOf(fresh[i]), distances_[i]);
        if (exactness_[i] != 0 && !exact_) {
            exact_ = true;
            exactControls_ = fresh[i];
        }
    }
    for (std::size_t i = 0; i < candidates.size(); ++i) {
        if (const auto it = seen_.find(keys[i]); it != seen_.end()) {
            out[i] = it->second;
        }
    }
    return out;
}

} // namespace tarmel::match
