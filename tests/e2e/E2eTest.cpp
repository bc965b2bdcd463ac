// The real program as a user meets it, its sound compared with what synth::generate computes. MIDI
// notes come from output ports on a private JACK server with the dummy back end (no sound card).
#include "Support.h"

#include <RtMidi.h>
#include <map>
#include <tuple>

namespace tarmel::test {
namespace {

// Letters play the second synth::generate computes at their pitch. With no MIDI system on the
// machine, one line on standard error says so.
TEST(E2e, LettersPlayTheSynthesisedSecondAtTheirPitch) {
    Session s("e2e");
    for (const auto& [key, pitch] : std::vector<std::pair<std::string, int16_t>>{
             {"d", 110}, {"p", 277}, {"z", 65}, {"a", 98}, {"k", 146}}) {
        const std::size_t before = s.samples();
        s.xdo("windowfocus --sync " + s.main + " key --delay 0 " + key);
        EXPECT_EQ(s.secondAfter(before, synthesised(pitch)), synthesised(pitch)) << "key " << key;
    }
    EXPECT_EQ(s.sh("grep -c MIDI " + (s.folder / "tarmel.log").string()), "1\n") << s.log("");
}

TEST(E2eStart, WithoutASoundDeviceExplainsAndEndsWithStatusOne) {
    Session s("no-device", "SDL_AUDIODRIVER=no-such-driver", "Tarmel");
    EXPECT_EQ(s.find(std::string(ui::mainWindowLayout().caption)), "") << "a main window";
    s.xdo("windowfocus --sync " + s.main + " key Return");
    EXPECT_EQ(s.exitStatus(15s), std::optional(1));
}

// A JACK server of our own, named so that no other JACK user meets it (the program started
// meanwhile inherits the name), with MIDI output ports to play notes on: "keys:keys" from the
// start, others added. Its period is JACK's default 1024 frames (23 ms): with shorter ones a busy
// machine now and then fails to run a non-realtime client within the cycle, and JACK drops that
// cycle's notes. The name is fixed: JACK's registry holds eight servers and frees a dead server's
// entry only for one of the same name. The tests that start servers run one at a time.
#define JACK_SERVER "tarmel-test-e2e"
#define JACK_PID_FILE "/tmp/" JACK_SERVER ".pid"
struct Jack {
    Jack() {
        setenv("JACK_DEFAULT_SERVER", JACK_SERVER, 1);
        if (std::system("bash " TARMEL_PRIVATE_JACK " start " JACK_SERVER " " JACK_PID_FILE) != 0) {
            throw std::runtime_error("no JACK server");
        }
        addSender("keys");
    }
    ~Jack() {
        senders_.clear();
        std::system("bash " TARMEL_PRIVATE_JACK " stop " JACK_PID_FILE);
        unsetenv("JACK_DEFAULT_SERVER");
    }
    // A client sender with the output port sender.
    void addSender(const std::string& sender) {
        senders_[sender] = std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, sender);
        senders_[sender]->openVirtualPort(sender);
    }
    // Whether the server runs and port is connected to a port of a client whose name holds to.
    static bool linked(const std::string& port, const std::string& to) {
        return Session::sh("jack_lsp -c '" + port + "' 2>/dev/null").find(to) != std::string::npos;
    }
    void note(int n, const std::string& sender = "keys") {
        std::vector<unsigned char> on{0x90, static_cast<unsigned char>(n), 100};
        senders_.at(sender)->sendMessage(&on);
    }

    std::map<std::string, std::unique_ptr<RtMidiOut>> senders_; // once the server runs
};

// Every keyboard, one there before the program starts and one after, reaches the one port
// "Tarmel:Tarmel" of the one client "Tarmel"; a note from any of them is heard exactly as the
// letter key of its pitch. A burst of 50 notes in 100 ms, several in one JACK cycle, is played
// note by note. (That a burst ends on its last sound is checked with the Sound window.)
TEST(Midi, NotesFromEverySenderPlayAsTheirLetterKeysAndNoNoteOfABurstIsLost) {
    Jack jack;
    jack.addSender("pads");
    Session s("midi");
    jack.addSender("drums");
    ASSERT_TRUE(waitUntil(
        [] { return Jack::linked("pads:pads", "Tarmel") && Jack::linked("drums:drums", "Tarmel"); },
        15s))
        << Session::sh("jack_lsp -c 2>&1");
    // Every port of the program's: one input. Notes from the senders in turn.
    EXPECT_EQ(Session::sh("jack_lsp 2>/dev/null | grep -i tarmel"), "Tarmel:Tarmel\n");
    for (const auto& [note, pitch, sender] : std::vector<std::tuple<int, int16_t, std::string>>{
             {45, 110, "keys"}, {36, 65, "pads"}, {61, 277, "drums"}, {50, 147, "keys"}}) {
        const std::size_t before = s.samples();
        jack.note(note, sender);
        EXPECT_EQ(s.secondAfter(before, synthesised(pitch)), synthesised(pitch)) << note;
    }
    const auto generated = [&] { return std::ranges::count(s.log("tarmel: generation "), '\n'); };
    const long before = generated();
    for (int i = 0; i < 50; ++i) { // no two in a row alike: each is computed
        jack.note(36 + i * 5 % 47);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_TRUE(waitUntil([&] { return generated() == before + 50; }, 30s))
        << generated() - before << " of 50 notes played";
    EXPECT_FALSE(s.exitStatus()) << "ended";
}

} // namespace
} // namespace tarmel::test
