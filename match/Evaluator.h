// Renders candidates side by side and measures their distance from the target; remembers every
// candidate it has measured so that none is rendered twice.
#pragma once

#include "match/Distance.h"
#include "match/Target.h"
#include "match/Variation.h"

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace tarmel::match {

class Evaluator {
public:
    Evaluator(const Target& target, int threads, int budget);
    ~Evaluator();
    Evaluator(const Evaluator&) = delete;
    Evaluator& operator=(const Evaluator&) = delete;

    // The distance of each candidate (in canonical form), rendering those not seen before while
    // the budget lasts; a candidate left unrendered for want of budget gets infinity.
    std::vector<double> measure(const std::vector<sound::Controls>& candidates);

    int renders() const { return renders_; }
    int budget() const { return budget_; }
    bool budgetLeft() const { return renders_ < budget_; }
    // The first candidate found whose heard samples are the target's.
    const sound::Controls* exact() const { return exact_ ? &exactControls_ : nullptr; }
    double renderSeconds() const { return renderNs_.load() * 1e-9; }
    double threadSeconds() const { return busyNs_.load() * 1e-9; }

private:
    struct Worker;
    // Renders and measures one candidate; returns its distance, 0 for an exact match.
    double evaluate(Worker& worker, const sound::Controls& candidate, bool& exact);
    // Takes candidates of the current round until none is left.
    void takeCandidates(Worker& worker);
    // A helper thread's life: each round, take candidates beside the caller.
    void serve(Worker& worker);

    const Target& target_;
    Features features_;
    int threads_;
    int budget_;
    int renders_ = 0;
    std::map<ControlValues, double> seen_;
    bool exact_ = false;
    sound::Controls exactControls_;
    std::vector<std::unique_ptr<Worker>> workers_;
    std::atomic<long long> renderNs_{0};
    std::atomic<long long> busyNs_{0};

    // The current round, shared with the helper threads.
    std::mutex mutex_; // guards round_, busy_ and stopping_
    std::condition_variable wake_;
    std::condition_variable done_;
    unsigned long round_ = 0;
    int busy_ = 0; // helpers still working on the round
    bool stopping_ = false;
    const std::vector<sound::Controls>* fresh_ = nullptr; // written between rounds only
    std::vector<double> distances_;
    std::vector<char> exactness_;
    std::atomic<std::size_t> next_{0};
    std::vector<std::thread> helpers_;
};

} // namespace tarmel::match
