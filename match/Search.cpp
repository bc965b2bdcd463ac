// The search: the analysis' starting sounds, then rounds of an elitist evolution strategy
// (parents kept with their best children), a sweep of single-value neighbours when it stalls and
// a restart from new sounds when the sweep finds nothing better. All random draws are made on
// the calling thread between rounds, so the result does not depend on the number of threads.
#include "match/Search.h"

#include "match/Estimate.h"
#include "match/Evaluator.h"
#include "match/Variation.h"
#include "synth/Synthesizer.h"
#include "synth/fast/Parallel.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numeric>

namespace tarmel::match {

namespace {

constexpr std::size_t kParents = 12;
constexpr std::size_t kChildren = 48;
constexpr int kStallRounds = 6;
constexpr double kCrossing = 0.25;
constexpr int kPeaks = 6;
// Rounds of guesses after the first sounds, each around the best sound of as many pitches as the
// budget allows: one per this many renders in the first, half as many in the second...
constexpr long long kGuessRounds = 3;
constexpr int kRendersPerGuessedPitch = 100;

struct Scored {
    sound::Controls controls;
    double distance;
};

int threadsFor(int jobs) {
    if (jobs > 0) {
        return jobs;
    }
    return synth::parallelThreadCount(); // the cores this process may run on
}

class Strategy {
public:
    Strategy(const Target& target, const MatchOptions& options)
        : target_(target), evaluator_(target, threadsFor(options.jobs), options.budget),
          random_(options.seed) {
        peaks_ = spectralPeaks(target.samples, kPeaks);
        pitches_ = pitchCandidates(peaks_);
        attack_ = estimateAttack(target.samples);
    }

    // One round; false once the search is over.
    bool round() {
        if (evaluator_.exact() != nullptr || !evaluator_.budgetLeft()) {
            return false;
        }
        std::vector<sound::Controls> candidates;
        if (rounds_ == 0) {
            candidates = startingSounds(target_.samples);
        } else if (rounds_ <= kGuessRounds) {
            // Guesses around the sounds of the round before that came closest, the best one of
            // each pitch 1: a sound half found (one modulator of two) may still be far from the
            // target, but it is the closest at its pitch.
            const auto guessed = static_cast<std::size_t>(std::max(
                4, evaluator_.budget() / (kRendersPerGuessedPitch * static_cast<int>(rounds_))));
            std::vector<int> pitches;
            for (const Scored& s : lastRanking_) {
                if (pitches.size() == guessed) {
                    break;
                }
                if (std::find(pitches.begin(), pitches.end(), s.controls.pitch1) != pitches.end()) {
                    continue;
                }
                pitches.push_back(s.controls.pitch1);
                const std::vector<sound::Controls> around = soundsAround(s.controls, peaks_);
                candidates.insert(candidates.end(), around.begin(), around.end());
            }
        } else if (stall_ == kStallRounds) {
            candidates = neighbours(population_.front().controls);
        } else if (stall_ == kStallRounds + 1) {
            candidates = sweepOfOneModulator(population_.front().controls);
        } else if (stall_ > kStallRounds + 1) {
            restart();
            for (std::size_t i = 0; i < kChildren; ++i) {
                candidates.push_back(i % 2 == 0
                                         ? randomSound(random_, pitches_, attack_)
                                         : mutated(mutated(best_.controls, random_), random_));
            }
        } else {
            for (std::size_t i = 0; i < kChildren; ++i) {
                candidates.push_back(child());
            }
        }
        ++rounds_;
        const std::vector<double> distances = evaluator_.measure(candidates);
        const double before = best_.distance;
        lastRanking_.clear();
        for (std::size_t i = 0; i < candidates.size(); ++i) {
            if (std::isfinite(distances[i])) {
                lastRanking_.push_back({canonical(candidates[i]), distances[i]});
            }
        }
        population_.insert(population_.end(), lastRanking_.begin(), lastRanking_.end());
        std::stable_sort(lastRanking_.begin(), lastRanking_.end(),
                         [](const Scored& a, const Scored& b) { return a.distance < b.distance; });
        select();
        if (!population_.empty() && population_.front().distance < best_.distance) {
            best_ = population_.front();
        }
        stall_ = best_.distance < before ? 0 : stall_ + 1;
        return true;
    }

    const Evaluator& evaluator() const { return evaluator_; }
    Scored best() const {
        if (const sound::Controls* exact = evaluator_.exact()) {
            return {*exact, 0.0};
        }
        return best_;
    }

private:
    sound::Controls child() {
        const auto pick = [this] {
            // The better of two parents drawn at random.
            const auto n = static_cast<int>(population_.size());
            const int a = std::uniform_int_distribution<int>(0, n - 1)(random_);
            const int b = std::uniform_int_distribution<int>(0, n - 1)(random_);
            return population_[static_cast<std::size_t>(std::min(a, b))].controls;
        };
        sound::Controls c = pick();
        if (std::uniform_real_distribution<double>(0, 1)(random_) < kCrossing) {
            c = crossed(c, pick(), random_);
        }
        return mutated(c, random_);
    }

    // The best kParents different sounds, the better first (ties in the order they came).
    void select() {
        std::stable_sort(population_.begin(), population_.end(),
                         [](const Scored& a, const Scored& b) { return a.distance < b.distance; });
        std::vector<Scored> kept;
        for (const Scored& s : population_) {
            if (kept.size() == kParents) {
                break;
            }
            const bool twin = std::any_of(kept.begin(), kept.end(), [&](const Scored& k) {
                return k.controls == s.controls;
            });
            if (!twin) {
                kept.push_back(s);
            }
        }
        population_ = std::move(kept);
    }

    // Every setting of one modulator, chosen at random among those of the oscillators heard.
    std::vector<sound::Controls> sweepOfOneModulator(const sound::Controls& from) {
        std::vector<std::pair<int, int>> heard;
        for (int o = 1; o <= synth::kOscillators; ++o) {
            for (int m = 1;
                 from.play[static_cast<std::size_t>(o - 1)] && m <= synth::kModulatorsPerOscillator;
                 ++m) {
                heard.emplace_back(o, m);
            }
        }
        if (heard.empty()) {
            return {};
        }
        const auto [o, m] = heard[static_cast<std::size_t>(
            std::uniform_int_distribution<int>(0, static_cast<int>(heard.size()) - 1)(random_))];
        return modulatorSweep(from, o, m);
    }

    // Keeps the best sound found as one parent among new ones.
    void restart() {
        population_.assign(1, best_);
        stall_ = 0;
    }

    const Target& target_;
    Evaluator evaluator_;
    Random random_;
    std::vector<SpectralPeak> peaks_;
    std::vector<int> pitches_;
    int attack_ = 0;
    long long rounds_ = 0;
    std::vector<Scored> population_;
    std::vector<Scored> lastRanking_; // the sounds of the last round, the closest first
    Scored best_{sound::startControls(), INFINITY};
    int stall_ = 0;
};

} // namespace

MatchResult matchSound(const Target& target, const MatchOptions& options,
                       const MatchProgressFunction& progress, const std::atomic<bool>* cancel) {
    const auto start = std::chrono::steady_clock::now();
    Strategy strategy(target, options);
    MatchResult result;
    // A round with nothing new to render still counts, so that a search whose moves only meet
    // sounds already seen ends.
    const long long mostRounds = 64LL + static_cast<long long>(options.budget);
    for (long long r = 0; r < mostRounds && strategy.round(); ++r) {
        if (progress) {
            progress({strategy.evaluator().renders(), strategy.best().distance});
        }
        if (cancel != nullptr && cancel->load()) {
            result.cancelled = true;
            break;
        }
    }
    const Scored best = strategy.best();
    result.controls = best.controls;
    result.distance = best.distance;
    result.exact = strategy.evaluator().exact() != nullptr;
    result.renders = strategy.evaluator().renders();
    result.renderSeconds = strategy.evaluator().renderSeconds();
    result.threadSeconds = strategy.evaluator().threadSeconds();
    result.seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return result;
}

std::vector<int16_t> heardAtStart(const sound::Controls& controls) {
    synth::SynthState state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(sound::parametersOf(controls), state, *waves);
    return synth::heardMix(*waves, controls.play);
}

} // namespace tarmel::match
