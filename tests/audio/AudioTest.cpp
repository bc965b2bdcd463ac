// The mixer rendered block by block, sample for sample, and the SDL device under the disk driver:
// lost, and opened afresh.
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

// Samples that tell where they stand: base + n, a second of them unless told.
Samples ramp(int base, int count = kVoiceFrames) {
    Samples s(static_cast<std::size_t>(count));
    std::ranges::generate(s, [n = base]() mutable { return static_cast<int16_t>(n++ % 30000); });
    return s;
}

// That many frames of the mixer, rendered in one call; the mixer itself works in shorter chunks.
Samples render(Mixer& mixer, int frames) {
    Samples out(static_cast<std::size_t>(frames));
    mixer.render(out.data(), frames);
    return out;
}

TEST(Mixer, PlaysRewritesStopsAndMixesVoicesSampleExactly) {
    auto mixer = std::make_unique<Mixer>();
    mixer->write(0, VoiceSamples(ramp(0)));
    EXPECT_EQ(render(*mixer, 600), Samples(600, 0)) << "written but not played";
    mixer->play(0);
    EXPECT_EQ(render(*mixer, 1000), ramp(0, 1000));
    mixer->play(0);                            // a sounding voice goes on where it is
    mixer->write(0, VoiceSamples(ramp(7000))); // rewritten while it sounds: the position goes on
    EXPECT_EQ(render(*mixer, 1000), ramp(8000, 1000));
    // After a stop it starts again from its beginning (a stop that did not silence it would leave
    // it going on from where it was), and plays once.
    mixer->stop(0);
    mixer->play(0);
    EXPECT_EQ(render(*mixer, kVoiceFrames), ramp(7000));
    EXPECT_EQ(render(*mixer, 512), Samples(512, 0));

    // Voices are summed in 32 bits and clamped to 16: a level on two voices, 5 on the third, and
    // the mix.
    for (const auto& [level, mix] : {std::pair{30000, 32767}, std::pair{-30000, -32768}}) {
        for (int v = 0; v < kVoices; ++v) {
            mixer->write(v, VoiceSamples(Samples(kVoiceFrames, int16_t(v == 2 ? 5 : level))));
            mixer->play(v);
        }
        EXPECT_EQ(render(*mixer, 10), Samples(10, int16_t(mix)));
    }
    mixer->clear();
    mixer->play(1);
    EXPECT_EQ(render(*mixer, 10), Samples(10, 0)) << "cleared voices are silent";
}

// A repeating voice starts again where a play request between every two blocks would start it:
// rendered in blocks of 256 frames as the device renders, a second that starts with block 10 ends
// in block 182 (44100 / 256 = 172.3 blocks on), silent after its last sample, and starts again
// with block 183, then 173 blocks later. With repeat turned off it stays silent at its end.
TEST(Mixer, RepeatingVoicesRestartAtTheBlockAfterTheirEnd) {
    auto mixer = std::make_unique<Mixer>();
    mixer->write(1, VoiceSamples(ramp(0)));
    mixer->repeat(1, true);
    Samples heard = render(*mixer, 10 * kBlockFrames);
    mixer->play(1);
    for (int block = 0; block < 2 * 173 + 1; ++block) {
        const Samples b = render(*mixer, kBlockFrames);
        heard.insert(heard.end(), b.begin(), b.end());
    }
    Samples expected(heard.size());
    for (const int start : {10, 10 + 173, 10 + 2 * 173}) {
        const auto at = expected.begin() + start * 256;
        std::copy_n(ramp(0).begin(), std::min<long>(kVoiceFrames, expected.end() - at), at);
    }
    EXPECT_EQ(heard, expected);
    mixer->repeat(1, false);
    render(*mixer, kVoiceFrames); // the second that sounds ends
    EXPECT_EQ(render(*mixer, kVoiceFrames), Samples(kVoiceFrames, 0)) << "repeat turned off";
}

TEST(SdlDevice, PlaysAVoiceAndReopensAfterTheDeviceIsLost) {
    const std::string file = testing::TempDir() + "tarmel-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/full", 1); // a device that cannot write is lost
    SdlDevice device;
    auto output = device.openOutput();
    std::string refusal;
    for (int i = 0; i < 500 && refusal.empty(); ++i, std::this_thread::sleep_for(10ms)) {
        try {
            output->write(0, VoiceSamples(ramp(1)));
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
    output = device.openOutput();
    output->write(2, VoiceSamples(ramp(1)));
    output->play(2);
    // SDL's disk driver writes the device's output to the file at the pace of a sound card (the
    // samples themselves are compared in the end-to-end tests).
    bool sounded = false;
    for (int tries = 0; tries < 1500 && !sounded; ++tries, std::this_thread::sleep_for(20ms)) {
        std::ifstream in(file, std::ios::binary);
        sounded =
            std::any_of(std::istreambuf_iterator<char>(in), {}, [](char c) { return c != 0; });
    }
    EXPECT_TRUE(sounded) << "no sound from the device opened afresh";
    std::filesystem::remove(file);
}

} // namespace
} // namespace tarmel::audio
