// The mixer rendered block by block, byte for byte, and the SDL device under the disk driver.
#include "audio/Mixer.h"
#include "audio/SdlDevice.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tarmel::audio {
namespace {

using Second = std::vector<int16_t>;

// A second whose every sample tells where it stands: base + n, wrapping in 16 bits.
Second ramp(int base) {
    Second s(kVoiceFrames);
    for (int n = 0; n < kVoiceFrames; ++n) {
        s[static_cast<std::size_t>(n)] = static_cast<int16_t>((base + n) % 30000);
    }
    return s;
}

VoiceSamples view(const Second& s) {
    return VoiceSamples(s.data(), kVoiceFrames);
}

Second render(Mixer& mixer, int frames, int block = 512) {
    Second out(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += block) {
        mixer.render(out.data() + done, std::min(block, frames - done));
    }
    return out;
}

Second slice(const Second& s, int from, int count) {
    return {s.begin() + from, s.begin() + from + count};
}

TEST(Mixer, PlaysWritesStopsAndMixesVoicesSampleExactly) {
    auto mixer = std::make_unique<Mixer>();
    const Second a = ramp(0);
    const Second b = ramp(7000);
    mixer->write(0, view(a));
    EXPECT_EQ(render(*mixer, 600), Second(600, 0)) << "written but not played";
    mixer->play(0);
    EXPECT_EQ(render(*mixer, 1000, 300), slice(a, 0, 1000));
    mixer->play(0); // a sounding voice goes on where it is
    mixer->write(0, view(b)); // rewritten while it sounds: the position goes on
    EXPECT_EQ(render(*mixer, 1000), slice(b, 1000, 1000));
    mixer->stop(0);
    EXPECT_EQ(render(*mixer, 100), Second(100, 0));
    mixer->play(0); // after a stop it starts again from its beginning
    Second whole = render(*mixer, kVoiceFrames + 512);
    EXPECT_EQ(slice(whole, 0, kVoiceFrames), b);
    EXPECT_EQ(slice(whole, kVoiceFrames, 512), Second(512, 0)) << "a voice plays once";

    // Voices are summed in 32 bits and clamped to 16.
    const Second high(kVoiceFrames, 30000);
    const Second low(kVoiceFrames, -30000);
    const Second small(kVoiceFrames, 5);
    mixer->write(0, view(high));
    mixer->write(1, view(high));
    mixer->write(2, view(small));
    mixer->play(0);
    mixer->play(1);
    mixer->play(2);
    EXPECT_EQ(render(*mixer, 10), Second(10, 32767));
    mixer->write(0, view(low));
    mixer->write(1, view(low));
    EXPECT_EQ(render(*mixer, 10), Second(10, -32768));
    mixer->stop(0);
    EXPECT_EQ(render(*mixer, 10), Second(10, -29995));
    mixer->clear();
    mixer->play(1);
    EXPECT_EQ(render(*mixer, 10), Second(10, 0)) << "cleared voices are silent";
}

// SDL's disk driver writes the device's output to a file at the pace of a sound card.
class SdlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    }
    void TearDown() override { std::filesystem::remove(file_); }

    // The samples from the first sound on, once count of them have been written.
    Second heard(std::size_t count) const {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (std::chrono::steady_clock::now() < giveUp) {
            std::ifstream in(file_, std::ios::binary);
            Second all;
            int16_t s = 0;
            while (in.read(reinterpret_cast<char*>(&s), sizeof s)) {
                all.push_back(s);
            }
            const auto first = std::find_if(all.begin(), all.end(), [](int16_t v) { return v; });
            if (all.end() - first >= static_cast<std::ptrdiff_t>(count)) {
                return {first, first + static_cast<std::ptrdiff_t>(count)};
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        return {};
    }

    std::string file_ = (std::filesystem::temp_directory_path() /
                         ("tarmel-disk-" + std::to_string(getpid()) + ".raw"))
                            .string();
};

TEST_F(SdlDeviceTest, PlaysAVoiceAndReopensAfterTheDeviceIsLost) {
    const Second sound = ramp(1);
    {
        SdlDevice device;
        auto output = device.openOutput();
        output->write(1, view(sound));
        output->play(1);
        EXPECT_EQ(heard(kVoiceFrames), sound);
    }
    // A device that cannot write its output is disabled by SDL: the next write says so.
    setenv("SDL_DISKAUDIOFILE", "/dev/full", 1);
    SdlDevice device;
    auto output = device.openOutput();
    std::string refusal;
    for (int i = 0; i < 500 && refusal.empty(); ++i) {
        try {
            output->write(0, view(sound));
            output->play(0);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        } catch (const SoundError& e) {
            refusal = e.what();
        }
    }
    EXPECT_NE(refusal.find("no longer available"), std::string::npos) << refusal;
    EXPECT_NE(refusal.find("Press reset"), std::string::npos) << refusal;
    output->stop(0); // never fails
    output.reset();
    setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
    output = device.openOutput();
    output->write(2, view(sound));
    output->play(2);
    EXPECT_EQ(heard(kVoiceFrames), sound);
}

TEST(SdlDevice, WithoutADriverOpeningFailsWithSdlsMessage) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    SdlDevice device;
    EXPECT_THROW(device.openOutput(), SoundError);
    unsetenv("SDL_AUDIODRIVER");
}

} // namespace
} // namespace tarmel::audio
