// The preset library over folders made for the test, and the presets shipped with the program:
// each opens, sounds, and sounds unlike every other; batch export's refusals, progress and stop.
#include "explore/BatchExport.h"
#include "explore/PresetLibrary.h"
#include "files/SoundFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <numeric>
#include <set>
#include <unistd.h>

namespace tarmel::explore {
namespace {

namespace fs = std::filesystem;

void write(const fs::path& file, std::string name, std::string category, int16_t pitch = 98) {
    files::Settings s;
    s.pitch1 = pitch;
    s.name = std::move(name);
    s.category = std::move(category);
    files::writeSettings(file, s);
}

// The second a preset plays: its oscillators heard, from its carried state.
std::vector<int16_t> rendered(const files::Settings& s) {
    synth::SynthState state = s.state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(sound::parametersOf(s), state, *waves);
    return synth::heardMix(*waves, s.play);
}

struct Folders : testing::Test {
    Folders() { fs::create_directories(user_); }
    ~Folders() override { fs::remove_all(root_); }

    const fs::path root_ =
        fs::temp_directory_path() / ("tarmel-presets-" + std::to_string(getpid()));
    const fs::path user_ = root_ / "user";
};

TEST_F(Folders, ListsByCategoryAndNameRefusesABadFileWithItsMessageAndNamesFiles) {
    write(root_ / "b.tarmel", "Tubular", "Bells");
    write(root_ / "a.tarmel", "Zap", "Lasers");
    write(root_ / "c.tarmel", "Anvil", "Bells");
    write(root_ / "notes.txt", "Not a preset", "Bells"); // not .tarmel: left out
    write(user_ / "mine.tarmel", "", "");                // named by its file, listed under Other
    write(user_ / "broken.tarmel", "", "", 1001);        // the first pitch refused
    const PresetLibrary library({root_, root_ / "missing", user_});
    std::string listed;
    for (const Preset& p : library.presets()) {
        listed += p.category + "/" + p.name + " ";
    }
    EXPECT_EQ(listed, "Bells/Anvil Bells/Tubular Lasers/Zap Other/mine ");
    ASSERT_EQ(library.refused().size(), 1U);
    // The line of the pitch as in the example of docs/SETTINGS.md.
    EXPECT_EQ(library.refused()[0].message,
              (user_ / "broken.tarmel").string() +
                  ": line 8: 'oscillator1.pitch' is 1001; use a whole number from 1 to 1000");
    // Stepping goes round both ends.
    EXPECT_EQ(library.step(std::nullopt, 1), 0U);
    EXPECT_EQ(library.step(std::nullopt, -1), 3U);
    EXPECT_EQ(library.step(3, 1), 0U);
    EXPECT_EQ(library.step(0, -1), 3U);
    EXPECT_FALSE(PresetLibrary({root_ / "missing"}).step(std::nullopt, 1));
    // A file name for a preset saved by name.
    EXPECT_EQ(presetFileName("Deep  Bell 2!"), "deep-bell-2.tarmel");
    EXPECT_EQ(presetFileName("../x"), "x.tarmel");
    EXPECT_EQ(presetFileName(".."), "preset.tarmel");
}

TEST(ShippedPresets, EachOpensIsNamedSoundsAndIsUnlikeEveryOther) {
    const PresetLibrary library({TARMEL_PRESETS_DIR});
    EXPECT_TRUE(library.refused().empty()) << library.refused()[0].message;
    ASSERT_GE(library.presets().size(), 24U);
    std::set<std::vector<int16_t>> sounds;
    for (const Preset& p : library.presets()) {
        const files::Settings s = files::readSettings(p.file);
        EXPECT_FALSE(s.name.empty() || s.category.empty()) << p.file;
        const std::vector<int16_t> heard = rendered(s);
        // Louder than a sine of amplitude 100 (-50 dBFS) over the second.
        EXPECT_GT(std::inner_product(heard.begin(), heard.end(), heard.begin(), 0.0),
                  100.0 * 100.0 / 2 * static_cast<double>(heard.size()))
            << p.name;
        EXPECT_TRUE(sounds.insert(heard).second) << p.name << " sounds as another preset";
    }
}

// What each file holds, a bad file named with its line and files in the way are checked with the
// command line's batch; here a second file of the same sound file name, and a stopped batch.
TEST_F(Folders, BatchExportNamesASecondFileOfTheSameNameAndAStoppedBatchStartsNothing) {
    write(user_ / "twin.tarmel", "Twin", "", 321);
    write(root_ / "twin.tarmel", "Twin too", ""); // the same sound file name
    const std::vector<fs::path> inputs{user_ / "twin.tarmel", root_ / "twin.tarmel",
                                       TARMEL_PRESETS_DIR "/laser.tarmel"};
    BatchProgress progress;
    const auto failures = exportBatch(batchItems(inputs, user_, ".flac"), false, 2, progress);
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_EQ(failures[0].settings, root_ / "twin.tarmel");
    EXPECT_EQ(progress.finished.load(), 3);
    BatchProgress stopped;
    stopped.stop = true;
    EXPECT_TRUE(
        exportBatch(batchItems({inputs[0], inputs[2]}, root_, ".wav"), false, 2, stopped).empty());
    EXPECT_FALSE(fs::exists(root_ / "laser.wav"));
}

// As a window's Cancel does it, from any thread: the stop asked for by the progress callback at
// the third file ends the batch with at most a few more files, each whole, and no other file.
TEST_F(Folders, BatchExportStopsSoonAfterAStopAndLeavesOnlyWholeFiles) {
    std::vector<fs::path> presets;
    for (const auto& entry : fs::directory_iterator(TARMEL_PRESETS_DIR)) {
        presets.push_back(entry.path());
    }
    ASSERT_GE(presets.size(), 20U);
    for (const int threads : {1, 2}) {
        const fs::path out = root_ / std::to_string(threads);
        fs::create_directories(out);
        BatchProgress progress;
        std::mutex mutex;
        std::set<int> told; // the counts the callback was given
        progress.onFinished = [&](int finished) {
            const std::lock_guard lock(mutex);
            told.insert(finished);
            if (finished == 3) {
                progress.stop = true;
            }
        };
        EXPECT_TRUE(
            exportBatch(batchItems(presets, out, ".wav"), false, threads, progress).empty());
        const int finished = progress.finished.load();
        std::set<int> each;
        for (int n = 1; n <= finished; ++n) {
            each.insert(n);
        }
        EXPECT_EQ(told, each);
        // The third file, and those the other threads were writing then (four writers at most).
        EXPECT_GE(finished, 3);
        EXPECT_LE(finished, 6) << threads << " threads";
        int written = 0;
        for (const auto& entry : fs::directory_iterator(out)) {
            ++written;
            const fs::path preset =
                fs::path(TARMEL_PRESETS_DIR) / entry.path().filename().replace_extension(".tarmel");
            EXPECT_EQ(files::readSoundFile(entry.path()), rendered(files::readSettings(preset)))
                << entry.path();
        }
        EXPECT_EQ(written, finished) << "a file for each finished item and nothing else";
    }
}

} // namespace
} // namespace tarmel::explore
