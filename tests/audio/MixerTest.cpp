// The mixer rendered block by block with scripted writes, starts and stops in between.
#include "audio/Mixer.h"

#include "AudioTestSupport.h"

#include <atomic>
#include <gtest/gtest.h>
#include <string>
#include <thread>

namespace tarmel::audio {
namespace {

using test::errorOf;
using test::joined;
using test::silence;
using test::testSignal;

constexpr int kBlock = 512;

// Renders frames samples in blocks of block frames, as the audio callback would.
std::vector<int16_t> render(Mixer& mixer, int frames, int block = kBlock) {
    std::vector<int16_t> out(frames, 7777);
    for (int done = 0; done < frames; done += block) {
        mixer.render(out.data() + done, std::min(block, frames - done));
    }
    return out;
}

std::vector<int16_t> slice(const std::vector<int16_t>& s, int from, int to) {
    return {s.begin() + from, s.begin() + to};
}

class MixerTest : public ::testing::Test {
protected:
    void writeWhole(int voice, const std::vector<int16_t>& samples) {
        mixer.write(voice, 0, static_cast<int32_t>(kBufferBytes), samples.data());
    }
    Mixer mixer;
};

TEST_F(MixerTest, IsSilentWithoutVoicesAndWithWrittenButUnstartedVoices) {
    EXPECT_EQ(render(mixer, 2000), silence(2000));
    const int v = mixer.addVoice();
    writeWhole(v, testSignal(1));
    EXPECT_EQ(render(mixer, 2000), silence(2000));
    EXPECT_FALSE(mixer.isSounding(v));
}

TEST_F(MixerTest, WriteThenPlaySoundsTheSecondOnceThenFallsSilent) {
    const int v = mixer.addVoice();
    const auto a = testSignal(1);
    writeWhole(v, a);
    mixer.play(v);
    EXPECT_TRUE(mixer.isSounding(v));
    EXPECT_EQ(render(mixer, kBufferFrames + 3000), joined(a, silence(3000)));
    EXPECT_FALSE(mixer.isSounding(v));
}

TEST_F(MixerTest, BlockSizeDoesNotChangeTheOutput) {
    const auto a = testSignal(2);
    for (int block : {1, 255, 256, 257, 441, 512, 4096}) {
        Mixer m;
        const int v = m.addVoice();
        m.write(v, 0, static_cast<int32_t>(kBufferBytes), a.data());
        m.play(v);
        EXPECT_EQ(render(m, kBufferFrames + 100, block), joined(a, silence(100)))
            << "block " << block;
    }
}

TEST_F(MixerTest, PlayOnASoundingVoiceDoesNotRestartIt) {
    const int v = mixer.addVoice();
    const auto a = testSignal(1);
    writeWhole(v, a);
    mixer.play(v);
    auto out = render(mixer, 10 * kBlock);
    mixer.play(v);
    out = joined(out, render(mixer, kBufferFrames - 10 * kBlock + 1000));
    EXPECT_EQ(out, joined(a, silence(1000)));
}

TEST_F(MixerTest, RewriteWhileSoundingKeepsThePositionGoing) {
    const int v = mixer.addVoice();
    const auto a = testSignal(1);
    const auto b = testSignal(2);
    writeWhole(v, a);
    mixer.play(v);
    const int before = 7 * kBlock;
    auto out = render(mixer, before);
    writeWhole(v, b);
    mixer.play(v); // what a generation does: write, then play again
    out = joined(out, render(mixer, kBufferFrames - before + 500));
    auto expected = joined(slice(a, 0, before), slice(b, before, kBufferFrames));
    EXPECT_EQ(out, joined(expected, silence(500)));
}

TEST_F(MixerTest, PartialWriteReplacesOnlyItsSamples) {
    const int v = mixer.addVoice();
    auto a = testSignal(1);
    const auto b = testSignal(2);
    writeWhole(v, a);
    mixer.write(v, 200, 300, b.data()); // samples 100..249
    std::copy(b.begin(), b.begin() + 150, a.begin() + 100);
    mixer.play(v);
    EXPECT_EQ(render(mixer, kBufferFrames), a);
}

TEST_F(MixerTest, StopSilencesAtOnceAndPlayThenStartsFromTheBeginning) {
    const int v = mixer.addVoice();
    const auto a = testSignal(3);
    writeWhole(v, a);
    mixer.play(v);
    auto out = render(mixer, 3 * kBlock);
    mixer.stop(v);
    EXPECT_FALSE(mixer.isSounding(v));
    out = joined(out, render(mixer, 2 * kBlock));
    EXPECT_EQ(out, joined(slice(a, 0, 3 * kBlock), silence(2 * kBlock)));

    mixer.play(v);
    EXPECT_EQ(render(mixer, kBufferFrames), a);
}

TEST_F(MixerTest, StopAndPlayBeforeTheNextBlockRestarts) {
    const int v = mixer.addVoice();
    const auto a = testSignal(3);
    writeWhole(v, a);
    mixer.play(v);
    auto out = render(mixer, 5 * kBlock);
    mixer.stop(v);
    mixer.play(v);
    out = joined(out, render(mixer, kBufferFrames));
    EXPECT_EQ(out, joined(slice(a, 0, 5 * kBlock), a));
}

TEST_F(MixerTest, PlayAfterTheEndPlaysTheSecondAgain) {
    const int v = mixer.addVoice();
    const auto a = testSignal(4);
    writeWhole(v, a);
    mixer.play(v);
    auto out = render(mixer, kBufferFrames + 1000);
    mixer.play(v);
    out = joined(out, render(mixer, kBufferFrames + 1000));
    EXPECT_EQ(out, joined(joined(a, silence(1000)), joined(a, silence(1000))));
}

TEST_F(MixerTest, ThreeVoicesSoundInParallelAndAreSummed) {
    const int v1 = mixer.addVoice();
    const int v2 = mixer.addVoice();
    const int v3 = mixer.addVoice();
    const auto a = testSignal(1);
    const auto b = testSignal(2);
    const auto c = testSignal(3);
    writeWhole(v1, a);
    writeWhole(v2, b);
    writeWhole(v3, c);
    mixer.play(v1);
    auto out = render(mixer, 2 * kBlock);
    mixer.play(v3); // v2 stays silent until later
    out = joined(out, render(mixer, 4 * kBlock));
    mixer.play(v2);
    out = joined(out, render(mixer, 2 * kBufferFrames));

    std::vector<int32_t> expected(out.size(), 0);
    auto add = [&](const std::vector<int16_t>& s, int offset) {
        for (int i = 0; i < kBufferFrames; ++i) {
            expected[offset + i] += s[i];
        }
    };
    add(a, 0);
    add(c, 2 * kBlock);
    add(b, 6 * kBlock);
    EXPECT_EQ(out, std::vector<int16_t>(expected.begin(), expected.end()));
}

TEST_F(MixerTest, SumsBeyondSixteenBitsAreClamped) {
    const int v1 = mixer.addVoice();
    const int v2 = mixer.addVoice();
    std::vector<int16_t> loud(kBufferFrames);
    for (int i = 0; i < kBufferFrames; ++i) {
        loud[i] = static_cast<int16_t>(i % 2 == 0 ? 30000 : -30000);
    }
    std::vector<int16_t> quiet(kBufferFrames, 100);
    writeWhole(v1, loud);
    writeWhole(v2, loud);
    mixer.play(v1);
    mixer.play(v2);
    const auto both = render(mixer, 4);
    EXPECT_EQ(both, (std::vector<int16_t>{32767, -32768, 32767, -32768}));

    mixer.stop(v2);
    writeWhole(v2, quiet);
    mixer.play(v2);
    const auto mixed = render(mixer, 4);
    EXPECT_EQ(mixed, (std::vector<int16_t>{30100, -29900, 30100, -29900}));
}

TEST_F(MixerTest, ARemovedVoiceFallsSilentAndComesBackZeroed) {
    const int v = mixer.addVoice();
    writeWhole(v, testSignal(5));
    mixer.play(v);
    render(mixer, kBlock);
    mixer.removeVoice(v);
    EXPECT_EQ(mixer.voicesInUse(), 0);
    EXPECT_EQ(render(mixer, kBlock), silence(kBlock));

    const int again = mixer.addVoice();
    EXPECT_EQ(again, v);
    mixer.play(again);
    EXPECT_EQ(render(mixer, kBufferFrames), silence(kBufferFrames));
}

TEST_F(MixerTest, RunningOutOfVoicesIsASoundError) {
    for (int i = 0; i < Mixer::kMaxVoices; ++i) {
        mixer.addVoice();
    }
    EXPECT_EQ(mixer.voicesInUse(), Mixer::kMaxVoices);
    EXPECT_THROW(mixer.addVoice(), SoundError);
    mixer.removeVoice(4);
    EXPECT_EQ(mixer.addVoice(), 4);
}

TEST_F(MixerTest, UnknownVoicesAreRefused) {
    const auto a = testSignal(1);
    EXPECT_THROW(mixer.play(0), SoundError);
    EXPECT_THROW(mixer.write(-1, 0, 2, a.data()), SoundError);
    const int v = mixer.addVoice();
    mixer.removeVoice(v);
    EXPECT_THROW(mixer.stop(v), SoundError);
}

TEST_F(MixerTest, HandsASecondOverToARenderingThread) {
    const int v = mixer.addVoice();
    const auto a = testSignal(6);
    std::atomic<bool> done{false};
    std::vector<int16_t> heard; // from the first sample that is not silence on
    std::thread callback([&] {
        std::vector<int16_t> block(kBlock);
        while (!done.load()) {
            mixer.render(block.data(), kBlock);
            auto from = block.begin();
            if (heard.empty()) {
                from = std::find_if(block.begin(), block.end(), [](int16_t s) { return s != 0; });
            }
            heard.insert(heard.end(), from, block.end());
            std::this_thread::yield();
        }
        mixer.render(block.data(), kBlock);
        heard.insert(heard.end(), block.begin(), block.end());
    });
    writeWhole(v, a);
    mixer.play(v);
    while (mixer.isSounding(v)) {
        std::this_thread::yield();
    }
    done.store(true);
    callback.join();
    ASSERT_GE(heard.size(), a.size() + kBlock);
    EXPECT_EQ(slice(heard, 0, kBufferFrames), a);
    EXPECT_EQ(slice(heard, kBufferFrames, static_cast<int>(heard.size())),
              silence(static_cast<int>(heard.size()) - kBufferFrames));
}

TEST_F(MixerTest, WriteRangesAreCheckedAndNothingIsWrittenOnRefusal) {
    const int v = mixer.addVoice();
    const auto a = testSignal(1);
    auto write = [&](int32_t start, int32_t size, const int16_t* src) {
        return errorOf([&] { mixer.write(v, start, size, src); });
    };
    EXPECT_NE(write(-2, 2, a.data()).find("outside the buffer"), std::string::npos);
    EXPECT_NE(write(88202, 0, a.data()).find("outside the buffer"), std::string::npos);
    EXPECT_NE(write(3, 2, a.data()).find("must be even"), std::string::npos);
    EXPECT_NE(write(0, 5, a.data()).find("must be even"), std::string::npos);
    EXPECT_NE(write(0, -2, a.data()).find("negative"), std::string::npos);
    EXPECT_NE(write(2, 88200, a.data()).find("run past the end"), std::string::npos);
    EXPECT_NE(write(88198, 4, a.data()).find("run past the end"), std::string::npos);
    EXPECT_NE(write(0, 88200, nullptr).find("no source"), std::string::npos);

    mixer.play(v);
    EXPECT_EQ(render(mixer, kBufferFrames), silence(kBufferFrames));

    EXPECT_EQ(write(88198, 2, a.data()), "");
    EXPECT_EQ(write(88200, 0, a.data()), "");
    EXPECT_EQ(write(0, 88200, a.data()), "");
}

TEST(CallChecks, FlagsOtherThanZeroAreRefused) {
    const auto a = testSignal(1);
    EXPECT_NO_THROW(checkWrite(0, 88200, a.data(), 0));
    EXPECT_THROW(checkWrite(0, 88200, a.data(), 1), SoundError);
    EXPECT_NO_THROW(checkPlayFlags(kPlayOnce));
    try {
        checkPlayFlags(1);
        ADD_FAILURE() << "looping play accepted";
    } catch (const SoundError& e) {
        EXPECT_NE(std::string(e.what()).find("only 0 (play once)"), std::string::npos);
    }
}

} // namespace
} // namespace tarmel::audio
