// Settings files: every value and the carried state read back bit for bit; every kind of bad
// file refused with a message naming the file, the line and what is wrong; and a seeded
// mutation loop over the corpus that must never do anything but read or refuse.
#include "files/Settings.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace tarmel::files {
namespace {

namespace fs = std::filesystem;
const fs::path kCorpus = TARMEL_SETTINGS_CORPUS;
const fs::path kTemporary = fs::temp_directory_path() / ("tarmel-" + std::to_string(getpid()));

TEST(Settings, WrittenAndReadBackBitForBit) {
    Settings s = readSettings(kCorpus / "valid-busy.tarmel");
    EXPECT_EQ(std::tuple(s.pitch1, s.offsets[0]), std::tuple(146, -12));
    EXPECT_TRUE(std::signbit(s.state.modOut[1])) << "-0.0 keeps its sign";
    s.state.modOut[4] = 5e-324;
    writeSettings(kTemporary, s);
    const Settings back = readSettings(kTemporary);
    EXPECT_EQ(back, s);
    // Bit for bit: == takes -0.0 for 0.0.
    EXPECT_EQ(std::memcmp(&back.state.modOut, &s.state.modOut, sizeof s.state.modOut), 0);
    // No temporary file is left: the render command test sees to that for the same atomic write.
    fs::remove(kTemporary);
    EXPECT_EQ(readSettings(kCorpus / "valid-start.tarmel"), Settings{});
}

// What the TOML reader finds wrong is said in the words of a settings file, with the line and
// what to do; the table is the one above the line, as a person reads the file.
TEST(Settings, TomlMistakesAreSaidInTheWordsOfASettingsFile) {
    const std::vector<std::array<std::string, 2>> cases{
        {"[oscillator1.modulator2]\nratio = 2\nratio = 3\n",
         "line 3: 'ratio' is given twice in [oscillator1.modulator2]; keep one of them"},
        {"[state]\n [ oscillator1 ] # comment\n  play = true\n  play = false\n",
         "line 4: 'play' is given twice in [oscillator1]; keep one of them"},
        {"attack = 0\nattack = 0\n[state]\n",
         "line 2: 'attack' is given twice at the top of the file; keep one of them"},
        {"[state]\n[oscillator2]\n[state]\n", "line 3: [state] is given twice; keep one of them"},
        {"state = 1\n[state]\n",
         "line 2: 'state' is given both as a value and as a table; keep one"},
        {"[state]\nrandom = \"0x1", "line 2: the file ends inside a string (a closing quote"},
        {"[state]\nrandom = [1, 2\n", "line 2: the file ends inside a list (a closing ]"},
        {"[state]\nrandom = \"0x1\nversion = 1\n",
         "line 2: the value of 'random' in [state] is a string that is not closed on its line"},
        {"[state]\nrandom = \"\\q\"\n",
         "line 2: the value of 'random' in [state] holds an unknown escape after a backslash"},
        {"attack =\n", "line 1: 'attack' at the top of the file has no value after '='"},
        {"attack 0\n", "line 1: a key must be followed by '=' and a value"},
        {"attack = 0 1\n", "line 1: something follows the value of 'attack' at the top of the "
                           "file; write one key = value on each line"},
        {"[oscillator1]\npitch = 098\n",
         "line 2: the value of 'pitch' in [oscillator1] starts with a zero"},
        {"attack = 99999999999999999999\n",
         "line 1: the value of 'attack' at the top of the file is too large a number"},
        {"[oscillator2]\nplay = yes\n",
         "line 2: the value of 'play' in [oscillator2] is not a number, true, false"},
        {"[oscillator2\n", "line 1: the table name on this line is malformed"},
        {"attack = 0\n= 1\n", "line 2: this line is neither key = value, nor a [table]"}};
    for (const auto& [text, says] : cases) {
        try {
            parseSettings(text, "t.tarmel");
            ADD_FAILURE() << text << " was read";
        } catch (const SettingsError& e) {
            EXPECT_EQ(std::string(e.what()).find("t.tarmel: " + says), 0U) << e.what();
        }
    }
}

// Each bad file of the corpus says on its first line what its message must hold; the others read.
// Mutations of the corpus files (bytes flipped, dropped, doubled, and pieces of one file spliced
// into another) must either read or be refused with a SettingsError. TARMEL_FUZZ_SEED replays a
// run.
TEST(Settings, BadFilesAreRefusedWithWhatIsWrongAndMutatedOnesReadOrRefusedNeverAnythingElse) {
    std::vector<std::string> corpus;
    int refused = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string& text = corpus.emplace_back(std::istreambuf_iterator<char>(in),
                                                      std::istreambuf_iterator<char>());
        try {
            readSettings(entry.path());
            EXPECT_FALSE(text.starts_with("# expect: ")) << entry.path() << " was read";
        } catch (const SettingsError& e) {
            const std::string said = e.what();
            EXPECT_EQ(said.find(entry.path().string() + ": "), 0U) << said;
            EXPECT_NE(said.find(text.substr(10, text.find('\n') - 10)), std::string::npos) << said;
            ++refused;
        }
    }
    EXPECT_EQ(refused, 16);
    std::ofstream(kTemporary) << std::string(1024 * 1024 + 1, '#'); // over a mebibyte
    EXPECT_THROW(readSettings(kTemporary), SettingsError);
    fs::remove(kTemporary);

    const char* given = std::getenv("TARMEL_FUZZ_SEED");
    const unsigned seed = given != nullptr ? std::stoul(given) : std::random_device{}();
    auto below = [rng = std::mt19937(seed)](auto n) mutable { return n == 0 ? 0 : rng() % n; };
    for (int run = 0; run < 20000; ++run) {
        std::string text = corpus[below(corpus.size())];
        for (int edits = 1 + static_cast<int>(below(4)); edits > 0; --edits) {
            const std::size_t at = below(text.size() + 1);
            const std::string from = below(2) != 0 ? text : corpus[below(corpus.size())];
            if (const auto edit = below(3); edit == 0 && at < text.size()) {
                text[at] = static_cast<char>(text[at] ^ (1 << below(8)));
            } else if (edit == 1) {
                text.erase(at, below(40));
            } else {
                text.insert(at, from.substr(below(from.size() + 1), below(200)));
            }
        }
        try {
            parseSettings(text, "mutated.tarmel");
        } catch (const SettingsError&) {
        } catch (...) {
            ADD_FAILURE() << "seed " << seed << ", run " << run << ": neither read nor refused";
        }
    }
}

// A preset's name and category: texts that stress TOML's quoting read back as they were; a file
// without them (the start file of the corpus) reads as unnamed; one of the wrong kind is refused.
TEST(Settings, NameAndCategoryReadBackAsWrittenAndAreOptional) {
    const std::vector<std::pair<std::string, std::string>> texts{
        {"Bell \"deep\"", "Back\\slash\\"},
        {"Ünïcode 音 ✓", "tab\there"},
        {"line\nbreak", "'single' quotes"},
        {"# not a comment", "name = \"x\""},
        {"", ""}};
    for (const auto& [name, category] : texts) {
        Settings s;
        s.name = name;
        s.category = category;
        s.pitch1 = 321;
        EXPECT_EQ(parseSettings(settingsText(s), "x"), s) << name;
    }
    EXPECT_EQ(readSettings(kCorpus / "valid-start.tarmel").name, "");
    const std::string start = settingsText(Settings{});
    for (const char* bad : {"name = 5\n", "category = true\n"}) {
        try {
            parseSettings(bad + start, "bad.tarmel");
            ADD_FAILURE() << bad << "was read";
        } catch (const SettingsError& e) {
            EXPECT_NE(std::string(e.what()).find("bad.tarmel: line 1: '"), std::string::npos)
                << e.what();
            EXPECT_NE(std::string(e.what()).find("' must be a text in quotes"), std::string::npos);
        }
    }
    EXPECT_THROW(parseSettings("named = \"x\"\n" + start, "typo.tarmel"), SettingsError);
}

} // namespace
} // namespace tarmel::files
