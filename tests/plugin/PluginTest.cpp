// The plug-in in a host: sequences of notes and control changes against the reference rendering,
// sample for sample at 44100 Hz and in blocks of several sizes; eight voices and stealing; the
// silencing controllers; bad input; other rates; state and presets through lilv.
#include "files/Settings.h"
#include "tests/plugin/Expected.h"
#include "tests/plugin/Host.h"

#include <complex>
#include <dirent.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

namespace tarmel::plugin::test {
namespace {

using Blocks = std::vector<uint32_t>;
// Block sizes in turn, and whether the host offers a worker (without one, run() computes).
const std::vector<std::pair<Blocks, bool>> kBlockPatterns{
    {{64}, true}, {{1, 7, 512}, true}, {{4096}, true}, {{1000, 3, 257}, true}, {{300}, false}};

// A control change: the symbol, the value sent to the port, and the value the plug-in must use.
using Change = std::tuple<std::string, float, int>;
struct Note {
    uint64_t frame;
    int note;
    uint64_t cut = std::numeric_limits<uint64_t>::max();
};
struct Segment {
    std::vector<Change> changes; // made before the segment
    std::vector<Note> notes;     // frames from the start of the sequence
    uint64_t frames;
    std::vector<std::pair<uint64_t, std::vector<uint8_t>>> midi{}; // other messages
};
struct Sequence {
    std::string name;
    std::vector<Segment> segments;
};

int countDifferences(const std::vector<float>& got, const std::vector<float>& want,
                     std::string& first) {
    int count = 0;
    for (std::size_t i = 0; i < want.size(); ++i) {
        if (got[i] != want[i] && count++ == 0) {
            first = "frame " + std::to_string(i) + ": " + std::to_string(got[i]) + " instead of " +
                    std::to_string(want[i]);
        }
    }
    return count;
}

std::vector<Note> chord(uint64_t frame, int first, int count, uint64_t step = 1) {
    std::vector<Note> notes;
    for (int i = 0; i < count; ++i) {
        notes.push_back({frame + step * static_cast<uint64_t>(i), first + 2 * i});
    }
    return notes;
}

std::vector<Sequence> sequences() {
    std::vector<Note> nine = chord(0, 40, 9, 1000);
    nine[0].cut = 8000; // the ninth note takes the voice that started first
    std::vector<Note> silenced = chord(100, 50, 3, 2000);
    for (Note& n : silenced) {
        n.cut = 30000;
    }
    std::vector<Note> again = silenced;
    again.push_back({40000, 45});
    const std::vector<uint8_t> soundOff{0xB0, 120, 0}, notesOff{0xB4, 123, 0};
    return {
        {"one note", {{{}, {{0, 69}}, 50000}}},
        {"controls between notes",
         {{{{"o1m1_on", 1, 1}, {"o1m1_mul", 3, 3}, {"o1m1_div", 4, 4}}, {{100, 60}}, 20000},
          {{{"play2", 1, 1}, {"offset2", 7, 7}, {"attack", 700, 700}, {"o2m3_on", 1, 1}},
           {{20005, 72}, {29000, 83}},
           60000},
          {{{"play3", 1, 1}, {"o2m3_div", 16, 16}}, {{80000, 0}}, 60000}}},
        // Modulator 3 ends a note at 440 Hz near 0 (a whole number of its cycles): cleared,
        // its output goes back to 1 as in the program, or the next note would be silent.
        {"a box cleared between notes",
         {{{{"o1m3_on", 1, 1}}, {{0, 69}}, 50000}, {{{"o1m3_on", 0, 0}}, {{50000, 69}}, 50000}}},
        {"eight notes in one block",
         {{{{"o1m2_on", 1, 1}, {"play2", 1, 1}, {"offset2", -170, -170}}, chord(3, 50, 8), 46000}}},
        {"the ninth note steals the first", {{{}, nine, 54000}}},
        {"all sound off", {{{}, silenced, 50000, {{30000, soundOff}}}}},
        {"all notes off on channel 5", {{{}, again, 85000, {{30000, notesOff}}}}},
        {"bad input",
         {{{{"o1m2_on", 7, 1},
            {"o1m2_mul", -5, 2},
            {"attack", 99999, 1500},
            {"offset3", NAN, 0},
            {"play3", -1, 0},
            {"o3m1_div", 2.4f, 2}},
           {{5000, 83}, {9000, 0}},
           60000,
           {{10, {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}},
            {20, {0xC0, 5}},
            {30, {0xE0, 0, 0x40}},
            {40, {0x90, 69}},
            {50, {0x90, 69, 0}},
            {60, {0x80, 69, 64}},
            {70, {0x90, 84, 100}},
            {80, {0x9F, 127, 127}},
            {90, {0xF8}},
            {100, {}},
            {110, {0x90, 69, 100, 0}},
            {120, {0x90, 0xC5, 100}},
            {130, {0xB0, 121, 0}},
            {140, {0xB0, 120}}}}}},
    };
}

void PrintTo(const Sequence& s, std::ostream* out) {
    *out << s.name;
}

class Sequences : public testing::TestWithParam<Sequence> {};

INSTANTIATE_TEST_SUITE_P(All, Sequences, testing::ValuesIn(sequences()), [](const auto& info) {
    std::string name = info.param.name;
    for (char& c : name) {
        c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    }
    return name;
});

TEST_P(Sequences, AreExactAt44100InEveryBlockSize) {
    const Sequence& seq = GetParam();
    std::vector<Played> played;
    sound::Controls controls = sound::startControls();
    uint64_t total = 0;
    for (const Segment& s : seq.segments) {
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
        for (const Segment& s : seq.segments) {
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
        std::string first;
        EXPECT_EQ(countDifferences(got, want, first), 0)
            << "blocks of " << blocks[0] << "...," << (worker ? "" : " no worker,") << " " << first;
    }
}

TEST(Plugin, InstancesOnTwoThreadsKeepTheirOwnState) {
    // Each instance computes its seconds inside its own run() on its own thread, at the same time.
    const std::vector<std::vector<std::string>> boxes{{"o2m3_on", "play2"}, {"o1m3_on", "o1m5_on"}};
    std::vector<std::vector<float>> want, got(boxes.size());
    for (const auto& on : boxes) {
        sound::Controls c = sound::startControls();
        std::vector<Played> notes;
        for (const std::string& symbol : on) {
            sound::findSymbol(symbol)->set(c, 1);
        }
        for (int i = 0; i < 6; ++i) {
            notes.push_back({static_cast<uint64_t>(i) * 11025, 48 + 5 * i, c});
        }
        synth::SynthState state;
        want.push_back(expected(notes, 100000, state));
    }
    // Set up here: lilv itself is not for two threads at once.
    std::vector<std::unique_ptr<Host>> hosts;
    for (const auto& on : boxes) {
        hosts.push_back(std::make_unique<Host>());
        for (const std::string& symbol : on) {
            hosts.back()->set(symbol, 1);
        }
        for (int i = 0; i < 6; ++i) {
            hosts.back()->note(static_cast<uint64_t>(i) * 11025, 48 + 5 * i);
        }
    }
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < boxes.size(); ++t) {
        threads.emplace_back([&, t] { got[t] = hosts[t]->render(100000, {256}); });
    }
    for (std::thread& t : threads) {
        t.join();
    }
    for (std::size_t t = 0; t < boxes.size(); ++t) {
        std::string first;
        EXPECT_EQ(countDifferences(got[t], want[t], first), 0) << "instance " << t << ": " << first;
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

// The frequency of the highest peak between low and high hertz of a Hann-windowed sound, found by
// evaluating the Fourier sum directly on a 0.5 Hz grid and then on a 0.01 Hz grid around the best.
double peakHertz(const std::vector<float>& sound, double rate, double low, double high) {
    const std::size_t n = sound.size();
    std::vector<double> windowed(n);
    for (std::size_t i = 0; i < n; ++i) {
        windowed[i] =
            (0.5 - 0.5 * std::cos(2 * std::numbers::pi * double(i) / double(n))) * double(sound[i]);
    }
    const auto power = [&](double f) {
        std::complex<double> sum = 0, turn = 1;
        const std::complex<double> step = std::polar(1.0, -2 * std::numbers::pi * f / rate);
        for (double x : windowed) {
            sum += x * turn;
            turn *= step;
        }
        return std::norm(sum);
    };
    const auto best = [&](double from, double to, double step) {
        double at = from, most = -1;
        for (double f = from; f <= to; f += step) {
            if (const double p = power(f); p > most) {
                most = p;
                at = f;
            }
        }
        return at;
    };
    const double coarse = best(low, high, 0.5);
    return best(coarse - 0.5, coarse + 0.5, 0.01);
}

TEST(Plugin, OtherRatesKeepLengthAndPitch) {
    sound::Controls c = sound::startControls();
    c.attack = 1500; // rises from silence to full: the last frame is loud
    synth::SynthState state;
    std::vector<float> reference = expected({{0, 69, c}}, 44100, state);
    const double want = peakHertz(reference, 44100, 435, 445);
    EXPECT_NEAR(want, 440, 0.5);
    for (double rate : {48000.0, 96000.0}) {
        Host host(rate);
        host.set("attack", 1500);
        host.note(100, 69);
        const auto frames = static_cast<std::size_t>(rate);
        const std::vector<float> got = host.render(frames + 1000, {512});
        const std::vector<float> sound(got.begin() + 100, got.begin() + 100 + long(frames));
        EXPECT_NE(sound.back(), 0.0f) << rate;
        EXPECT_TRUE(std::all_of(got.begin() + 100 + long(frames), got.end(),
                                [](float s) { return s == 0.0f; }))
            << rate << " Hz: the sound lasts longer than a second";
        EXPECT_NEAR(peakHertz(sound, rate, 435, 445), want, 0.1) << rate;
    }
}

TEST(Plugin, StateRestoredInANewInstancePlaysTheSameNextNote) {
    const auto setUp = [](Host& host) {
        for (const char* symbol : {"o2m3_on", "play2", "o1m3_on"}) {
            host.set(symbol, 1);
        }
        host.set("offset2", 31);
    };
    Host first;
    setUp(first);
    for (int i = 0; i < 3; ++i) {
        first.note(static_cast<uint64_t>(i) * 100, 50 + i);
    }
    first.render(1000, {256});
    const std::string saved = first.saveState();
    ASSERT_NE(saved.find("random"), std::string::npos) << saved;

    Host second, fresh, spoiled;
    for (Host* h : {&second, &fresh, &spoiled}) {
        setUp(*h);
    }
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

TEST(Plugin, EveryPresetLoadsAndSoundsAsItsFile) {
    LilvNode* presetClass = lilv_new_uri(world(), "http://lv2plug.in/ns/ext/presets#Preset");
    LilvNodes* presets = lilv_plugin_get_related(plugin(), presetClass);
    int count = 0;
    LILV_FOREACH(nodes, i, presets) {
        const std::string uri = lilv_node_as_uri(lilv_nodes_get(presets, i));
        const std::string stem = uri.substr(uri.rfind('/') + 1);
        const files::Settings file =
            files::readSettings(std::filesystem::path(TARMEL_PRESETS_DIR) / (stem + ".tarmel"));
        const sound::Controls c = file;
        synth::SynthState state = file.state;
        const std::vector<float> want = expected({{0, 69, c}}, 44100, state, c);
        Host host;
        ASSERT_TRUE(host.loadPreset(uri)) << uri;
        host.note(0, 69);
        const std::vector<float> got = host.render(44100, {1024});
        EXPECT_TRUE(std::any_of(got.begin(), got.end(), [](float s) { return s != 0.0f; }))
            << stem << " is silent";
        std::string first;
        EXPECT_EQ(countDifferences(got, want, first), 0) << stem << ": " << first;
        ++count;
    }
    lilv_nodes_free(presets);
    lilv_node_free(presetClass);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(TARMEL_PRESETS_DIR)) {
        files += entry.path().extension() == ".tarmel";
    }
    EXPECT_EQ(count, files);
}

} // namespace
} // namespace tarmel::plugin::test
