// The soak run: "repeat" for ten minutes (TARMEL_SOAK_SECONDS) while a slider moves now and then.
// The program's resident memory, read every ten seconds, may not grow by more than 1 MiB after
// the first minute, generations must keep finishing, and no error may be shown.
#include "TarmelSession.h"
#include "WindowLayouts.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

namespace tarmel::robustness {
namespace {

using e2e::milliseconds;
using std::chrono::seconds;

constexpr seconds kSampleEvery{10};
constexpr seconds kWarmUp{60};
constexpr long kAllowedGrowthKiB = 1024;

int soakSeconds() {
    const char* given = std::getenv("TARMEL_SOAK_SECONDS");
    return given != nullptr ? std::stoi(given) : 600;
}

// VmRSS of the process in KiB, or -1 when it cannot be read.
long residentKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

struct Sample {
    double at = 0; // seconds since repeat was clicked
    long rssKiB = 0;
    int generations = 0;
};

// Drags one of the main window's bars or sliders from one random point of it to another.
void moveASlider(TarmelSession& s, std::mt19937& rng) {
    const WindowLayout& main = mainWindowLayout();
    std::vector<const Control*> bars = main.of(Part::VerticalBar);
    const auto horizontal = main.of(Part::HorizontalBar);
    bars.insert(bars.end(), horizontal.begin(), horizontal.end());
    const Control& bar = *bars[rng() % bars.size()];
    auto point = [&] {
        return std::pair<int, int>{
            pixels(bar.left) + 2 + static_cast<int>(rng() % std::max(1, pixels(bar.width) - 4)),
            pixels(bar.top) + 2 + static_cast<int>(rng() % std::max(1, pixels(bar.height) - 4))};
    };
    const auto [x0, y0] = point();
    const auto [x1, y1] = point();
    s.xdotool({"mousemove", "--window", s.main(), std::to_string(x0), std::to_string(y0),
               "mousedown", "1", "sleep", "0.05", "mousemove", "--window", s.main(),
               std::to_string(x1), std::to_string(y1), "sleep", "0.05", "mouseup", "1"});
}

TEST(Soak, RepeatForTenMinutesKeepsMemoryFlatAndEveryGenerationFinishing) {
    const int total = soakSeconds();
    TarmelSession session("soak");
    const Control& repeat = mainWindowLayout().control("repeat");
    session.xdotool({"mousemove", "--window", session.main(),
                     std::to_string(pixels(repeat.left) + 6),
                     std::to_string(pixels(repeat.top) + 6), "click", "1"});
    const auto started = Clock::now();
    std::mt19937 rng(20240611);
    std::vector<Sample> samples;
    auto nextSample = started;
    auto nextMove = started + seconds(15);
    while (true) {
        const auto now = Clock::now();
        const double at = std::chrono::duration<double>(now - started).count();
        if (now >= nextSample) {
            const Sample sample{at, residentKiB(session.program().pid()),
                                session.generationsFinished()};
            samples.push_back(sample);
            std::cout << "t " << static_cast<int>(sample.at) << " s  VmRSS " << sample.rssKiB
                      << " KiB  generations " << sample.generations << std::endl;
            ASSERT_TRUE(session.program().running()) << session.notes();
            ASSERT_TRUE(session.probe().ping(session.main(), milliseconds(30000)))
                << "the program stopped answering";
            ASSERT_TRUE(session.errorsShown().empty()) << session.errorsShown().front();
            nextSample += kSampleEvery;
            if (at >= total) {
                break;
            }
        }
        if (now >= nextMove) {
            moveASlider(session, rng);
            nextMove += seconds(10 + rng() % 20);
        }
        std::this_thread::sleep_for(milliseconds(200));
    }

    const Control& stop = mainWindowLayout().control("stop");
    session.xdotool({"mousemove", "--window", session.main(), std::to_string(pixels(stop.left) + 6),
                     std::to_string(pixels(stop.top) + 6), "click", "1"});
    ASSERT_TRUE(session.probe().settle(session.main(), milliseconds(30000)));

    // Generations kept finishing in every ten seconds.
    for (std::size_t i = 1; i < samples.size(); ++i) {
        EXPECT_GT(samples[i].generations, samples[i - 1].generations)
            << "no generation finished between " << samples[i - 1].at << " s and " << samples[i].at
            << " s";
    }
    // Memory after the warm-up minute.
    const auto baseline = std::find_if(samples.begin(), samples.end(), [](const Sample& s) {
        return s.at >= static_cast<double>(kWarmUp.count());
    });
    ASSERT_NE(baseline, samples.end()) << "the run is shorter than the warm-up";
    long highest = baseline->rssKiB;
    for (auto it = baseline; it != samples.end(); ++it) {
        highest = std::max(highest, it->rssKiB);
    }
    const Sample& last = samples.back();
    const double rate = last.generations / last.at;
    std::cout << "VmRSS at start " << samples.front().rssKiB << " KiB, after one minute "
              << baseline->rssKiB << " KiB, at the end " << last.rssKiB << " KiB, highest after "
              << "the first minute " << highest << " KiB; " << last.generations
              << " generations in " << last.at << " s, " << rate << " per second" << std::endl;
    RecordProperty("rss_start_kib", std::to_string(samples.front().rssKiB));
    RecordProperty("rss_after_minute_kib", std::to_string(baseline->rssKiB));
    RecordProperty("rss_end_kib", std::to_string(last.rssKiB));
    RecordProperty("generations_per_second", std::to_string(rate));
    EXPECT_LE(highest - baseline->rssKiB, kAllowedGrowthKiB);
    EXPECT_TRUE(session.errorsShown().empty());
    EXPECT_EQ(session.sanitizerReports(), "");
}

} // namespace
} // namespace tarmel::robustness
