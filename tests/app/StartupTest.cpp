// Start-up: the load step's values, the sound set-up it makes, InitSound run again, and the
// message when no sound device can be opened.
#include "app/Startup.h"

#include "AppTestSupport.h"

namespace tarmel::app::test {
namespace {

TEST_F(MainWindowTest, LoadStepSetsPitchesSlidersEnvelopeAndOutputs) {
    EXPECT_EQ(window->pitch1(), 98);
    EXPECT_EQ(window->pitch2(), 98);
    EXPECT_EQ(window->pitch3(), 98);
    EXPECT_EQ(slider("VScroll1")->value(), 98);
    EXPECT_EQ(slider("VScroll2")->value(), 0);
    EXPECT_EQ(slider("VScroll3")->value(), 0);
    EXPECT_EQ(bar("Sliderattack")->value(), 0);
    for (double out : window->synthState().modOut) {
        EXPECT_EQ(out, 1.0);
    }
    // The slider reports the load step's move of VScroll1, so the read-outs already show it.
    EXPECT_EQ(readouts(), (std::vector<QString>{"98", "98", "98"}));
}

// A window whose load step has not run yet.
class StartupTest : public ::testing::Test {
protected:
    std::shared_ptr<audio::SoundRecord> record = std::make_shared<audio::SoundRecord>();
    Frmtarmel window{[record = record] { return audio::makeRecordingSoundSystem(record); }};
};

TEST_F(StartupTest, LoadOpensOneDeviceAndThreeSilentBuffers) {
    window.Form_Load();
    std::vector<Kind> kinds;
    for (const SoundCall& c : record->calls) {
        kinds.push_back(c.kind);
    }
    EXPECT_EQ(kinds, (std::vector<Kind>{Kind::CreateDevice, Kind::CreateBuffer, Kind::CreateBuffer,
                                        Kind::CreateBuffer}));
    EXPECT_EQ(record->systemsAlive, 1);
    EXPECT_EQ(record->devicesAlive, 1);
    EXPECT_EQ(record->buffersAlive, 3);
}

TEST_F(StartupTest, InitSoundThreeTimesLeavesOneDeviceAndThreeBuffers) {
    window.Form_Load();
    window.InitSound();
    window.InitSound();
    EXPECT_EQ(record->callsOf(Kind::CreateDevice).size(), 3U);
    EXPECT_EQ(record->callsOf(Kind::CreateBuffer).size(), 9U);
    EXPECT_EQ(record->systemsAlive, 1);
    EXPECT_EQ(record->devicesAlive, 1);
    EXPECT_EQ(record->buffersAlive, 3);
    EXPECT_TRUE(record->callsOf(Kind::Write).empty());
    EXPECT_TRUE(record->callsOf(Kind::Play).empty());
}

TEST_F(StartupTest, WithoutASoundDeviceStartUpExplainsWhyAndFails) {
    record->failOn = Kind::CreateDevice;
    std::vector<QString> shown;
    EXPECT_FALSE(startUp(window, [&](const QString& m) { shown.push_back(m); }));
    ASSERT_EQ(shown.size(), 1U);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("no sound device could be opened")));
    // The sound layer's own reason is part of the message.
    EXPECT_TRUE(shown[0].contains(QStringLiteral("opening the sound device failed")));
}

TEST_F(StartupTest, AFailingBufferAlsoStopsStartUp) {
    record->failOn = Kind::CreateBuffer;
    bool explained = false;
    EXPECT_FALSE(startUp(window, [&](const QString&) { explained = true; }));
    EXPECT_TRUE(explained);
}

TEST_F(StartupTest, AWorkingDeviceStartsWithoutMessage) {
    bool explained = false;
    EXPECT_TRUE(startUp(window, [&](const QString&) { explained = true; }));
    EXPECT_FALSE(explained);
    EXPECT_EQ(record->buffersAlive, 3);
}

} // namespace
} // namespace tarmel::app::test
