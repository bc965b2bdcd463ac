// Reading the sound to match: files written here with libsndfile in the formats, rates and
// channel counts a user may bring, and the files that must be refused with their reason.
#include "match/Target.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <numbers>
#include <sndfile.h>
#include <string>
#include <vector>

namespace {

using namespace tarmel::match;
namespace fs = std::filesystem;

class TargetTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ =
            fs::temp_directory_path() /
            ("tarmel-target-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
             "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Writes frames * channels samples (-1..1) made by value(frame, channel).
    fs::path write(const std::string& name, int format, int rate, int channels, long frames,
                   const std::function<double(long, int)>& value) {
        const fs::path path = dir_ / name;
        SF_INFO info{};
        info.samplerate = rate;
        info.channels = channels;
        info.format = format;
        SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
        EXPECT_NE(f, nullptr) << sf_strerror(nullptr);
        // Full scale written as 32768 (libsndfile would scale by 32767).
        sf_command(f, SFC_SET_NORM_DOUBLE, nullptr, SF_FALSE);
        std::vector<double> block;
        constexpr long kBlock = 65536;
        for (long start = 0; start < frames; start += kBlock) {
            const long count = std::min(kBlock, frames - start);
            block.resize(static_cast<std::size_t>(count * channels));
            for (long i = 0; i < count; ++i) {
                for (int c = 0; c < channels; ++c) {
                    const double v = value(start + i, c);
                    block[static_cast<std::size_t>(i * channels + c)] =
                        (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_16   ? v * 32768.0
                        : (format & SF_FORMAT_SUBMASK) == SF_FORMAT_PCM_24 ? v * 8388608.0
                                                                           : v;
                }
            }
            sf_writef_double(f, block.data(), count);
        }
        sf_close(f);
        return path;
    }

    fs::path dir_;
};

constexpr int kWav16 = SF_FORMAT_WAV | SF_FORMAT_PCM_16;

double sine(double hz, long n, int rate) {
    return std::sin(2 * std::numbers::pi * hz * static_cast<double>(n) / rate);
}

// Sign changes among the first count samples: twice a sine's frequency per second.
int signChanges(const std::vector<float>& s, std::size_t count = 44100) {
    int changes = 0;
    for (std::size_t n = 1; n < count; ++n) {
        changes += (s[n - 1] < 0) != (s[n] < 0) ? 1 : 0;
    }
    return changes;
}

TEST_F(TargetTest, RefusesFilesItCannotMatchNamingTheFileAndTheFault) {
    struct Case {
        std::string name;
        std::function<fs::path()> make;
        std::string fault;
    };
    const std::vector<Case> cases{
        {"text",
         [&] {
             std::ofstream(dir_ / "notes.wav") << "not a sound\n";
             return dir_ / "notes.wav";
         },
         "is not a sound file"},
        {"empty",
         [&] {
             std::ofstream(dir_ / "empty.wav");
             return dir_ / "empty.wav";
         },
         "is empty"},
        {"zero length",
         [&] { return write("none.wav", kWav16, 44100, 1, 0, [](long, int) { return 0.0; }); },
         "holds no samples"},
        {"NaN in a float WAV",
         [&] {
             return write("nan.wav", SF_FORMAT_WAV | SF_FORMAT_FLOAT, 44100, 1, 1000,
                          [](long n, int) { return n == 500 ? std::nan("") : 0.1; });
         },
         "not numbers"},
        {"silence",
         [&] {
             return write("quiet.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_16, 48000, 2, 48000,
                          [](long, int) { return 0.0; });
         },
         "nothing to match"},
        {"missing", [&] { return dir_ / "gone.wav"; }, "does not exist"},
        {"folder", [&] { return dir_; }, "is a folder"},
    };
    for (const Case& c : cases) {
        const fs::path path = c.make();
        try {
            readTarget(path);
            ADD_FAILURE() << c.name << ": accepted";
        } catch (const TargetError& e) {
            const std::string what = e.what();
            EXPECT_NE(what.find(path.string()), std::string::npos) << c.name << ": " << what;
            EXPECT_NE(what.find(c.fault), std::string::npos) << c.name << ": " << what;
        }
    }
}

TEST_F(TargetTest, ReadsSixteenBitSamplesExactlyAndPadsAShortSound) {
    // The extremes of 16 bits and values between, in a sound of 1000 samples.
    const std::vector<int> values{-32768, 32767, -1, 1, 0, 12345};
    const fs::path path = write("short.wav", kWav16, 44100, 1, 1000, [&](long n, int) {
        return values[static_cast<std::size_t>(n) % values.size()] / 32768.0;
    });
    const Target t = readTarget(path);
    ASSERT_EQ(t.samples.size(), 44100U);
    for (std::size_t n = 0; n < 1000; ++n) {
        ASSERT_EQ(t.samples[n], static_cast<float>(values[n % values.size()])) << n;
    }
    for (std::size_t n = 1000; n < t.samples.size(); ++n) {
        ASSERT_EQ(t.samples[n], 0.0F) << n;
    }
}

TEST_F(TargetTest, MixesChannelsAndResamplesEveryFormat) {
    // Each: a 441 Hz sine whose channels average to half scale, at the file's rate.
    struct Case {
        std::string name;
        int format;
        int rate;
        int channels;
    };
    const std::vector<Case> cases{
        {"eight.wav", kWav16, 8000, 8},
        {"stereo.flac", SF_FORMAT_FLAC | SF_FORMAT_PCM_24, 96000, 2},
        {"mono.aiff", SF_FORMAT_AIFF | SF_FORMAT_PCM_16, 22050, 1},
        {"vorbis.ogg", SF_FORMAT_OGG | SF_FORMAT_VORBIS, 44100, 2},
    };
    for (const Case& c : cases) {
        // Channel k carries (k + 1) / sum of (k + 1) of the sine, so the mean is half scale.
        const double total = c.channels * (c.channels + 1) / 2.0;
        const fs::path path =
            write(c.name, c.format, c.rate, c.channels, c.rate, [&](long n, int k) {
                return 0.5 * c.channels * (k + 1) / total * sine(441, n, c.rate);
            });
        const Target t = readTarget(path);
        ASSERT_EQ(t.samples.size(), 44100U) << c.name;
        EXPECT_NEAR(signChanges(t.samples), 882, 3) << c.name;
        float peak = 0;
        for (std::size_t n = 1000; n < 43000; ++n) {
            peak = std::max(peak, std::fabs(t.samples[n]));
        }
        EXPECT_NEAR(peak, 16384.0F, 16384.0F * 0.02F) << c.name;
    }
}

TEST_F(TargetTest, ReadsOnlyTheFirstSecondOfATenMinuteFile) {
    // A quiet sine for the first second, full-scale noise for the rest of ten minutes.
    const int rate = 8000;
    const fs::path path = write("long.wav", kWav16, rate, 1, 600L * rate, [&](long n, int) {
        return n < rate ? 0.25 * sine(200, n, rate) : ((n * 7919) % 2 == 0 ? 0.99 : -0.99);
    });
    const Target t = readTarget(path);
    ASSERT_EQ(t.samples.size(), 44100U);
    float peak = 0;
    for (std::size_t n = 0; n < 43000; ++n) {
        peak = std::max(peak, std::fabs(t.samples[n]));
    }
    EXPECT_NEAR(peak, 8192.0F, 8192.0F * 0.02F);
    // 200 Hz over 43000 samples (the last ones may feel the resampler's look at what follows).
    EXPECT_NEAR(signChanges(t.samples, 43000), 390, 3);
}

} // namespace
