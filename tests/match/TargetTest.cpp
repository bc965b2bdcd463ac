// Reading the sound to match: files written here with libsndfile in the formats, rates and
// channel counts a user may bring, and the files that must be refused with their reason.
#include "match/Target.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <numbers>
#include <sndfile.h>
#include <string>
#include <tuple>
#include <unistd.h>
#include <vector>

namespace {

using namespace tarmel::match;
using testing::AllOf, testing::HasSubstr, testing::ThrowsMessage;
namespace fs = std::filesystem;

class TargetTest : public ::testing::Test {
protected:
    TargetTest() { fs::create_directories(dir_); }
    ~TargetTest() override { fs::remove_all(dir_); }

    // Writes frames * channels samples (-1..1) made by value(frame, channel).
    fs::path write(
        const std::string& name, int format, int rate, int channels, long frames,
        const std::function<double(long, int)>& value = [](long, int) { return 0.0; }) {
        SF_INFO info{0, rate, channels, format, 0, 0};
        SNDFILE* f = sf_open((dir_ / name).c_str(), SFM_WRITE, &info);
        EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
        std::vector<double> all(static_cast<std::size_t>(frames * channels));
        for (std::size_t i = 0; i < all.size(); ++i) {
            all[i] = value(static_cast<long>(i) / channels, static_cast<int>(i) % channels);
        }
        sf_writef_double(f, all.data(), frames);
        sf_close(f);
        return dir_ / name;
    }

    const fs::path dir_ =
        fs::path(testing::TempDir()) / ("tarmel-target-" + std::to_string(getpid()));
};

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

TEST_F(TargetTest, RefusesFilesItCannotMatchNamingTheFileAndTheFault) {
    std::ofstream(dir_ / "notes.wav") << "not a sound\n";
    std::ofstream(dir_ / "empty.wav");
    const std::vector<std::pair<fs::path, std::string>> cases{
        {dir_ / "notes.wav", "is not a sound file"},
        {dir_ / "empty.wav", "is empty"},
        {write("none.wav", kWav16, 44100, 1, 0), "holds no samples"},
        {write("nan.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, 1000,
               [](long n, int) { return n == 500 ? std::nan("") : 0.1; }),
         "not numbers"},
        {write("quiet.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 48000),
         "nothing to match"},
        {dir_ / "gone.wav", "does not exist"},
        {dir_, "is a folder"}};
    for (const auto& [path, fault] : cases) {
        EXPECT_THAT([&] { readTarget(path); },
                    ThrowsMessage<TargetError>(AllOf(HasSubstr(path.string()), HasSubstr(fault))));
    }
}

// Each a sine whose channels average to a known level, at the file's rate; the ten-minute file
// holds a quiet sine for its first second and full-scale noise after it, which must not be read.
// Over the first 43000 samples (the last ones may feel the resampler's look at what follows), the
// mix has the sine's peak and twice its frequency in sign changes per second.
TEST_F(TargetTest, MixesChannelsResamplesEveryFormatAndReadsOnlyTheFirstSecond) {
    const std::vector<std::tuple<std::string, int, int, int, long, double, double>> cases{
        {"eight.wav", kWav16, 8000, 8, 1, 441, 0.5},
        {"stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 2, 1, 441, 0.5},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2, 1, 441, 0.5},
        {"long.wav", kWav16, 8000, 1, 600, 200, 0.25}};
    for (const auto& [name, format, rate, channels, seconds, hz, level] : cases) {
        // Channel k carries (k + 1) / sum of (k + 1) of the sine, so the mean is the level.
        const double total = channels * (channels + 1) / 2.0;
        const fs::path path =
            write(name, format, rate, channels, seconds * rate, [&](long n, int k) {
                return n >= rate ? ((n * 7919) % 2 == 0 ? 0.99 : -0.99)
                                 : level * channels * (k + 1) / total *
                                       std::sin(2 * std::numbers::pi * hz * n / rate);
            });
        const Target t = readTarget(path);
        ASSERT_EQ(t.samples.size(), 44100U) << name;
        float peak = 0;
        int changes = 0;
        for (std::size_t n = 1; n < 43000; ++n) {
            peak = std::max(peak, std::fabs(t.samples[n]));
            changes += (t.samples[n - 1] < 0) != (t.samples[n] < 0) ? 1 : 0;
        }
        EXPECT_NEAR(peak, 32768 * level, 32768 * level * 0.02) << name;
        EXPECT_NEAR(changes, 2 * hz * 43000 / 44100, 3) << name;
    }
}

} // namespace
