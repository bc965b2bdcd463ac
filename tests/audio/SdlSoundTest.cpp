// The SDL sound layer under SDL's dummy and disk drivers: what reaches the output, object
// lifetimes, and failures to open or keep the device.
#include "SdlTestSupport.h"

#include <SDL.h>
#include <gtest/gtest.h>

namespace tarmel::audio {
namespace {

using test::errorOf;
using test::ScopedEnv;
using test::sdlSlots;
using test::SoundSlots;
using test::TempDir;
using test::testSignal;
using test::waitUntilRefused;
using test::writeWhole;

// Every test starts and must end with no sound object alive and SDL audio shut down.
class SdlSoundTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(sdlSoundCounts(), SdlSoundCounts{});
        ASSERT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
    }
    void TearDown() override {
        EXPECT_EQ(sdlSoundCounts(), SdlSoundCounts{});
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "SDL audio was not shut down";
    }
};

// Waits for the started second to go out through the disk driver, releases the objects (which
// flushes the file) and checks the file: silence, exactly expected, then silence again.
void expectOnlySecondOf(const std::filesystem::path& file, const std::vector<int16_t>& expected,
                        SoundSlots& slots) {
    constexpr int kTail = 4096;
    ASSERT_TRUE(test::waitForSignal(file, kBufferFrames + kTail)) << "no signal reached " << file;
    slots.release(); // closes the device, which flushes the file
    const auto samples = test::readSamples(file);
    const int start = test::signalStart(samples);
    ASSERT_GE(start, 0);
    const std::vector<int16_t> heard(samples.begin() + start,
                                     samples.begin() + start + kBufferFrames);
    EXPECT_EQ(heard, expected);
    EXPECT_EQ(test::signalStart({samples.begin() + start + kBufferFrames, samples.end()}), -1)
        << "sound after the end of the second";
}

TEST_F(SdlSoundTest, DiskOutputCarriesTheStartedSecondExactly) {
    TempDir dir;
    const auto file = dir / "out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv output("SDL_DISKAUDIOFILE", file.string());
    SoundSlots slots = sdlSlots();
    slots.initSound();
    const auto a = testSignal(1);
    const auto b = testSignal(2);
    const auto c = testSignal(3);
    writeWhole(*slots.buffers[0], a);
    writeWhole(*slots.buffers[1], b);
    writeWhole(*slots.buffers[2], c);
    slots.buffers[1]->Play(kPlayOnce); // the other two are written but never started
    expectOnlySecondOf(file, b, slots);
}

TEST_F(SdlSoundTest, InitSoundThreeTimesLeavesOneDeviceAndThreeBuffers) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundSlots slots = sdlSlots();
    const auto a = testSignal(1);
    for (int round = 0; round < 3; ++round) {
        slots.initSound();
        EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{1, 1, 3, 1})) << "round " << round;
        for (auto& buffer : slots.buffers) {
            writeWhole(*buffer, a);
            buffer->Play(kPlayOnce);
        }
    }
    slots.reset();
    EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{1, 1, 3, 1}));
    EXPECT_NE(slots.buffers[0], slots.buffers[1]);
    EXPECT_NE(slots.buffers[1], slots.buffers[2]);
}

TEST_F(SdlSoundTest, ABufferKeepsItsDeviceOpen) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    SoundSlots slots = sdlSlots();
    slots.initSound();
    std::shared_ptr<SoundBuffer> kept = slots.buffers[2];
    slots.release();
    EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{0, 1, 1, 1}));
    const auto a = testSignal(4);
    EXPECT_NO_THROW(writeWhole(*kept, a));
    EXPECT_NO_THROW(kept->Play(kPlayOnce));
    EXPECT_NO_THROW(kept->Stop());
    kept.reset();
}

TEST_F(SdlSoundTest, AnUnknownDriverGivesSdlsMessage) {
    ScopedEnv driver("SDL_AUDIODRIVER", "nosuchdriver");
    auto root = makeSdlSoundSystem();
    const std::string error = errorOf([&] { root->CreateDevice(""); });
    EXPECT_NE(error.find("Could not start the sound system"), std::string::npos) << error;
    EXPECT_NE(error.find("nosuchdriver"), std::string::npos) << error;
}

TEST_F(SdlSoundTest, AnOutputThatCannotOpenGivesSdlsMessage) {
    TempDir dir;
    const auto file = dir / "missing-folder" / "out.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv output("SDL_DISKAUDIOFILE", file.string());
    auto root = makeSdlSoundSystem();
    const std::string error = errorOf([&] { root->CreateDevice(""); });
    EXPECT_NE(error.find("Could not open the default sound output: "), std::string::npos) << error;
    EXPECT_GT(error.size(), std::string("Could not open the default sound output: ").size());
}

TEST_F(SdlSoundTest, InvalidRequestsAreRefused) {
    ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
    auto root = makeSdlSoundSystem();
    EXPECT_THROW(root->CreateDevice("hw:7"), SoundError);
    auto device = root->CreateDevice("");
    BufferDescription desc;
    fillOneSecondMono16(desc);
    desc.channels = 2;
    EXPECT_NE(errorOf([&] { device->CreateSoundBuffer(desc); }).find("channel count is 2"),
              std::string::npos);
    fillOneSecondMono16(desc);
    auto buffer = device->CreateSoundBuffer(desc);
    const auto a = testSignal(1);
    EXPECT_THROW(buffer->WriteBuffer(1, 2, a.data(), 0), SoundError);
    EXPECT_THROW(buffer->WriteBuffer(0, 88202, a.data(), 0), SoundError);
    EXPECT_THROW(buffer->WriteBuffer(0, 2, nullptr, 0), SoundError);
    EXPECT_THROW(buffer->Play(1), SoundError);
}

TEST_F(SdlSoundTest, ALostDeviceAsksForAResetAndResetOpensAWorkingOne) {
    TempDir dir;
    const auto file = dir / "after-reset.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    std::optional<ScopedEnv> output;
    output.emplace("SDL_DISKAUDIOFILE", "/dev/full"); // every write fails: SDL drops the device
    SoundSlots slots = sdlSlots();
    slots.initSound();
    const auto a = testSignal(5);

    const std::string error = waitUntilRefused([&] { slots.buffers[0]->Play(kPlayOnce); });
    ASSERT_NE(error, "") << "the device never went away";
    EXPECT_NE(error.find("no longer available"), std::string::npos) << error;
    EXPECT_NE(error.find("Press reset"), std::string::npos) << error;
    EXPECT_EQ(errorOf([&] { writeWhole(*slots.buffers[1], a); }), error);
    BufferDescription desc;
    fillOneSecondMono16(desc);
    EXPECT_EQ(errorOf([&] { slots.soundDevice->CreateSoundBuffer(desc); }), error);

    output.emplace("SDL_DISKAUDIOFILE", file.string());
    ASSERT_NO_THROW(slots.reset()); // stops the lost buffers, then opens the output again
    EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{1, 1, 3, 1}));
    writeWhole(*slots.buffers[1], a);
    slots.buffers[1]->Play(kPlayOnce);
    expectOnlySecondOf(file, a, slots);
}

TEST_F(SdlSoundTest, ResetAfterALossStartsTheSoundDriverAfresh) {
    std::optional<ScopedEnv> driver;
    driver.emplace("SDL_AUDIODRIVER", "disk");
    ScopedEnv output("SDL_DISKAUDIOFILE", "/dev/full");
    SoundSlots slots = sdlSlots();
    slots.initSound();
    const auto a = testSignal(6);
    ASSERT_NE(waitUntilRefused([&] { writeWhole(*slots.buffers[2], a); }), "");

    driver.emplace("SDL_AUDIODRIVER", "dummy"); // the driver that is there now
    slots.reset();
    EXPECT_STREQ(SDL_GetCurrentAudioDriver(), "dummy");
    EXPECT_NO_THROW(writeWhole(*slots.buffers[2], a));
    EXPECT_NO_THROW(slots.buffers[2]->Play(kPlayOnce));
}

TEST_F(SdlSoundTest, AFailedReopenKeepsAskingForAReset) {
    std::optional<ScopedEnv> driver;
    driver.emplace("SDL_AUDIODRIVER", "disk");
    std::optional<ScopedEnv> output;
    output.emplace("SDL_DISKAUDIOFILE", "/dev/full");
    SoundSlots slots = sdlSlots();
    slots.initSound();
    ASSERT_NE(waitUntilRefused([&] { slots.buffers[0]->Play(kPlayOnce); }), "");

    driver.emplace("SDL_AUDIODRIVER", "nosuchdriver"); // nothing to reopen
    EXPECT_NE(errorOf([&] { slots.reset(); }).find("nosuchdriver"), std::string::npos);
    EXPECT_NE(errorOf([&] { slots.buffers[0]->Play(kPlayOnce); }).find("Press reset"),
              std::string::npos);
    EXPECT_NO_THROW(slots.buffers[0]->Stop());

    driver.emplace("SDL_AUDIODRIVER", "dummy");
    ASSERT_NO_THROW(slots.reset());
    EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{1, 1, 3, 1}));
    EXPECT_NO_THROW(slots.buffers[0]->Play(kPlayOnce));
}

} // namespace
} // namespace tarmel::audio
