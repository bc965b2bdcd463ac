// tarmel-match-bench: how well and how fast the match search finds sounds. Targets made by
// Tarmel itself (random draws with seeds 1..N, heard at start-up state) at budgets of 2,500 and
// 25,000 renders: the share matched exactly, the share within 1 dB of log-spectral distance, the
// mean MFCC error and log-spectral distance, the seconds per match on 1 and on 2 threads and the
// search's own share of the time; then five sounds made here (a plucked string, a square-wave
// chirp, a noise burst, an inharmonic bell, a spoken vowel when espeak-ng is installed): their
// distances only. Prints a Markdown table.
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
#include <vector>

namespace {

using namespace tarmel;

struct Figures {
    double mfcc = 0;
    double lsd = 0;
};

Figures figuresOf(const match::Target& target, const match::MatchResult& r) {
    const std::vector<int16_t> heard = match::heardAtStart(r.controls);
    const std::vector<float> found(heard.begin(), heard.end());
    return {match::mfccError(target.samples, found),
            match::logSpectralDistance(target.samples, found)};
}

struct Row {
    int targets = 0;
    int exact = 0;
    int withinOneDb = 0;
    double mfcc = 0;
    double lsd = 0;
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
        const Figures f = figuresOf(target, r);
        ++row.targets;
        row.exact += r.exact ? 1 : 0;
        row.withinOneDb += f.lsd <= 1.0 ? 1 : 0;
        row.mfcc += f.mfcc;
        row.lsd += f.lsd;
        row.seconds += r.seconds;
        row.rendering += r.renderSeconds;
        row.slowest = std::max(row.slowest, r.seconds);
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

// Karplus-Strong: a burst of noise in a delay line of one period, averaged as it loops.
std::vector<float> plucked() {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1, 1);
    std::vector<float> line(44100 / 196);
    std::ranges::generate(line, [&] { return noise(random); });
    return oneSecond([&, i = line.size() - 1](double) mutable {
        i = (i + 1) % line.size();
        const float v = 20000.0F * line[i];
        line[i] = 0.996F * 0.5F * (line[i] + line[(i + 1) % line.size()]);
        return v;
    });
}

std::vector<float> squareChirp() {
    return oneSecond([phase = 0.0](double n) mutable {
        phase += 110.0 * std::pow(8.0, n / 44100.0) / 44100.0;
        return std::fmod(phase, 1.0) < 0.5 ? 12000.0 : -12000.0;
    });
}

std::vector<float> noiseBurst() {
    std::mt19937 random(11);
    std::uniform_real_distribution<float> noise(-1, 1);
    return oneSecond([&](double n) {
        return 16000.0F * noise(random) * std::exp(-static_cast<float>(n) / 6000.0F);
    });
}

std::vector<float> bell() {
    const std::vector<std::pair<double, double>> partials{
        {220.0, 1.0}, {484.0, 0.6}, {657.8, 0.45}, {921.1, 0.3}, {1235.3, 0.2}};
    return oneSecond([&](double n) {
        double v = 0;
        for (const auto& [hz, level] : partials) {
            v += level * std::sin(2 * std::numbers::pi * hz * n / 44100.0) *
                 std::exp(-n / 44100.0 * hz / 400.0);
        }
        return 9000.0 * v;
    });
}

// A spoken "ah" from espeak-ng, when it is installed: nothing otherwise.
std::vector<float> vowel() {
    const std::filesystem::path wav = std::filesystem::temp_directory_path() /
                                      ("tarmel-vowel-" + std::to_string(::getpid()) + ".wav");
    const std::string command = "espeak-ng -w '" + wav.string() + "' 'aaah' 2>/dev/null";
    if (std::system(command.c_str()) != 0) {
        return {};
    }
    std::vector<float> samples;
    try {
        samples = match::readTarget(wav).samples;
    } catch (const match::TargetError&) {
    }
    std::filesystem::remove(wav);
    return samples;
}

void printRow(int budget, const Row& two, const Row& one) {
    std::printf("| %d | %d | %.0f %% | %.0f %% | %.2f | %.2f | %.2f (at most %.2f) | %.2f |\n",
                budget, two.targets, 100.0 * two.exact / two.targets,
                100.0 * two.withinOneDb / two.targets, two.mfcc / two.targets,
                two.lsd / two.targets, two.seconds / two.targets, two.slowest,
                one.targets > 0 ? one.seconds / one.targets : 0.0);
}

} // namespace

int main(int argc, char** argv) {
    const int targets = argc > 1 ? std::atoi(argv[1]) : 100;
    const int targetsAtMost = argc > 2 ? std::atoi(argv[2]) : targets;
    const int timedOnOne = argc > 3 ? std::atoi(argv[3]) : std::min(targets, 10);
    std::printf("| renders | targets | exact | within 1 dB LSD | mean MFCC error | mean LSD (dB) "
                "| s per match, 2 threads | s per match, 1 thread (first %d) |\n",
                timedOnOne);
    std::printf("|---|---|---|---|---|---|---|---|\n");
    double ownShare = 0;
    for (const int budget : {2500, 25000}) {
        const int count = budget == 2500 ? targets : targetsAtMost;
        if (count <= 0) {
            continue;
        }
        const Row two = runTargets(count, budget, 2);
        const Row one = runTargets(std::min(timedOnOne, count), budget, 1);
        printRow(budget, two, one);
        std::fflush(stdout);
        if (budget == 2500 && one.seconds > 0) {
            ownShare = (one.seconds - one.rendering) / one.seconds;
        }
    }
    if (timedOnOne > 0) {
        std::printf("\nThe search's own share of one thread's time (everything but rendering), "
                    "2,500 renders, first %d targets: %.0f %%\n",
                    std::min(timedOnOne, targets), 100.0 * ownShare);
    }
    std::printf("\n| sound | renders | MFCC error | LSD (dB) |\n|---|---|---|---|\n");
    const std::vector<std::pair<std::string, std::vector<float>>> foreign{
        {"plucked string", plucked()},
        {"square-wave chirp", squareChirp()},
        {"white-noise burst", noiseBurst()},
        {"inharmonic bell", bell()},
        {"spoken vowel (espeak-ng)", vowel()}};
    for (const auto& [name, samples] : foreign) {
        if (samples.empty()) {
            std::printf("| %s | - | not made: espeak-ng is not installed | |\n", name.c_str());
            continue;
        }
        const match::Target target{samples};
        for (const int budget : {2500, 25000}) {
            if (budget > 2500 && targetsAtMost <= 0) {
                continue;
            }
            const match::MatchResult r = match::matchSound(target, {budget, 1, 2});
            const Figures f = figuresOf(target, r);
            std::printf("| %s | %d | %.2f | %.2f |\n", name.c_str(), budget, f.mfcc, f.lsd);
            std::fflush(stdout);
        }
    }
    return 0;
}
