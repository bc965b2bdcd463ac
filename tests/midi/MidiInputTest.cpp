// The MIDI input's watcher over a port layer made for the test (the ALSA sequencer needs a kernel
// this machine may not have): which outputs --midi lets in, outputs announced later, and what the
// user is told. Then the real thing on a private JACK server with the dummy back end, and on the
// ALSA sequencer where the kernel has one.
#include "midi/MidiInput.h"

#include <RtMidi.h>
#include <chrono>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <set>
#include <thread>
#include <unistd.h>

namespace tarmel::midi {
namespace {

using namespace std::chrono_literals;
using Names = std::vector<std::string>;

// Waits up to ten seconds (a hang, not a speed) for done.
bool waitFor(const std::function<bool()>& done) {
    for (auto end = std::chrono::steady_clock::now() + 10s; std::chrono::steady_clock::now() < end;
         std::this_thread::sleep_for(5ms)) {
        if (done()) {
            return true;
        }
    }
    return done();
}

// What the watcher did on the test's MIDI system: the outputs it connected (how often each),
// the times it listed the outputs, and the lines it told the user.
struct Seen {
    std::map<std::string, int> connects;
    int listings = 0;
    Names notices;
};

// A MIDI system whose outputs the test sets, announcing each change as a port does.
struct FakeSystem : MidiInput::Port {
    Names outputs() override {
        const std::lock_guard lock(mutex);
        ++seen.listings;
        return present;
    }
    bool connect(const std::string& output) override {
        const std::lock_guard lock(mutex);
        return refuseOnce.erase(output) == 0 && ++seen.connects[output] > 0;
    }
    // The watcher opens this system (it must outlive the watcher; the port given is a stand-in).
    MidiInput::Opener opener() {
        return [this](MidiInput::Heard, MidiInput::Changed announce) {
            const std::lock_guard lock(mutex);
            changed = std::move(announce);
            return std::make_unique<Forward>(*this);
        };
    }
    MidiInput::Notice notice() {
        return [this](const std::string& line) {
            const std::lock_guard lock(mutex);
            seen.notices.push_back(line);
        };
    }
    Seen now() {
        const std::lock_guard lock(mutex);
        return seen;
    }
    // Announces outputs now; returns the listings made before.
    int set(Names outputs) {
        std::unique_lock lock(mutex);
        present = std::move(outputs);
        const int before = seen.listings;
        const MidiInput::Changed announce = changed;
        lock.unlock();
        announce();
        return before;
    }

    struct Forward : MidiInput::Port {
        explicit Forward(FakeSystem& s) : system(s) {}
        Names outputs() override { return system.outputs(); }
        bool connect(const std::string& output) override { return system.connect(output); }
        FakeSystem& system;
    };
    std::mutex mutex;
    Names present;
    std::set<std::string> refuseOnce;
    Seen seen;
    MidiInput::Changed changed;
};

const std::string kKeys = "keys:keys 128:0";
const std::string kDrums = "USB Drums:Drums MIDI 1 129:0";

TEST(MidiInput, ConnectsTheOutputsWhoseNamesHoldAnAskedForPartAndNoOthers) {
    struct Case {
        Names only;
        std::map<std::string, int> connected;
        Names notices;
    };
    const std::vector<Case> cases{
        {{}, {{kKeys, 1}, {kDrums, 1}}, {}},
        {{"keys"}, {{kKeys, 1}}, {}},
        {{"Drums MIDI", "keys"}, {{kKeys, 1}, {kDrums, 1}}, {}},
        {{"129:0"}, {{kDrums, 1}}, {}},
        {{"Keys", "drums"},
         {},
         {"no MIDI output named \"Keys\", \"drums\" yet; Tarmel connects to it when it appears"}},
    };
    for (const Case& c : cases) {
        FakeSystem system;
        system.present = {kKeys, kDrums};
        {
            const MidiInput input(
                c.only, [](int16_t) {}, system.notice(), system.opener());
            EXPECT_TRUE(waitFor([&] {
                const Seen s = system.now();
                return s.connects == c.connected && s.notices == c.notices && s.listings > 0;
            }));
        } // the watcher has ended: nothing more is connected or said
        EXPECT_EQ(system.seen.connects, c.connected) << testing::PrintToString(c.only);
        EXPECT_EQ(system.seen.notices, c.notices) << testing::PrintToString(c.only);
    }
}

// Outputs announced later are connected, once each while they stay, again when they come back; a
// refused connection is tried again without an announcement.
TEST(MidiInput, ConnectsOutputsAnnouncedLaterAndAgainWhenTheyComeBack) {
    FakeSystem system;
    system.present = {kKeys};
    system.refuseOnce = {kDrums};
    const MidiInput input(
        {"pads", "Drums"}, [](int16_t) {}, system.notice(), system.opener());
    ASSERT_TRUE(waitFor([&] { return system.now().notices.size() == 1; }));
    const std::string pads = "pads:pads 130:0";
    system.set({kKeys, pads});
    EXPECT_TRUE(waitFor([&] { return system.now().connects[pads] == 1; }));
    const int before = system.set({kKeys});
    ASSERT_TRUE(waitFor([&] { return system.now().listings > before; })) << "pads seen gone";
    system.set({kKeys, pads, kDrums});
    const std::map<std::string, int> want{{pads, 2}, {kDrums, 1}};
    EXPECT_TRUE(waitFor([&] { return system.now().connects == want; }));
    EXPECT_EQ(system.now().connects, want);
    EXPECT_EQ(system.now().notices.size(), 1U);
}

TEST(MidiInput, WithoutAMidiSystemOrWhenItRefusesSaysSoOnce) {
    const std::vector<std::pair<MidiInput::Opener, std::string>> cases{
        {[](auto, auto) { return nullptr; },
         "no MIDI input: no JACK server runs and there is no ALSA sequencer (/dev/snd/seq); the "
         "letter keys play as always"},
        {[](auto, auto) -> std::unique_ptr<MidiInput::Port> {
             throw std::runtime_error("the JACK server refused the input port");
         },
         "no MIDI input: the JACK server refused the input port; the letter keys play as always"}};
    for (const auto& [opener, line] : cases) {
        FakeSystem system;
        {
            const MidiInput input(
                {}, [](int16_t) {}, system.notice(), opener);
            EXPECT_TRUE(waitFor([&] { return !system.now().notices.empty(); }));
        }
        EXPECT_EQ(system.seen.notices, Names{line});
    }
}

// The pitches heard from senders "drums" and "keys" that start after an input that wants "keys":
// notes go out from both until one arrives, so nothing depends on when the connection is made.
std::set<int16_t> pitchesHeardFromLaterSenders(RtMidi::Api api) {
    std::mutex mutex;
    std::set<int16_t> pitches;
    FakeSystem said; // only what the watcher says
    const MidiInput input(
        {"keys"},
        [&](int16_t pitch) {
            const std::lock_guard lock(mutex);
            pitches.insert(pitch);
        },
        said.notice());
    EXPECT_TRUE(waitFor([&] { return said.now().notices.size() == 1; })) << "the port is not open";
    std::map<std::string, std::unique_ptr<RtMidiOut>> senders;
    for (const std::string name : {"drums", "keys"}) {
        senders[name] = std::make_unique<RtMidiOut>(api, name);
        senders[name]->openVirtualPort(name);
    }
    EXPECT_TRUE(waitFor([&] {
        std::vector<unsigned char> note{0x90, 57, 100};
        senders["drums"]->sendMessage(&note);
        note[1] = 69;
        senders["keys"]->sendMessage(&note);
        const std::lock_guard lock(mutex);
        return !pitches.empty();
    }));
    const std::lock_guard lock(mutex);
    return pitches;
}

// Note 69 (A4, 440 Hz) from keys, nothing of note 57 (220 Hz) from drums, which --midi leaves out.
const std::set<int16_t> kOnlyKeys{440};

// A private JACK server with the dummy back end. Its name is fixed: JACK keeps at most eight
// servers in its registry and frees a dead server's entry only for a server of the same name,
// so names made anew for every run would fill it. The tests that start servers run one at a time.
TEST(MidiInputOn, JackConnectsTheWantedSenderAnnouncedLater) {
    const std::string name = "tarmel-test-midi";
    const std::string pidFile = "/tmp/" + name + ".pid";
    setenv("JACK_DEFAULT_SERVER", name.c_str(), 1);
    ASSERT_EQ(std::system(("bash " TARMEL_PRIVATE_JACK " start " + name + " " + pidFile).c_str()),
              0)
        << "no JACK server";
    EXPECT_EQ(pitchesHeardFromLaterSenders(RtMidi::UNIX_JACK), kOnlyKeys);
    std::system(("bash " TARMEL_PRIVATE_JACK " stop " + pidFile).c_str());
    unsetenv("JACK_DEFAULT_SERVER");
}

// The ALSA sequencer where the kernel offers one (snd-seq, no sound card needed); JACK is sent
// to a server that does not run.
TEST(MidiInputOn, AlsaConnectsTheWantedSenderAnnouncedLater) {
    if (access("/dev/snd/seq", R_OK | W_OK) != 0) {
        GTEST_SKIP() << "no ALSA sequencer here (/dev/snd/seq)";
    }
    setenv("JACK_DEFAULT_SERVER", ("tarmel-none-" + std::to_string(getpid())).c_str(), 1);
    EXPECT_EQ(pitchesHeardFromLaterSenders(RtMidi::LINUX_ALSA), kOnlyKeys);
    unsetenv("JACK_DEFAULT_SERVER");
}

} // namespace
} // namespace tarmel::midi
