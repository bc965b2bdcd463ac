// The real program as a user meets it, its sound compared with what synth::generate computes. The
// main window's positions are written out here, not read from the layout table, so that a moved
// control fails.
#include "Support.h"

namespace tarmel::test {
namespace {

struct E2e : ::testing::Test {
    Session s{"e2e"};
};

// Letters play; how long each takes from being sent (xdotool has returned) to the first block of
// its sound handed to the device is printed and recorded, not required. With no MIDI system on the
// machine, one line on standard error says so.
TEST_F(E2e, LettersPlayTheSynthesisedSecondAtTheirPitch) {
    std::vector<double> ms;
    for (const auto& [key, pitch] : std::vector<std::pair<std::string, int16_t>>{
             {"d", 110}, {"p", 277}, {"z", 65}, {"a", 98}, {"k", 146}}) {
        s.xdo("windowfocus --sync " + s.main);
        const std::size_t before = s.samples();
        s.xdo("key --delay 0 " + key);
        ms.push_back(s.msToFirstBlock(before, Clock::now()));
        EXPECT_EQ(s.secondAfter(before, synthesised(pitch)), synthesised(pitch)) << "key " << key;
    }
    reportMedian("key_to_device_ms", ms);
    EXPECT_EQ(s.sh("grep -c MIDI " + (s.folder / "tarmel.log").string()), "1\n") << s.log("");
}

TEST_F(E2e, ModulatorOfOscillatorTwoShapesTheSoundOfPlayBoxTwo) {
    s.click(s.main, 9000, 2280); // "Osc2"
    const ui::TwipRect& box = ui::oscillatorWindowLayout(2).control("ChkFm(1)").at;
    s.click(s.find("Oscillator2", 15s), box.left, box.top); // its modulator "2"
    s.click(s.main, 6480, 3480);                            // play box 2 on
    s.click(s.main, 5760, 3480);                            // play box 1 off
    synth::Parameters p;
    p.modulator(2, 1) = {true, 2, 2};
    EXPECT_EQ(s.play("k", synthesised(146, p, 2)), synthesised(146, p, 2));
}

TEST(E2eStart, WithoutASoundDeviceExplainsAndEndsWithStatusOne) {
    Session s("no-device", "SDL_AUDIODRIVER=no-such-driver", "Tarmel");
    EXPECT_EQ(s.find(std::string(ui::mainWindowLayout().caption)), "") << "a main window";
    s.xdo("windowfocus --sync " + s.main + " key Return");
    EXPECT_EQ(s.exitStatus(15s), std::optional(1));
}

} // namespace
} // namespace tarmel::test
