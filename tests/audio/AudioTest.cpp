// The mixer rendered block by block, sample for sample, and the SDL device under the disk driver.
#include "audio/Mixer.h"
#include "audio/SdlDevice.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace tarmel::audio {
namespace {

using namespace std::chrono_literals;
using Samples = std::vector<int16_t>;

// A second whose samples tell where they stand: base + n.
Samples ramp(int base) {
    Samples s(kVoiceFrames);
    std::ranges::generate(s, [n = base]() mutable { return static_cast<int16_t>(n++ % 30000); });
    return s;
}

VoiceSamples view(const Samples& s) {
    return VoiceSamples(s.data(), kVoiceFrames);
}

// That many frames of the mixer, rendered block frames at a time.
Samples render(Mixer& mixer, int frames, int block = 512) {
    Samples out(static_cast<std::size_t>(frames));
    for (int done = 0; done < frames; done += block) {
        mixer.render(out.data() + done, std::min(block, frames - done));
    }
    return out;
}

TEST(Mixer, PlaysRewritesStopsAndMixesVoicesSampleExactly) {
    auto mixer = std::make_unique<Mixer>();
    const Samples a = ramp(0);
    const Samples b = ramp(7000);
    mixer->write(0, view(a));
    EXPECT_EQ(render(*mixer, 600), Samples(600, 0)) << "written but not played";
    mixer->play(0);
    EXPECT_EQ(render(*mixer, 1000, 300), Samples(&a[0], &a[1000]));
    mixer->play(0);           // a sounding voice goes on where it is
    mixer->write(0, view(b)); // rewritten while it sounds: the position goes on
    EXPECT_EQ(render(*mixer, 1000), Samples(&b[1000], &b[2000]));
    mixer->stop(0);
    EXPECT_EQ(render(*mixer, 100), Samples(100, 0));
    mixer->play(0); // after a stop it starts again from its beginning, and plays once
    Samples whole = b;
    whole.resize(kVoiceFrames + 512);
    EXPECT_EQ(render(*mixer, kVoiceFrames + 512), whole);

    // Voices are summed in 32 bits and clamped to 16.
    for (int v = 0; v < kVoices; ++v) {
        mixer->write(v, view(Samples(kVoiceFrames, v == 2 ? 5 : 30000)));
        mixer->play(v);
    }
    EXPECT_EQ(render(*mixer, 10), Samples(10, 32767));
    mixer->write(0, view(Samples(kVoiceFrames, -30000)));
    mixer->write(1, view(Samples(kVoiceFrames, -30000)));
    EXPECT_EQ(render(*mixer, 10), Samples(10, -32768));
    mixer->stop(0);
    EXPECT_EQ(render(*mixer, 10), Samples(10, -29995));
    mixer->clear();
    mixer->play(1);
    EXPECT_EQ(render(*mixer, 10), Samples(10, 0)) << "cleared voices are silent";
}

// SDL's disk driver writes the device's output to a file at the pace of a sound card; the
// samples from the first sound on, once count of them are there.
Samples heard(const std::string& file, std::size_t count) {
    for (int tries = 0; tries < 1500; ++tries, std::this_thread::sleep_for(20ms)) {
        Samples all(std::filesystem::file_size(file) / 2);
        std::ifstream(file, std::ios::binary)
            .read(reinterpret_cast<char*>(all.data()), std::ssize(all) * 2);
        const auto first = std::ranges::find_if(all, [](int16_t s) { return s != 0; });
        if (all.end() - first >= static_cast<std::ptrdiff_t>(count)) {
            return {first, first + static_cast<std::ptrdiff_t>(count)};
        }
    }
    return {};
}

TEST(SdlDevice, PlaysAVoiceAndReopensAfterTheDeviceIsLost) {
    const std::string file = std::filesystem::temp_directory_path() /
                             ("tarmel-disk-" + std::to_string(getpid()) + ".raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/full", 1); // a device that cannot write is lost
    const Samples sound = ramp(1);
    auto device = std::make_unique<SdlDevice>();
    auto output = device->openOutput();
    std::string refusal;
    for (int i = 0; i < 500 && refusal.empty(); ++i) {
        try {
            output->write(0, view(sound));
            output->play(0);
            std::this_thread::sleep_for(10ms);
        } catch (const SoundError& e) {
            refusal = e.what();
        }
    }
    EXPECT_TRUE(refusal.find("no longer available") != std::string::npos &&
                refusal.find("Press reset") != std::string::npos)
        << refusal;
    output->stop(0); // never fails
    output.reset();
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 1);
    output = device->openOutput();
    output->write(2, view(sound));
    output->play(2);
    EXPECT_EQ(heard(file, kVoiceFrames), sound);
    std::filesystem::remove(file);
    output.reset();
    device.reset(); // SDL's audio stops with the last device

    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    EXPECT_THROW(SdlDevice().openOutput(), SoundError);
}

} // namespace
} // namespace tarmel::audio
