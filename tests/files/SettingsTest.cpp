// Settings files: every value and the carried state read back bit for bit; every kind of bad
// file refused with a message naming the file, the line and what is wrong; and a seeded
// mutation loop over the corpus that must never do anything but read or refuse.
#include "files/Settings.h"

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

// What reading text as the settings file source says is wrong with it; "read" when it reads.
std::string refusal(const std::string& text, const std::string& source) {
    try {
        parseSettings(text, source);
        return "read";
    } catch (const SettingsError& e) {
        return e.what();
    }
}

// The carried state at the ends of its ranges (-0.0 and the smallest subnormals among them), the
// random generator's state with leading zero digits, and a name and category that stress TOML's
// quoting (quotes, backslashes, a tab, a new line, a comment and key = value inside, UTF-8), read
// back bit for bit (== takes -0.0 for 0.0, memcmp does not); the random digits written as 16
// hexadecimal digits (worked out by hand here), and 17 digits refused. The controls at their
// ends ride along. The corpus's busy file reads as it is written; the start file as the start
// settings, unnamed.
TEST(Settings, WrittenAndReadBackBitForBitAndTheRandomStateKeepsItsLeadingZeros) {
    const Settings busy = readSettings(kCorpus / "valid-busy.tarmel");
    EXPECT_EQ(std::tuple(busy.pitch1, busy.offsets[0]), std::tuple(146, -12));
    EXPECT_TRUE(std::signbit(busy.state.modOut[1])) << "-0.0 keeps its sign";
    EXPECT_EQ(readSettings(kCorpus / "valid-start.tarmel"), Settings{});
    const std::vector<std::tuple<uint64_t, float, double, const char*>> cases{
        {0x0, 0.0f, 1.5574077246549023, "0x0000000000000000"},
        {0x00000000000000a1, 1.0f - 0x1p-24f, -1.5574077246549023, "0x00000000000000a1"},
        {0x0fedcba987654321, 0x1p-24f, -5e-324, "0x0fedcba987654321"},
        {0xffffffffffffffff, 0.5f, -0.0, "0xffffffffffffffff"}};
    for (const auto& [random, last, output, digits] : cases) {
        Settings s;
        s.name = "Bell \"deep\" Ünïcode 音 ✓\n# not a comment";
        s.category = "Back\\slash\\\t'single' name = \"x\"";
        s.pitch1 = random == 0 ? 1 : 1000;
        s.offsets = {-170, 170};
        s.attack = random == 0 ? 0 : 1500;
        s.modulators[1] = {true, 2, 16};
        s.modulators[14] = {random != 0, 10, 2};
        s.state.modOut.fill(output);
        s.state.modOut[4] = 5e-324;
        s.state.random = synth::RandomGenerator({random, last});
        const std::string text = settingsText(s);
        const Settings back = parseSettings(text, "s.tarmel");
        EXPECT_EQ(back, s) << digits;
        EXPECT_EQ(std::memcmp(&back.state.modOut, &s.state.modOut, sizeof s.state.modOut), 0);
        const std::size_t at = text.find(std::string("random = '") + digits + "'");
        ASSERT_NE(at, std::string::npos) << text;
        const std::string refused = // 17 digits (the corpus's bad-random file has 15)
            refusal(std::string(text).replace(at + 10, 18, digits + std::string("0")), "s.tarmel");
        EXPECT_NE(refused.find("'state.random' must be 0x and 16"), std::string::npos) << refused;
    }
}

// What the TOML reader finds wrong is said in the words of a settings file, with the line and
// what to do; the table is the one above the line, as a person reads the file.
TEST(Settings, TomlMistakesAreSaidInTheWordsOfASettingsFile) {
    const std::string start = settingsText(Settings{});
    const std::vector<std::pair<std::string, std::string>> cases{
        {"name = 5\n" + start, "line 1: 'name' must be a text in quotes"},
        {"[state]\n [ oscillator1 ] # comment\n  play = true\n  play = false\n",
         "line 4: 'play' is given twice in [oscillator1]; keep one of them"},
        {"[state]\n[oscillator2]\n[state]\n", "line 3: [state] is given twice; keep one of them"},
        {"x = 1\n[x]\n", "line 2: 'x' is given both as a value and as a table; keep one"},
        {"[state]\nrandom = \"0x1", "line 2: the file ends inside a string (a closing quote"},
        {"[state]\nrandom = [1, 2\n", "line 2: the file ends inside a list (a closing ]"},
        {"[s]\nx = \"0\ny = 1\n", "line 2: the value of 'x' in [s] is a string that is not closed"},
        {"[s]\nx = \"\\q\"\n", "line 2: the value of 'x' in [s] holds an unknown escape"},
        {"attack =\n", "line 1: 'attack' at the top of the file has no value after '='"},
        {"attack 0\n", "line 1: a key must be followed by '=' and a value"},
        {"attack = 0 1\n", "line 1: something follows the value of 'attack' at the top of the "
                           "file; write one key = value on each line"},
        {"[s]\nx = 098\n", "line 2: the value of 'x' in [s] starts with a zero"},
        {"[s]\nx = 99999999999999999999\n", "line 2: the value of 'x' in [s] is too large"},
        {"[s]\nx = yes\n", "line 2: the value of 'x' in [s] is not a number, true, false"},
        {"[oscillator2\n", "line 1: the table name on this line is malformed"}};
    for (const auto& [text, says] : cases) {
        EXPECT_EQ(refusal(text, "t.tarmel").find("t.tarmel: " + says), 0U) << refusal(text, "t");
    }
}

// Each bad file of the corpus says on its first line what its message must hold; the others read.
// Mutations of the corpus files (bytes flipped, dropped, doubled, and pieces of one file spliced
// into another) must either read or be refused with a SettingsError. TARMEL_FUZZ_SEED replays a
// run.
TEST(Settings, BadFilesAreRefusedWithWhatIsWrongAndMutatedOnesReadOrRefusedNeverAnythingElse) {
    std::vector<std::string> corpus;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string& text = corpus.emplace_back(std::istreambuf_iterator<char>(in),
                                                      std::istreambuf_iterator<char>());
        const std::string said = refusal(text, entry.path().string());
        if (!text.starts_with("# expect: ")) {
            EXPECT_EQ(said, "read");
        } else {
            EXPECT_EQ(said.find(entry.path().string() + ": "), 0U) << said;
            EXPECT_NE(said.find(text.substr(10, text.find('\n') - 10)), std::string::npos) << said;
        }
    }
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
        EXPECT_NO_THROW(refusal(text, "mutated.tarmel")) << "seed " << seed << ", run " << run;
    }
}

} // namespace
} // namespace tarmel::files
