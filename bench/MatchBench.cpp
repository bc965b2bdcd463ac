// tarmel-match-bench: the match search against its goals, on targets made by Tarmel itself
// (random draws with seeds 1..N, heard at start-up state, each searched with its seed). On two
// threads at 2,500 and 25,000 renders: the share matched exactly, the mean MFCC error, the mean
// and the slowest seconds per match; on one thread at 2,500 renders, the search's own share of
// the time (everything but rendering: two threads' render times overlap). Prints a Markdown table.
//
// tarmel-match-bench [TARGETS [TARGETS_AT_25000 [TIMED_ON_ONE_THREAD]]]: fewer targets than 100
// where the full run takes too long on this machine.
#include "explore/Draws.h"
#include "match/Figures.h"
#include "match/Search.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

using namespace tarmel;

struct Row {
    int exact = 0;
    double mfcc = 0;
    double seconds = 0;
    double rendering = 0; // of the seconds
    double slowest = 0;
};

Row runTargets(int count, int budget, int jobs) {
    Row row;
    for (int seed = 1; seed <= count; ++seed) {
        // The random sound of a seed, as the window's Random button draws it.
        const std::vector<int16_t> heard = match::heardAtStart(explore::Draws(seed).random());
        const match::Target target{{heard.begin(), heard.end()}};
        const match::MatchResult r =
            match::matchSound(target, {budget, static_cast<uint64_t>(seed), jobs});
        const std::vector<int16_t> best = match::heardAtStart(r.controls);
        row.exact += r.exact ? 1 : 0;
        row.mfcc += match::mfccError(target.samples, std::vector<float>(best.begin(), best.end()));
        row.seconds += r.seconds;
        row.rendering += r.renderSeconds;
        row.slowest = std::max(row.slowest, r.seconds);
        std::fprintf(stderr, "\rbudget %d, %d threads: target %d of %d", budget, jobs, seed, count);
    }
    std::fputc('\n', stderr);
    return row;
}

} // namespace

int main(int argc, char** argv) {
    const int targets = argc > 1 ? std::atoi(argv[1]) : 100;
    const int targetsAtMost = argc > 2 ? std::atoi(argv[2]) : targets;
    const int timedOnOne = std::min(targets, argc > 3 ? std::atoi(argv[3]) : 10);
    std::printf("| renders | targets | exact | mean MFCC error | s per match, 2 threads |\n"
                "|---|---|---|---|---|\n");
    for (const auto& [budget, count] : {std::pair{2500, targets}, {25000, targetsAtMost}}) {
        if (count > 0) {
            const Row r = runTargets(count, budget, 2);
            std::printf("| %d | %d | %.0f %% | %.2f | %.2f (at most %.2f) |\n", budget, count,
                        100.0 * r.exact / count, r.mfcc / count, r.seconds / count, r.slowest);
            std::fflush(stdout);
        }
    }
    if (timedOnOne > 0) {
        const Row one = runTargets(timedOnOne, 2500, 1);
        std::printf("\nThe search's own share of one thread's time, 2,500 renders, first %d "
                    "targets: %.0f %%\n",
                    timedOnOne, 100.0 * (one.seconds - one.rendering) / one.seconds);
    }
    return 0;
}
