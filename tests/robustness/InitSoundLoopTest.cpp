// InitSound again and again on the real SDL sound layer: one device and three buffers stay held,
// the sound still comes out exactly, and nothing is left behind when the window goes (the
// sanitizer build checks this process for leaks when it ends).
#include "SdlTestSupport.h"
#include "app/Frmtarmel.h"
#include "audio/SdlSound.h"

#include <QPushButton>
#include <QTest>
#include <SDL.h>
#include <gtest/gtest.h>

namespace tarmel::app {
namespace {

using audio::sdlSoundCounts;
using audio::SdlSoundCounts;
using audio::test::ScopedEnv;
using audio::test::TempDir;

constexpr int kCalls = 10000;

TEST(InitSoundLoop, TenThousandCallsHoldOneDeviceAndThreeBuffersAndStillPlay) {
    TempDir dir;
    const auto file = dir / "sound.raw";
    ScopedEnv driver("SDL_AUDIODRIVER", "disk");
    ScopedEnv output("SDL_DISKAUDIOFILE", file.string());
    std::vector<QString> errors;
    {
        Frmtarmel window(&audio::makeSdlSoundSystem);
        Prompts prompts;
        prompts.showError = [&](const QString& message) { errors.push_back(message); };
        prompts.askExit = [] { return false; };
        prompts.endProgram = [](int) {};
        window.setPrompts(prompts);
        window.Form_Load();
        for (int i = 0; i < kCalls; ++i) {
            window.InitSound();
        }
        EXPECT_EQ(sdlSoundCounts(), (SdlSoundCounts{1, 1, 3, 1}));

        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("Play")), Qt::LeftButton);
        ASSERT_TRUE(errors.empty()) << errors.front().toStdString();
        const std::vector<int16_t> expected(window.waves()[0].begin(),
                                            window.waves()[0].begin() + audio::kBufferFrames);
        ASSERT_TRUE(audio::test::waitForSignal(file, audio::kBufferFrames));
        const auto samples = audio::test::readSamples(file);
        const int start = audio::test::signalStart(samples);
        // The second begins with silent samples of its own; the signal starts after them.
        const auto lead =
            std::find_if(expected.begin(), expected.end(), [](int16_t s) { return s != 0; }) -
            expected.begin();
        ASSERT_GE(start, lead);
        const std::vector<int16_t> heard(samples.begin() + (start - lead),
                                         samples.begin() + (start - lead) + audio::kBufferFrames);
        EXPECT_EQ(heard, expected);
    }
    EXPECT_EQ(sdlSoundCounts(), SdlSoundCounts{});
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0U) << "SDL audio was not shut down";
}

} // namespace
} // namespace tarmel::app
