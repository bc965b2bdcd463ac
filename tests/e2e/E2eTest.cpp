// The real program as a user meets it, its sound compared with what synth::generate computes. MIDI
// notes come from output ports on a private JACK server with the dummy back end (no sound card),
// and the sound goes to that server once, read back by its recorder.
#include "Support.h"
#include "files/SoundFile.h"

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
struct Jack {
    Jack() {
        setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
        if (std::system(("bash " TARMEL_PRIVATE_JACK " start " + name_ + " " + pidFile_).c_str()) !=
            0) {
            throw std::runtime_error("no JACK server");
        }
        addSender("keys");
    }
    ~Jack() {
        senders_.clear();
        std::system(("bash " TARMEL_PRIVATE_JACK " stop " + pidFile_).c_str());
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

    const std::string name_ = "tarmel-test-e2e";
    const std::string pidFile_ = "/tmp/" + name_ + ".pid";
    std::map<std::string, std::unique_ptr<RtMidiOut>> senders_; // once the server runs
};

// Every keyboard, one there before the program starts and one after, reaches the one port
// "Tarmel:Tarmel" of the one client "Tarmel"; a note from any of them is heard exactly as the
// letter key of its pitch. A burst of 50 notes in 100 ms is played in order, each once, and the
// last is what sounds at the end.
TEST(Midi, NotesFromEverySenderPlayAsTheirLetterKeysAndABurstEndsOnItsLastNote) {
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
    for (int i = 0; i < 50; ++i) { // no two in a row alike: each is computed; the last at 880 Hz
        jack.note(i < 49 ? 36 + i * 5 % 47 : 81);
        std::this_thread::sleep_for(2ms);
    }
    EXPECT_TRUE(waitUntil([&] { return generated() == before + 50; }, 30s))
        << generated() - before << " of 50 notes played";
    // The voice goes on from where it was, so only its end is the last note's alone: the last
    // 20000 sounding samples, once a silent second follows them.
    ASSERT_TRUE(waitUntil(
        [&] { return std::ranges::none_of(s.read(s.samples() - 44100), sounding); }, 30s, 50ms));
    const Samples heard = s.read();
    const Samples last = synthesised(880);
    const auto end = [](const Samples& v) {
        return std::find_if(v.rbegin(), v.rend(), sounding).base();
    };
    EXPECT_TRUE(std::equal(end(last) - 20000, end(last), end(heard) - 20000));
    EXPECT_FALSE(s.exitStatus()) << "ended";
}

// On a JACK server without PipeWire, Debian's SDL (which has no JACK driver) reaches JACK through
// ALSA's JACK plugin, set up as the README says: a client "Tarmel sound" whose two ports a
// recorder on the server (jack_rec) reads. Both carry the mono sound exactly: 16-bit samples as
// JACK's floats and back.
TEST(JackSound, TheSoundReachesJackPortsThatARecorderReads) {
    Jack jack;
    const fs::path home =
        mkdtemp((fs::temp_directory_path() / "tarmel-home-XXXXXX").string().data());
    std::ofstream(home / ".asoundrc") << "pcm.tarmel { type plug slave.pcm { type jack name "
                                         "\"Tarmel sound\" playback_ports { 0 system:playback_1 "
                                         "1 system:playback_2 } } }\n";
    Session s("jack-sound", "SDL_AUDIODRIVER=alsa AUDIODEV=tarmel HOME=" + home.string());
    ASSERT_NE(Session::sh("jack_lsp 2>/dev/null").find("Tarmel sound:out_001"), std::string::npos)
        << Session::sh("jack_lsp 2>&1") << s.log("");
    const fs::path recording = home / "recording.wav";
    const std::string recorder = Session::background(
        "jack_rec -f " + recording.string() +
        " -d 6 -b 16 \"Tarmel sound:out_000\" \"Tarmel sound:out_001\" >/dev/null 2>&1");
    ASSERT_TRUE(waitUntil([] { return Jack::linked("Tarmel sound:out_001", "jackrec"); }, 15s))
        << Session::sh("jack_lsp -c 2>&1");
    s.xdo("windowfocus --sync " + s.main + " key --delay 0 d");
    const std::string running =
        "kill -0 " + std::to_string(std::stoi(recorder)) + " 2>/dev/null && echo running";
    ASSERT_TRUE(waitUntil([&] { return Session::sh(running).empty(); }, 30s));
    Samples both; // the second on the two channels
    for (const int16_t sample : synthesised(110)) {
        both.insert(both.end(), {sample, sample});
    }
    EXPECT_EQ(lineUp(files::readSoundFile(recording), both), both);
    fs::remove_all(home);
}

} // namespace
} // namespace tarmel::test
