// The plug-in in a host: its ports as a host reads them; sequences of notes and control changes
// against the reference rendering, sample for sample at 44100 Hz, in blocks of several sizes, with
// run() allocating nothing and no thread started; eight voices and stealing; the silencing
// controllers; bad input; gain and other rates; presets and the state through lilv.
#include "files/Settings.h"
#include "sound/Controls.h"
#include "synth/Synthesizer.h"
#include "tests/plugin/Host.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <gtest/gtest.h>
#include <iterator>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

// Every malloc of this program (C++'s new included) goes through this counter, which counts on a
// thread only while it is inside the plug-in's run() and not in a worker job there (the test host
// runs jobs inside run(), as freewheeling hosts do; a job may allocate), in a host with a worker.
// The sanitizer build keeps its own allocator: there nothing is counted.
static std::atomic<long> allocations{0};
#if !defined(__SANITIZE_ADDRESS__)
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* malloc(std::size_t size) {
    if (tarmel::plugin::test::inRun) {
        allocations.fetch_add(1, std::memory_order_relaxed);
    }
    return __libc_malloc(size);
}
#endif

namespace tarmel::plugin::test {
namespace {

using Node = std::unique_ptr<LilvNode, decltype(&lilv_node_free)>;
Node uri(const std::string& text) {
    return {lilv_new_uri(world(), text.c_str()), lilv_node_free};
}
// What a host shows of a port: its name, minimum, maximum, default, property, unit and group's
// name, each URI by its last part.
std::string describe(const std::string& symbol) {
    const LilvPort* port = lilv_plugin_get_port_by_symbol(
        plugin(), Node(lilv_new_string(world(), symbol.c_str()), lilv_node_free).get());
    std::string d;
    for (const std::string p :
         {"lv2core#name", "lv2core#minimum", "lv2core#maximum", "lv2core#default",
          "lv2core#portProperty", "extensions/units#unit", "ext/port-groups#group"}) {
        LilvNode* value = lilv_port_get(plugin(), port, uri("http://lv2plug.in/ns/" + p).get());
        if (p.ends_with("group") && value != nullptr) { // hosts title the group by its name
            value = lilv_world_get(world(), Node(value, lilv_node_free).get(),
                                   uri("http://lv2plug.in/ns/lv2core#name").get(), nullptr);
        }
        const std::string t = value != nullptr ? lilv_node_as_string(value) : "";
        d += t.empty() ? "" : ", " + t.substr(t.rfind('#') + 1);
        lilv_node_free(value);
    }
    return d.substr(2);
}

// A port of each kind, worked by hand.
TEST(Ports, EachKindAsAHostReadsIt) {
    // MIDI, audio, gain and 51 controls: pitch 1 is not a port (the notes set it).
    EXPECT_EQ(lilv_plugin_get_num_ports(plugin()), 54u);
    const std::vector<std::pair<std::string, std::string>> want{
        {"o2m3_mul",
         "Multiply, modulator 3 of oscillator 2, 0.0, 10.0, 2.0, integer, Oscillator 2"},
        {"offset3", "Oscillator 3 pitch offset, -170.0, 170.0, 0.0, integer, hz, Oscillator 3"},
        {"play1", "Play oscillator 1, 0.0, 1.0, 1.0, toggled, Oscillator 1"},
        {"attack", "Envelope, decay to attack, 0.0, 1500.0, 0.0, integer"},
        {"gain", "Gain, -60.0, 30.0, 0.0, db"},
    };
    for (const auto& [symbol, description] : want) {
        EXPECT_EQ(describe(symbol), description) << symbol;
    }
}

struct Note {
    uint64_t frame;
    int note;
    uint64_t cut = UINT64_MAX; // where the voice is silenced or stolen
};
struct Segment {
    // Control changes made before the segment: the symbol, the value sent to the port, and the
    // value the plug-in must use.
    std::vector<std::tuple<std::string, float, int>> changes;
    std::vector<Note> notes; // frames from the start of the sequence
    uint64_t until;          // the frame the segment ends at
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> midi{}; // other messages, by frame
};

// What the plug-in must put out, computed without it: each note's second from the synth library's
// straightforward reference computation at 440 * 2^((note - 69) / 12) Hz rounded, mixed as heard,
// divided by 32768 and laid at its frame until its cut. The notes go in order, from state and the
// controls c, each segment's changes made before it: as in the program, a modulator box changed
// since the note before sets the fifteen outputs back to 1.
std::vector<float> expected(const std::vector<Segment>& segments, synth::SynthState state = {},
                            sound::Controls c = sound::startControls()) {
    const uint64_t frames = segments.back().until;
    std::vector<float> out(frames, 0.0f);
    synth::Waves waves{};
    sound::Controls before = c;
    for (const Segment& s : segments) {
        for (const auto& [symbol, sent, used] : s.changes) {
            sound::findSymbol(symbol)->set(c, used);
        }
        for (const Note& n : s.notes) {
            const auto on = &synth::ModulatorSetting::on;
            if (!std::ranges::equal(c.modulators, before.modulators, {}, on, on)) {
                state.setFifteenOutputs();
            }
            before = c;
            c.pitch1 =
                static_cast<int16_t>(std::lround(440.0 * std::pow(2.0, (n.note - 69) / 12.0)));
            synth::generateReference(sound::parametersOf(c), state, waves);
            const std::vector<int16_t> heard = synth::heardMix(waves, c.play);
            for (uint64_t i = 0; i < heard.size() && n.frame + i < std::min(frames, n.cut); ++i) {
                out[n.frame + i] += static_cast<float>(heard[i]) / 32768.0f;
            }
        }
    }
    return out;
}

// The first frame where got differs from want: its length when none does.
std::ptrdiff_t firstDifference(const std::vector<float>& got, const std::vector<float>& want) {
    return std::ranges::mismatch(got, want).in1 - got.begin();
}

// Block sizes in turn, and whether the host offers a worker (without one, run() computes).
const std::vector<std::pair<std::vector<uint32_t>, bool>> kBlockPatterns{
    {{64}, true}, {{1, 7, 512}, true}, {{4096}, true}, {{1000, 3, 257}, true}, {{300}, false}};

std::vector<std::pair<std::string, std::vector<Segment>>> sequences() {
    // Eight notes at once; the ninth takes the voice that started first.
    const std::vector<Note> nine{{3, 50, 8000}, {4, 52}, {5, 54},  {6, 56},   {7, 58},
                                 {8, 60},       {9, 62}, {10, 64}, {8000, 70}};
    // Controller 123 (all notes off) on channel 5, then 120 (all sound off) on channel 1.
    const std::vector<Note> silenced{
        {100, 50, 30000}, {2100, 52, 30000}, {4100, 54, 30000}, {40000, 45, 60000}};
    return {
        {"ControlsBetweenNotes",
         {{{{"o1m1_on", 1, 1}, {"o1m1_mul", 3, 3}, {"o1m1_div", 4, 4}}, {{100, 60}}, 20000},
          {{{"play2", 1, 1}, {"offset2", 7, 7}, {"attack", 700, 700}, {"o2m3_on", 1, 1}},
           {{20005, 72}, {29000, 83}},
           80000},
          {{{"play3", 1, 1}, {"o2m3_div", 16, 16}}, {{80000, 0}}, 140000}}},
        // Modulator 3 ends a note at 440 Hz near 0 (a whole number of its cycles): cleared,
        // its output goes back to 1 as in the program, or the next note would be silent.
        {"ABoxClearedBetweenNotes",
         {{{{"o1m3_on", 1, 1}}, {{0, 69}}, 50000}, {{{"o1m3_on", 0, 0}}, {{50000, 69}}, 100000}}},
        {"TheNinthNoteStealsTheFirstOfEight",
         {{{{"o1m2_on", 1, 1}, {"play2", 1, 1}, {"offset2", -170, -170}}, nine, 54000}}},
        {"SilencingControllers",
         {{{}, silenced, 85000, {{30000, {0xB4, 123, 0}}, {60000, {0xB0, 120, 0}}}}}},
        // Ports out of range, NaN or between integers; MIDI the plug-in must pass over (the
        // note-ons it reads are midi::noteOn's, checked on their own in NotesTest), the
        // controllers while notes sound.
        {"BadInput",
         {{{{"o1m2_on", 7, 1},
            {"o1m2_mul", -5, 2},
            {"attack", 99999, 1500},
            {"o1m2_div", NAN, 2},
            {"o3m1_div", 2.4f, 2}},
           {{5000, 83}, {9000, 0}},
           60000,
           {{30, {0x90, 84, 100}}, {7000, {0xB0, 121, 0}}, {12000, {0xB0, 120}}}}}},
    };
}

auto threadCount() {
    return std::distance(std::filesystem::directory_iterator("/proc/self/task"), {});
}
// Nothing in this program leaves a thread running: the plug-in starts none.
const auto threadsAtStart = threadCount();

// Each sequence in each block pattern, every one in a new instance: each keeps its own state.
TEST(Plugin, SequencesAreExactAt44100InEveryBlockSizeWithNoAllocationInRun) {
    allocations = 0;
    for (const auto& [name, segments] : sequences()) {
        const std::vector<float> want = expected(segments);
        for (const auto& [blocks, worker] : kBlockPatterns) {
            Host host(44100, worker);
            std::vector<float> got;
            for (const Segment& s : segments) {
                for (const auto& [symbol, sent, used] : s.changes) {
                    host.set(symbol, sent);
                }
                for (const Note& n : s.notes) {
                    host.note(n.frame, n.note);
                }
                for (const auto& [frame, message] : s.midi) {
                    host.send(frame, message);
                }
                std::ranges::copy(host.render(s.until - got.size(), blocks),
                                  std::back_inserter(got));
            }
            EXPECT_EQ(firstDifference(got, want), std::ssize(want))
                << name << " in blocks of " << blocks[0] << (worker ? "" : " without a worker");
        }
    }
    EXPECT_EQ(threadCount(), threadsAtStart) << "the plug-in started a thread";
    EXPECT_EQ(allocations.load(), 0) << "run() allocated";
}

// At other rates the second lasts a second of that rate and is the same sound, here with a gain
// of 6.0206 dB (twice as loud: 10^(6.0206 / 20) = 2): each frame lies within 0.002 of twice the
// 44100 Hz second read at its time, between its two nearest samples, and of silence after it (its
// peak is 0.092; a smooth sound at 440 Hz strays by 0.0002 so; a pitch 0.02 % off, a shift by a
// frame, a second a frame short, a converter that holds each sample or a gain not in
// decibels strays by more).
TEST(Plugin, OtherRatesKeepLengthAndPitchAndGainScalesInDecibels) {
    // Rising from silence to full, then silent.
    const std::vector<float> reference = expected({{{{"attack", 1500, 1500}}, {{0, 69}}, 46000}});
    for (double rate : {48000.0, 96000.0}) {
        Host host(rate);
        host.set("attack", 1500);
        host.set("gain", 6.0206f);
        host.note(100, 69);
        const std::vector<float> got = host.render(static_cast<uint64_t>(rate) + 1000, {512});
        double worst = 0;
        for (std::size_t i = 0; i + 100 < got.size(); ++i) {
            const double at = double(i) * 44100 / rate;
            const auto k = static_cast<std::size_t>(at);
            const double want = reference[k] + (at - double(k)) * (reference[k + 1] - reference[k]);
            worst = std::max(worst, std::abs(got[100 + i] - 2 * want));
        }
        EXPECT_LT(worst, 0.002) << rate << " Hz";
    }
}

// Every preset the bundle relates to the plug-in, one for each file of the folder, applied
// through lilv (its port values and its carried state), plays note 69 as its file does; the state
// after it, saved through lilv's text and restored into a new instance that has the preset's
// ports, plays the next note 69 as the file's second generation. A preset that plays the same
// second twice would not see a state lost, but most carry modulators on, whose outputs move.
TEST(Plugin, EveryPresetSoundsAsItsFileAndItsStateCarriesOnInANewInstance) {
    LilvNodes* presets =
        lilv_plugin_get_related(plugin(), uri("http://lv2plug.in/ns/ext/presets#Preset").get());
    LILV_FOREACH(nodes, i, presets) {
        const std::string preset = lilv_node_as_uri(lilv_nodes_get(presets, i));
        const std::string stem = preset.substr(preset.rfind('/') + 1);
        const files::Settings file =
            files::readSettings(std::filesystem::path(TARMEL_PRESETS_DIR) / (stem + ".tarmel"));
        const std::vector<float> want =
            expected({{{}, {{0, 69}, {44100, 69}}, 88200}}, file.state, file);
        Host host, restored;
        ASSERT_TRUE(host.loadPreset(preset)) << preset;
        host.note(0, 69);
        std::vector<float> got = host.render(44100, {1024});
        ASSERT_TRUE(restored.loadPreset(preset)); // its ports; its state then the saved one
        ASSERT_TRUE(restored.restoreState(host.saveState()));
        restored.note(0, 69);
        std::ranges::copy(restored.render(44100, {1024}), std::back_inserter(got));
        EXPECT_EQ(firstDifference(got, want), std::ssize(want)) << stem;
    }
    EXPECT_EQ(lilv_nodes_size(presets),
              std::distance(std::filesystem::directory_iterator(TARMEL_PRESETS_DIR), {}));
    lilv_nodes_free(presets);
}

} // namespace
} // namespace tarmel::plugin::test
