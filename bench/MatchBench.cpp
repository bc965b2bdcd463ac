// tarmel-match-bench: how well and how fast the match search finds sounds. Targets made by
// Tarmel itself (random draws with seeds 1..N, heard at start-up state, each searched with its
// seed) at budgets of 2,500 and 25,000 renders: the share matched exactly, the share within 1 dB
// of log-spectral distance, the mean MFCC error and log-spectral distance, the seconds per match
// on 2 and on 1 threads and the search's own share of one thread's time (everything but
// rendering); then five sounds made here (a plucked string, a square-wave chirp, a noise burst,
// an inharmonic bell, a spoken vowel when espeak-ng is installed): their distances only. Prints
// Markdown tables.
//
// tarmel-match-bench [TARGETS [TARGETS_AT_25000 [TIMED_ON_ONE_THREAD]]]: fewer targets than 100
// where the full run takes too long on this machine.
#include "explore/Draws.h"
#include "match/Figures.h"
#include "match/Search.h"
#include "match/Target.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <random>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using namespace tarmel;

struct Row {
    int targets = 0, exact = 0, withinOneDb = 0;
    double mfcc = 0, lsd = 0, seconds = 0, rendering = 0, slowest = 0;

    // Searches target with budget renders on jobs threads and adds what came of it.
    void add(const match::Target& target, int budget, uint64_t seed, int jobs) {
        const match::MatchResult r = match::matchSound(target, {budget, seed, jobs});
        const std::vector<int16_t> heard = match::heardAtStart(r.controls);
        const std::vector<float> found(heard.begin(), heard.end());
        const double lsdOfThis = match::logSpectralDistance(target.samples, found);
        ++targets;
        exact += r.exact ? 1 : 0;
        withinOneDb += lsdOfThis <= 1.0 ? 1 : 0;
        mfcc += match::mfccError(target.samples, found);
        lsd += lsdOfThis;
        seconds += r.seconds;
        rendering += r.renderSeconds;
        slowest = std::max(slowest, r.seconds);
    }
};

Row runTargets(int count, int budget, int jobs) {
    Row row;
    for (int seed = 1; seed <= count; ++seed) {
        // The random sound of a seed, as the window's Random button draws it.
        const std::vector<int16_t> heard = match::heardAtStart(explore::Draws(seed).random());
        row.add({{heard.begin(), heard.end()}}, budget, static_cast<uint64_t>(seed), jobs);
        std::fprintf(stderr, "\rbudget %d, %d threads: target %d of %d", budget, jobs, seed, count);
    }
    std::fputc('\n', stderr);
    return row;
}

// Sounds Tarmel did not make, one second at 44100 Hz in 16-bit units, sample n from f(n).
std::vector<float> oneSecond(auto f) {
    std::vector<float> out(44100);
    for (std::size_t n = 0; n < out.size(); ++n) {
        out[n] = static_cast<float>(f(static_cast<double>(n)));
    }
    return out;
}

// Uniform noise in -1..1 from a seeded generator.
auto noise(unsigned seed) {
    return [random = std::mt19937(seed), uniform = std::uniform_real_distribution<float>(
                                             -1, 1)]() mutable { return uniform(random); };
}

// Karplus-Strong at 196 Hz: a burst of noise in a delay line of one period, averaged as it loops.
std::vector<float> plucked() {
    std::vector<float> line(44100 / 196);
    std::ranges::generate(line, noise(7));
    return oneSecond([&, i = line.size() - 1](double) mutable {
        i = (i + 1) % line.size();
        const float v = 20000.0F * line[i];
        line[i] = 0.996F * 0.5F * (line[i] + line[(i + 1) % line.size()]);
        return v;
    });
}

// A spoken "ah" from espeak-ng, when it is installed: nothing otherwise.
std::vector<float> vowel() {
    const std::filesystem::path wav = std::filesystem::temp_directory_path() /
                                      ("tarmel-vowel-" + std::to_string(::getpid()) + ".wav");
    std::vector<float> samples;
    try {
        if (std::system(("espeak-ng -w '" + wav.string() + "' 'aaah' 2>/dev/null").c_str()) == 0) {
            samples = match::readTarget(wav).samples;
        }
    } catch (const match::TargetError&) {
    }
    std::filesystem::remove(wav);
    return samples;
}

} // namespace

int main(int argc, char** argv) {
    const int targets = argc > 1 ? std::atoi(argv[1]) : 100;
    const int targetsAtMost = argc > 2 ? std::atoi(argv[2]) : targets;
    const int timedOnOne = argc > 3 ? std::atoi(argv[3]) : std::min(targets, 10);
    std::printf("| renders | targets | exact | within 1 dB LSD | mean MFCC error | mean LSD (dB) "
                "| s per match, 2 threads | s per match, 1 thread (first %d) |\n"
                "|---|---|---|---|---|---|---|---|\n",
                timedOnOne);
    double ownShare = 0;
    for (const auto& [budget, count] : {std::pair{2500, targets}, {25000, targetsAtMost}}) {
        if (count > 0) {
            const Row two = runTargets(count, budget, 2);
            const Row one = runTargets(std::min(timedOnOne, count), budget, 1);
            const int n = two.targets;
            std::printf(
                "| %d | %d | %.0f %% | %.0f %% | %.2f | %.2f | %.2f (at most %.2f) | %.2f |\n",
                budget, n, 100.0 * two.exact / n, 100.0 * two.withinOneDb / n, two.mfcc / n,
                two.lsd / n, two.seconds / n, two.slowest,
                one.targets > 0 ? one.seconds / one.targets : 0.0);
            std::fflush(stdout);
            if (budget == 2500 && one.seconds > 0) {
                ownShare = (one.seconds - one.rendering) / one.seconds;
            }
        }
    }
    std::printf("\nThe search's own share of one thread's time (everything but rendering), 2,500 "
                "renders, first %d targets: %.0f %%\n",
                std::min(timedOnOne, targets), 100.0 * ownShare);
    std::printf("\n| sound | renders | MFCC error | LSD (dB) |\n|---|---|---|---|\n");
    const std::vector<std::pair<const char*, std::vector<float>>> foreign{
        {"plucked string", plucked()},
        {"square-wave chirp", oneSecond([phase = 0.0](double n) mutable {
             phase += 110.0 * std::pow(8.0, n / 44100.0) / 44100.0; // three octaves up
             return std::fmod(phase, 1.0) < 0.5 ? 12000.0 : -12000.0;
         })},
        {"white-noise burst", oneSecond([white = noise(11)](double n) mutable {
             return 16000.0F * white() * std::exp(-static_cast<float>(n) / 6000.0F);
         })},
        {"inharmonic bell", oneSecond([](double n) {
             double v = 0; // partials of a bell, each dying away faster the higher it is
             for (const auto& [f, level] : {std::pair{220.0, 1.0},
                                            {484.0, 0.6},
                                            {657.8, 0.45},
                                            {921.1, 0.3},
                                            {1235.3, 0.2}}) {
                 v += level * std::sin(2 * std::numbers::pi * f * n / 44100.0) *
                      std::exp(-n / 44100.0 * f / 400.0);
             }
             return 9000.0 * v;
         })},
        {"spoken vowel (espeak-ng)", vowel()}};
    for (const auto& [name, samples] : foreign) {
        if (samples.empty()) {
            std::printf("| %s | - | not made: espeak-ng is not installed | |\n", name);
        }
        for (const auto& [budget, count] : {std::pair{2500, 1}, {25000, targetsAtMost}}) {
            if (!samples.empty() && count > 0) {
                Row row;
                row.add({samples}, budget, 1, 2);
                std::printf("| %s | %d | %.2f | %.2f |\n", name, budget, row.mfcc, row.lsd);
                std::fflush(stdout);
            }
        }
    }
    return 0;
}
