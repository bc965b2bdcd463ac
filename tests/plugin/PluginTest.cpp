// The plug-in in a host: sequences of notes and control changes against the reference rendering,
// sample for sample at 44100 Hz and in blocks of several sizes; eight voices and stealing; the
// silencing controllers; bad input; two instances at once; gain; other rates; state and presets
// through lilv.
#include "files/Settings.h"
#include "sound/Controls.h"
#include "synth/Synthesizer.h"
#include "tests/plugin/Host.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <limits>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tarmel::plugin::test {
namespace {

constexpr uint64_t kNever = std::numeric_limits<uint64_t>::max();

struct Played {
    uint64_t frame;
    int note;
    sound::Controls controls; // pitch 1 is set from the note
    uint64_t cut = kNever;    // where the voice is silenced or stolen
};

// What the plug-in must put out, computed without it: each note's second from the synth library's
// straightforward reference computation at 440 * 2^((note - 69) / 12) Hz rounded, mixed as heard,
// divided by 32768 and laid at its frame. The notes go in order, from state (left where the last
// one leaves it) and the controls before the first note: as in the program, a modulator box
// changed since the note before sets the fifteen outputs back to 1.
std::vector<float> expected(const std::vector<Played>& notes, uint64_t frames,
                            synth::SynthState& state, sound::Controls before = {}) {
    std::vector<float> out(frames, 0.0f);
    synth::Waves waves{};
    for (const Played& p : notes) {
        sound::Controls c = p.controls;
        for (std::size_t k = 0; k < c.modulators.size(); ++k) {
            if (c.modulators[k].on != before.modulators[k].on) {
                state.setFifteenOutputs();
            }
        }
        before = c;
        c.pitch1 = static_cast<int16_t>(std::lround(440.0 * std::pow(2.0, (p.note - 69) / 12.0)));
        synth::generateReference(sound::parametersOf(c), state, waves);
        const std::vector<int16_t> heard = synth::heardMix(waves, c.play);
        for (uint64_t i = 0; i < heard.size() && p.frame + i < std::min(frames, p.cut); ++i) {
            out[p.frame + i] += static_cast<float>(heard[i]) / 32768.0f;
        }
    }
    return out;
}

// Where got first differs from want, or "" when it does not.
std::string firstDifference(const std::vector<float>& got, const std::vector<float>& want) {
    const auto [g, w] = std::ranges::mismatch(got, want);
    return w == want.end() ? ""
                           : "frame " + std::to_string(w - want.begin()) + ": " +
                                 std::to_string(*g) + " instead of " + std::to_string(*w);
}

// A control change: the symbol, the value sent to the port, and the value the plug-in must use.
using Change = std::tuple<std::string, float, int>;
using Midi = std::vector<std::pair<uint64_t, std::vector<uint8_t>>>;
struct Note {
    uint64_t frame;
    int note;
    uint64_t cut = kNever;
};
struct Segment {
    std::vector<Change> changes; // made before the segment
    std::vector<Note> notes;     // frames from the start of the sequence
    uint64_t frames;
    Midi midi{}; // other messages
};
struct Sequence {
    std::string name;
    std::vector<Segment> segments;
};

// Block sizes in turn, and whether the host offers a worker (without one, run() computes).
const std::vector<std::pair<std::vector<uint32_t>, bool>> kBlockPatterns{
    {{64}, true}, {{1, 7, 512}, true}, {{4096}, true}, {{1000, 3, 257}, true}, {{300}, false}};

std::vector<Sequence> sequences() {
    // Eight notes at once; the ninth takes the voice that started first.
    const std::vector<Note> nine{{3, 50, 8000}, {4, 52}, {5, 54},  {6, 56},   {7, 58},
                                 {8, 60},       {9, 62}, {10, 64}, {8000, 70}};
    // Controller 123 (all notes off) on channel 5, then 120 (all sound off) on channel 1.
    const std::vector<Note> silenced{
        {100, 50, 30000}, {2100, 52, 30000}, {4100, 54, 30000}, {40000, 45, 60000}};
    const Midi silencers{{30000, {0xB4, 123, 0}}, {60000, {0xB0, 120, 0}}};
    return {
        {"ControlsBetweenNotes",
         {{{{"o1m1_on", 1, 1}, {"o1m1_mul", 3, 3}, {"o1m1_div", 4, 4}}, {{100, 60}}, 20000},
          {{{"play2", 1, 1}, {"offset2", 7, 7}, {"attack", 700, 700}, {"o2m3_on", 1, 1}},
           {{20005, 72}, {29000, 83}},
           60000},
          {{{"play3", 1, 1}, {"o2m3_div", 16, 16}}, {{80000, 0}}, 60000}}},
        // Modulator 3 ends a note at 440 Hz near 0 (a whole number of its cycles): cleared,
        // its output goes back to 1 as in the program, or the next note would be silent.
        {"ABoxClearedBetweenNotes",
         {{{{"o1m3_on", 1, 1}}, {{0, 69}}, 50000}, {{{"o1m3_on", 0, 0}}, {{50000, 69}}, 50000}}},
        {"TheNinthNoteStealsTheFirstOfEight",
         {{{{"o1m2_on", 1, 1}, {"play2", 1, 1}, {"offset2", -170, -170}}, nine, 54000}}},
        {"SilencingControllers", {{{}, silenced, 85000, silencers}}},
        // Ports out of range, NaN or between integers; MIDI the plug-in must pass over.
        {"BadInput",
         {{{{"o1m2_on", 7, 1},
            {"o1m2_mul", -5, 2},
            {"attack", 99999, 1500},
            {"o1m2_div", NAN, 2},
            {"play3", -1, 0},
            {"o3m1_div", 2.4f, 2}},
           {{5000, 83}, {9000, 0}},
           60000,
           {{10, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
            {20, {0x90, 69, 0}},
            {30, {0x90, 84, 100}},
            {40, {}},
            {50, {0x90, 69, 100, 0}},
            {60, {0xB0, 121, 0}},
            {70, {0xB0, 120}}}}}},
    };
}

void PrintTo(const Sequence& s, std::ostream* out) {
    *out << s.name;
}

class Sequences : public testing::TestWithParam<Sequence> {};

INSTANTIATE_TEST_SUITE_P(All, Sequences, testing::ValuesIn(sequences()),
                         [](const auto& info) { return info.param.name; });

TEST_P(Sequences, AreExactAt44100InEveryBlockSize) {
    std::vector<Played> played;
    sound::Controls controls = sound::startControls();
    uint64_t total = 0;
    for (const Segment& s : GetParam().segments) {
        for (const auto& [symbol, sent, used] : s.changes) {
            sound::findSymbol(symbol)->set(controls, used);
        }
        for (const Note& n : s.notes) {
            played.push_back({n.frame, n.note, controls, n.cut});
        }
        total += s.frames;
    }
    synth::SynthState state;
    const std::vector<float> want = expected(played, total, state);
    for (const auto& [blocks, worker] : kBlockPatterns) {
        Host host(44100, worker);
        std::vector<float> got;
        for (const Segment& s : GetParam().segments) {
            for (const auto& [symbol, sent, used] : s.changes) {
                host.set(symbol, sent);
            }
            for (const Note& n : s.notes) {
                host.note(n.frame, n.note);
            }
            for (const auto& [frame, message] : s.midi) {
                host.send(frame, message);
            }
            const std::vector<float> part = host.render(s.frames, blocks);
            got.insert(got.end(), part.begin(), part.end());
        }
        EXPECT_EQ(firstDifference(got, want), "")
            << "blocks of " << blocks[0] << "...," << (worker ? "" : " no worker");
    }
}

TEST(Plugin, InstancesOnTwoThreadsKeepTheirOwnState) {
    // Each instance computes its seconds inside its own run() on its own thread, at the same time.
    std::vector<std::unique_ptr<Host>> hosts; // set up here: lilv is not for two threads at once
    std::vector<std::vector<float>> want, got(2);
    for (const auto& on : {std::vector<std::string>{"o2m3_on", "play2"}, {"o1m3_on", "o1m5_on"}}) {
        hosts.push_back(std::make_unique<Host>());
        sound::Controls c = sound::startControls();
        for (const std::string& symbol : on) {
            hosts.back()->set(symbol, 1);
            sound::findSymbol(symbol)->set(c, 1);
        }
        std::vector<Played> notes;
        for (int i = 0; i < 8; ++i) {
            hosts.back()->note(static_cast<uint64_t>(i) * 2000, 48 + 4 * i);
            notes.push_back({static_cast<uint64_t>(i) * 2000, 48 + 4 * i, c});
        }
        synth::SynthState state;
        want.push_back(expected(notes, 60000, state));
    }
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < hosts.size(); ++t) {
        threads.emplace_back([&, t] { got[t] = hosts[t]->render(60000, {256}); });
    }
    threads.clear(); // joined
    for (std::size_t t = 0; t < hosts.size(); ++t) {
        EXPECT_EQ(firstDifference(got[t], want[t]), "") << "instance " << t;
    }
}

TEST(Plugin, GainScalesInDecibels) {
    // +20 dB is ten times, -6.0206 dB half.
    synth::SynthState state;
    const std::vector<float> plain = expected({{0, 69, sound::startControls()}}, 44100, state);
    for (const auto& [db, factor] : {std::pair{20.0f, 10.0}, {-6.0206f, 0.5}}) {
        Host host;
        host.set("gain", db);
        host.note(0, 69);
        const std::vector<float> got = host.render(44100, {256});
        for (std::size_t i = 0; i < got.size(); i += 97) {
            EXPECT_NEAR(got[i], plain[i] * factor, 1e-4 * std::abs(plain[i] * factor) + 1e-9)
                << db << " dB, frame " << i;
        }
    }
}

// At other rates the second lasts a second of that rate and is the same sound: each frame lies
// within 0.001 of the 44100 Hz second read at its time, between its two nearest samples (its
// peak is 0.046; a smooth sound at 440 Hz strays by 0.0001 so; a pitch 0.02 % off, a shift by a
// frame or a converter that holds each sample strays by more).
TEST(Plugin, OtherRatesKeepLengthAndPitch) {
    sound::Controls c = sound::startControls();
    c.attack = 1500; // rises from silence to full: the last frame is loud
    synth::SynthState state;
    const std::vector<float> reference = expected({{0, 69, c}}, 44101, state); // silence after
    for (double rate : {48000.0, 96000.0}) {
        Host host(rate);
        host.set("attack", 1500);
        host.note(100, 69);
        const auto frames = static_cast<std::size_t>(rate);
        const std::vector<float> got = host.render(frames + 1000, {512});
        double worst = 0;
        for (std::size_t i = 0; i + 1 < frames; ++i) {
            const double at = double(i) * 44100 / rate;
            const auto k = static_cast<std::size_t>(at);
            const double want = reference[k] + (at - double(k)) * (reference[k + 1] - reference[k]);
            worst = std::max(worst, std::abs(got[100 + i] - want));
        }
        EXPECT_LT(worst, 0.001) << rate;
        EXPECT_NE(got[100 + frames - 1], 0.0f) << rate << " Hz: the sound ends early";
        EXPECT_TRUE(std::all_of(got.begin() + 100 + long(frames), got.end(),
                                [](float s) { return s == 0.0f; }))
            << rate << " Hz: the sound lasts longer than a second";
    }
}

TEST(Plugin, StateRestoredInANewInstancePlaysTheSameNextNote) {
    Host first, second, fresh, spoiled;
    for (Host* h : {&first, &second, &fresh, &spoiled}) {
        for (const char* symbol : {"o2m3_on", "play2", "o1m3_on"}) {
            h->set(symbol, 1);
        }
        h->set("offset2", 31);
    }
    for (int i = 0; i < 3; ++i) {
        first.note(static_cast<uint64_t>(i) * 100, 50 + i);
    }
    first.render(1000, {256});
    const std::string saved = first.saveState();
    ASSERT_NE(saved.find("random"), std::string::npos) << saved;
    ASSERT_TRUE(second.restoreState(saved));
    std::string bad = saved;
    bad.replace(bad.find("[state]"), 7, "[state");
    ASSERT_TRUE(spoiled.restoreState(bad)); // lilv reads it; the plug-in refuses the text
    first.send(0, {0xB0, 120, 0});          // the notes before fall silent
    std::vector<std::vector<float>> next;
    for (Host* h : {&first, &second, &fresh, &spoiled}) {
        h->note(0, 70);
        next.push_back(h->render(44100, {128}));
    }
    EXPECT_EQ(next[1], next[0]);
    EXPECT_NE(next[2], next[0]) << "the carried state makes no difference to this note";
    EXPECT_EQ(next[3], next[2]);
}

// Every preset the bundle relates to the plug-in, one for each file of the folder, applied
// through lilv (its port values and its carried state), plays note 69 as its file does.
TEST(Plugin, EveryPresetLoadsAndSoundsAsItsFile) {
    LilvNode* presetClass = lilv_new_uri(world(), "http://lv2plug.in/ns/ext/presets#Preset");
    LilvNodes* presets = lilv_plugin_get_related(plugin(), presetClass);
    LILV_FOREACH(nodes, i, presets) {
        const std::string uri = lilv_node_as_uri(lilv_nodes_get(presets, i));
        const std::string stem = uri.substr(uri.rfind('/') + 1);
        const files::Settings file =
            files::readSettings(std::filesystem::path(TARMEL_PRESETS_DIR) / (stem + ".tarmel"));
        synth::SynthState state = file.state;
        const std::vector<float> want = expected({{0, 69, file}}, 44100, state, file);
        Host host;
        ASSERT_TRUE(host.loadPreset(uri)) << uri;
        host.note(0, 69);
        const std::vector<float> got = host.render(44100, {1024});
        EXPECT_TRUE(std::ranges::any_of(got, [](float s) { return s != 0.0f; })) << stem;
        EXPECT_EQ(firstDifference(got, want), "") << stem;
    }
    EXPECT_EQ(lilv_nodes_size(presets),
              std::distance(std::filesystem::directory_iterator(TARMEL_PRESETS_DIR), {}));
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
}

} // namespace
} // namespace tarmel::plugin::test
