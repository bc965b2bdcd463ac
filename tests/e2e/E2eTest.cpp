// The real program as a user meets it, its sound compared with what synth::generate computes. The
// main window's positions are written out here, not read from the layout table, so that a moved
// control fails.
#include "Support.h"

namespace tarmel::test {
namespace {

struct E2e : ::testing::Test {
    Session s{"e2e"};
};

// Prints and records, without requiring anything of it, how long each key takes from being sent
// (xdotool has returned) to the first block of its sound handed to the device. SDL hands over 256
// frames at a time (the program's setting), and the disk driver writes them, 5 whole ms apart
// (256 * 1000 / 44100), through a stdio buffer that reaches the file when the next block is
// written into a full buffer: the last block in the file went to the device one block period
// before it showed there, each earlier block one period before that.
TEST_F(E2e, LettersPlayTheSynthesisedSecondAtTheirPitch) {
    constexpr long kBlock = 256;
    constexpr double kPeriodMs = kBlock * 1000 / 44100;
    std::vector<double> ms;
    for (const auto& [key, pitch] : std::vector<std::pair<std::string, int16_t>>{
             {"d", 110}, {"p", 277}, {"z", 65}, {"a", 98}, {"k", 146}}) {
        s.xdo("windowfocus --sync " + s.main);
        const long before = static_cast<long>(s.samples());
        s.xdo("key --delay 0 " + key);
        const auto sent = Clock::now();
        Samples tail;
        waitUntil([&] { return std::ranges::any_of(tail = s.read(before), sounding); }, 15s, 1ms);
        const long first = before + (std::ranges::find_if(tail, sounding) - tail.begin());
        // The block with the first sound, and those after it in the file.
        const long blocks = (before + std::ssize(tail)) / kBlock - first / kBlock;
        ms.push_back(MsD(Clock::now() - sent).count() - static_cast<double>(blocks) * kPeriodMs);
        EXPECT_EQ(s.secondAfter(before, synthesised(pitch)), synthesised(pitch)) << "key " << key;
    }
    std::ranges::sort(ms);
    std::cout << "key sent to the first block handed to the device: median " << ms[2] << " ms, min "
              << ms[0] << ", max " << ms[4] << std::endl;
    RecordProperty("key_to_device_median_ms", std::to_string(ms[2]));
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

TEST_F(E2e, TerminateSignalEndsTheProgram) {
    ASSERT_EQ(kill(s.pid, SIGTERM), 0);
    EXPECT_TRUE(s.exitStatus(5s));
}

TEST(E2eStart, WithoutASoundDeviceExplainsAndEndsWithStatusOne) {
    Session s("no-device", "SDL_AUDIODRIVER=no-such-driver", "Tarmel");
    EXPECT_EQ(s.find(std::string(ui::mainWindowLayout().caption)), "") << "a main window";
    s.xdo("windowfocus --sync " + s.main + " key Return");
    EXPECT_EQ(s.exitStatus(15s), std::optional(1));
}

} // namespace
} // namespace tarmel::test
