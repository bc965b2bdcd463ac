// Settings files: every value and the carried state read back bit for bit; every kind of bad
// file refused with a message naming the file, the line and what is wrong; and a seeded
// mutation loop over the corpus that must never do anything but read or refuse.
#include "files/Settings.h"

#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <random>
#include <sstream>

namespace tarmel::files {
namespace {

namespace fs = std::filesystem;
const fs::path kCorpus = TARMEL_SETTINGS_CORPUS;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

TEST(Settings, WrittenAndReadBackBitForBit) {
    Settings s = readSettings(kCorpus / "valid-busy.tarmel");
    EXPECT_EQ(s.pitch1, 146);
    EXPECT_EQ(s.offsets[0], -12);
    EXPECT_TRUE(std::signbit(s.state.modOut[1])) << "-0.0 keeps its sign";
    s.state.modOut[4] = 5e-324;
    const fs::path file =
        fs::temp_directory_path() / ("tarmel-" + std::to_string(getpid()) + ".tarmel");
    writeSettings(file, s);
    const Settings back = readSettings(file);
    EXPECT_EQ(back, s);
    for (std::size_t k = 0; k < s.state.modOut.size(); ++k) {
        EXPECT_EQ(std::bit_cast<uint64_t>(back.state.modOut[k]),
                  std::bit_cast<uint64_t>(s.state.modOut[k]));
    }
    EXPECT_EQ(contents(file), settingsText(s));
    for (const fs::directory_entry& e : fs::directory_iterator(fs::temp_directory_path())) {
        EXPECT_NE(e.path().filename().string().rfind("." + file.filename().string(), 0), 0U)
            << "temporary file left: " << e.path();
    }
    fs::remove(file);
    EXPECT_EQ(readSettings(kCorpus / "valid-start.tarmel"), Settings{});
}

TEST(Settings, EveryKindOfBadFileIsRefusedWithWhatIsWrong) {
    int refused = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
        const std::string text = contents(entry.path());
        if (text.rfind("# expect: ", 0) != 0) {
            continue;
        }
        const std::string expected = text.substr(10, text.find('\n') - 10);
        try {
            readSettings(entry.path());
            ADD_FAILURE() << entry.path() << " was read";
        } catch (const SettingsError& e) {
            const std::string message = e.what();
            EXPECT_EQ(message.rfind(entry.path().string() + ": ", 0), 0U) << message;
            EXPECT_NE(message.find(expected), std::string::npos) << message;
            ++refused;
        }
    }
    EXPECT_GE(refused, 16);
    const fs::path big = fs::temp_directory_path() / ("tarmel-big-" + std::to_string(getpid()));
    std::ofstream(big) << std::string(kMaxSettingsBytes + 1, '#');
    EXPECT_THROW(readSettings(big), SettingsError);
    fs::remove(big);
}

// Mutations of the corpus files: bytes flipped, dropped, doubled, and lines of one file spliced
// into another. Each must either read or be refused with a SettingsError. TARMEL_FUZZ_SEED
// replays a run.
TEST(Settings, MutatedFilesAreReadOrRefusedNeverAnythingElse) {
    std::vector<std::string> corpus;
    for (const fs::directory_entry& entry : fs::directory_iterator(kCorpus)) {
        corpus.push_back(contents(entry.path()));
    }
    const char* given = std::getenv("TARMEL_FUZZ_SEED");
    const unsigned seed = given != nullptr ? std::stoul(given) : std::random_device{}();
    std::mt19937 rng(seed);
    const auto below = [&rng](std::size_t n) { return n == 0 ? 0 : rng() % n; };
    for (int run = 0; run < 20000; ++run) {
        std::string text = corpus[below(corpus.size())];
        for (int edits = 1 + static_cast<int>(below(4)); edits > 0; --edits) {
            const std::size_t at = below(text.size() + 1);
            switch (below(4)) {
            case 0:
                if (at < text.size()) {
                    text[at] = static_cast<char>(text[at] ^ (1 << below(8)));
                }
                break;
            case 1:
                text.erase(at, below(40));
                break;
            case 2:
                text.insert(at, text.substr(below(text.size() + 1), below(80)));
                break;
            default: {
                const std::string& other = corpus[below(corpus.size())];
                text.insert(at, other.substr(below(other.size() + 1), below(200)));
            }
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

} // namespace
} // namespace tarmel::files
