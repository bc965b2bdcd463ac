// Matching a sound: the settings whose sound, as heard at start-up state (a fresh state, one
// generation, the ticked play boxes mixed), comes closest to a target. The analysis suggests the
// first candidates; an evolution strategy over the control table's integer values, with
// restarts and a sweep of single-value neighbours, refines them. Candidates are rendered side
// by side on every core; a candidate seen before is not rendered again. The same seed gives the
// same result whatever the number of threads.
#pragma once

#include "match/Target.h"
#include "sound/Controls.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace tarmel::match {

struct MatchOptions {
    int budget = 25000; // renders at most
    uint64_t seed = 1;
    int jobs = 0; // threads rendering side by side; 0: one per core
};

// What the search has done so far, reported after each round of candidates.
struct MatchProgress {
    int renders = 0;
    double bestDistance = 0;
};

struct MatchResult {
    sound::Controls controls; // the best sound found
    double distance = 0;      // its distance from the target (0 when exact)
    bool exact = false;       // its heard samples are the target's, sample for sample
    bool cancelled = false;
    int renders = 0;
    double seconds = 0;       // wall-clock time of the search
    double renderSeconds = 0; // time spent rendering, summed over the threads
    double threadSeconds = 0; // time the threads were busy, rendering and measuring
};

using MatchProgressFunction = std::function<void(const MatchProgress&)>;

// Runs the search. progress (if given) is called on the calling thread after each round; once
// cancel (if given) is set the search stops after the round it is in and returns the best found
// so far, with cancelled set.
MatchResult matchSound(const Target& target, const MatchOptions& options,
                       const MatchProgressFunction& progress = {},
                       const std::atomic<bool>* cancel = nullptr);

// The samples the controls make as heard at start-up state: a fresh state, one generation, the
// played oscillators mixed. Throws synth::SynthError when the sound cannot be computed.
std::vector<int16_t> heardAtStart(const sound::Controls& controls);

} // namespace tarmel::match
