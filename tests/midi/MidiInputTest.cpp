// The MIDI input's watcher over a port layer made for the test (the ALSA sequencer needs a kernel
// this machine may not have): which outputs --midi lets in, outputs announced later, and what the
// user is told. Then the real thing on the ALSA sequencer where the kernel has one; on JACK the
// real program is played through it in the end-to-end tests.
#include "midi/MidiInput.h"

#include <RtMidi.h>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <tuple>
#include <unistd.h>

namespace tarmel::midi {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

// A MIDI system whose outputs the test sets, announcing each change as a port does, and what the
// watcher did there: the outputs it connected (how often each), the times it listed the outputs,
// and the lines it told the user.
struct FakeSystem {
    // The port the watcher opens on the system, which outlives the watcher.
    struct Port : MidiInput::Port {
        explicit Port(FakeSystem& system) : s(system) {}
        Names outputs() override {
            const std::lock_guard lock(s.mutex);
            ++s.listings;
            return s.present;
        }
        bool connect(const std::string& output) override {
            const std::lock_guard lock(s.mutex);
            return s.refuseOnce.erase(output) == 0 && ++s.connects[output] > 0;
        }
        FakeSystem& s;
    };
    // A watcher of this system that wants the outputs only, or of the one open opens.
    MidiInput watch(
        const Names& only, MidiInput::Opener open = nullptr,
        MidiInput::PitchHandler onPitch = [](int16_t) {}) {
        return {only, std::move(onPitch),
                [this](const std::string& line) {
                    const std::lock_guard lock(mutex);
                    notices.push_back(line);
                },
                open ? open : [this](MidiInput::Heard, MidiInput::Changed announce) {
                    const std::lock_guard lock(mutex);
                    changed = std::move(announce);
                    return std::make_unique<Port>(*this);
                }};
    }
    // Whether done came to hold (read under the system's lock) within ten seconds, a hang and
    // not a speed.
    bool until(const std::function<bool()>& done) {
        for (auto end = std::chrono::steady_clock::now() + 10s;; std::this_thread::sleep_for(5ms)) {
            const std::lock_guard lock(mutex);
            if (done() || std::chrono::steady_clock::now() > end) {
                return done();
            }
        }
    }
    // Announces outputs now; returns the listings made before.
    int set(Names outputs) {
        std::unique_lock lock(mutex);
        present = std::move(outputs);
        const int before = listings;
        lock.unlock();
        changed(); // set once, when the watcher opened the port
        return before;
    }

    std::mutex mutex;
    Names present;
    std::set<std::string> refuseOnce;
    std::map<std::string, int> connects;
    int listings = 0;
    Names notices;
    MidiInput::Changed changed;
};

const std::string kKeys = "keys:keys 128:0";
const std::string kDrums = "USB Drums:Drums MIDI 1 129:0";

// The outputs connected for the parts of their names asked for, and what the user is told; also
// when there is no MIDI system, or it refuses the port.
TEST(MidiInput, ConnectsTheOutputsWhoseNamesHoldAnAskedForPartOrSaysWhyNot) {
    // The parts asked for, the outputs connected (how often each), the notices, the port opener.
    // Filtering by a part of the name is also seen in the next test, with several parts.
    using Case = std::tuple<Names, std::map<std::string, int>, Names, MidiInput::Opener>;
    const std::vector<Case> cases{
        {{}, {{kKeys, 1}, {kDrums, 1}}, {}, nullptr},
        {{"Keys", "drums"},
         {},
         {"no MIDI output named \"Keys\", \"drums\" yet; Tarmel connects to it when it appears"},
         nullptr},
        {{},
         {},
         {"no MIDI input: no JACK server runs and there is no ALSA sequencer (/dev/snd/seq); the "
          "letter keys play as always"},
         [](auto, auto) { return nullptr; }},
        {{},
         {},
         {"no MIDI input: the JACK server refused the input port; the letter keys play as always"},
         [](auto, auto) -> std::unique_ptr<MidiInput::Port> {
             throw std::runtime_error("the JACK server refused the input port");
         }},
    };
    for (const auto& [only, connected, notices, open] : cases) {
        const auto want = std::tie(connected, notices);
        FakeSystem system;
        system.present = {kKeys, kDrums};
        {
            const MidiInput input = system.watch(only, open);
            system.until([&] { return std::tie(system.connects, system.notices) == want; });
        } // the watcher has ended: nothing more is connected or said
        EXPECT_EQ(std::tie(system.connects, system.notices), want);
    }
}

// Outputs announced later are connected, once each while they stay, again when they come back; a
// refused connection is tried again without an announcement.
TEST(MidiInput, ConnectsOutputsAnnouncedLaterAndAgainWhenTheyComeBack) {
    FakeSystem system;
    system.present = {kKeys};
    system.refuseOnce = {kDrums};
    const MidiInput input = system.watch({"pads", "Drums"});
    ASSERT_TRUE(system.until([&] { return system.notices.size() == 1; }));
    const std::string pads = "pads:pads 130:0";
    system.set({kKeys, pads});
    EXPECT_TRUE(system.until([&] { return system.connects[pads] == 1; }));
    const int before = system.set({kKeys});
    ASSERT_TRUE(system.until([&] { return system.listings > before; })) << "pads seen gone";
    system.set({kKeys, pads, kDrums});
    const std::map<std::string, int> want{{pads, 2}, {kDrums, 1}};
    system.until([&] { return system.connects == want; });
    EXPECT_EQ(system.connects, want);
    EXPECT_EQ(system.notices.size(), 1U);
}

// The pitches heard from senders "drums" and "keys" that start after an input that wants "keys":
// notes go out from both until one arrives, so nothing depends on when the connection is made.
// Note 69 (A4, 440 Hz) from keys is heard, nothing of note 57 (220 Hz) from drums.
TEST(MidiInputOn, AlsaConnectsTheWantedSenderAnnouncedLater) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
    }
    // JACK is sent to a server that does not run.
    setenv("JACK_DEFAULT_SERVER", ("tarmel-none-" + std::to_string(getpid())).c_str(), 1);
    std::set<int16_t> pitches;
    FakeSystem said; // only what the watcher says, and the pitches under its lock
    const MidiInput input = said.watch({"keys"}, MidiInput::openSystemPort, [&](int16_t pitch) {
        const std::lock_guard lock(said.mutex);
        pitches.insert(pitch);
    });
    EXPECT_TRUE(said.until([&] { return said.notices.size() == 1; })) << "the port is not open";
    std::map<std::string, std::unique_ptr<RtMidiOut>> senders;
    for (const std::string name : {"drums", "keys"}) {
        senders[name] = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, name);
        senders[name]->openVirtualPort(name);
    }
    EXPECT_TRUE(said.until([&] {
        for (auto [name, note] : {std::pair{"drums", 57}, std::pair{"keys", 69}}) {
            std::vector<unsigned char> on{0x90, static_cast<unsigned char>(note), 100};
            senders[name]->sendMessage(&on);
        }
        return !pitches.empty();
    }));
    const std::lock_guard lock(said.mutex);
    EXPECT_EQ(pitches, std::set<int16_t>{440});
    unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace
} // namespace tarmel::midi
