// The preset library over folders made for the test, and the presets shipped with the program:
// each is named and sounds unlike every other; batch export's twin names, progress and stop.
#include "explore/BatchExport.h"
#include "explore/PresetLibrary.h"

#include <gtest/gtest.h>
#include <set>
#include <unistd.h>

namespace tarmel::explore {
namespace {

namespace fs = std::filesystem;

// The start settings under a name and a category.
void write(const fs::path& file, const std::string& name, const std::string& category) {
    files::writeSettings(file, {{}, {}, name, category});
}

struct Folders : testing::Test {
    Folders() { fs::create_directories(user_); }
    ~Folders() override { fs::remove_all(root_); }

    const fs::path root_ =
        fs::temp_directory_path() / ("tarmel-presets-" + std::to_string(getpid()));
    const fs::path user_ = root_ / "user";
};

// (A refused file, its message, and stepping on from the first preset and round the end, are
// the window's presets test.)
TEST_F(Folders, ListsByCategoryAndNameStepsBackRoundTheStartAndNamesFiles) {
    write(root_ / "b.tarmel", "Tubular", "Bells");
    write(root_ / "a.tarmel", "Zap", "Lasers");
    write(root_ / "c.tarmel", "Anvil", "Bells");
    write(root_ / "notes.txt", "Not a preset", "Bells"); // not .tarmel: left out
    write(user_ / "mine.tarmel", "", "");                // named by its file, listed under Other
    const PresetLibrary library({root_, root_ / "missing", user_});
    std::string listed;
    for (const Preset& p : library.presets()) {
        listed += p.category + "/" + p.name + " ";
    }
    EXPECT_EQ(listed, "Bells/Anvil Bells/Tubular Lasers/Zap Other/mine ");
    EXPECT_EQ(library.step(std::nullopt, -1), 3U);
    EXPECT_EQ(library.step(0, -1), 3U);
    EXPECT_FALSE(PresetLibrary({root_ / "missing"}).step(std::nullopt, 1));
    // A file name for a preset saved by name.
    EXPECT_EQ(presetFileName("Deep  Bell 2!"), "deep-bell-2.tarmel");
    EXPECT_EQ(presetFileName("../x"), "x.tarmel");
    EXPECT_EQ(presetFileName(".."), "preset.tarmel");
}

// (That each opens and is heard is the command line's batch test and the plug-in's presets test.)
TEST(ShippedPresets, EachIsNamedAndSoundsUnlikeEveryOther) {
    const PresetLibrary library({TARMEL_PRESETS_DIR});
    ASSERT_GE(library.presets().size(), 24U);
    std::set<std::vector<int16_t>> sounds;
    for (const Preset& p : library.presets()) {
        const files::Settings s = files::readSettings(p.file);
        EXPECT_FALSE(s.name.empty() || s.category.empty()) << p.file;
        // The second it plays: its oscillators heard, from its carried state.
        synth::SynthState state = s.state;
        auto waves = std::make_unique<synth::Waves>();
        synth::generate(sound::parametersOf(s), state, *waves);
        EXPECT_TRUE(sounds.insert(synth::heardMix(*waves, s.play)).second)
            << p.name << " sounds as another preset";
    }
}

// What each file holds, a bad file named with its line and files in the way are checked with the
// command line's batch; here a second file of the same sound file name, refused even where files
// are replaced, on one thread (the stop test runs two).
TEST_F(Folders, BatchExportNamesASecondFileOfTheSameName) {
    write(user_ / "twin.tarmel", "Twin", "");
    write(root_ / "twin.tarmel", "Twin too", ""); // the same sound file name
    const std::vector<fs::path> inputs{user_ / "twin.tarmel", root_ / "twin.tarmel",
                                       TARMEL_PRESETS_DIR "/laser.tarmel"};
    BatchProgress progress;
    const auto failures = exportBatch(batchItems(inputs, user_, ".flac"), true, 1, progress);
    ASSERT_EQ(failures.size(), 1U);
    EXPECT_EQ(failures[0].settings, root_ / "twin.tarmel");
    EXPECT_EQ(progress.finished.load(), 3);
}

// As a window's Cancel does it, from any thread: the stop asked for by the progress callback at
// the third file ends the batch with at most a few more files (those the other thread and the
// four writers had begun), each counted once, and no other file. (That each file written is
// whole is the window's cancel test.)
TEST_F(Folders, BatchExportStopsSoonAfterAStopAndCountsEachFile) {
    const std::vector<fs::path> presets{fs::directory_iterator(TARMEL_PRESETS_DIR), {}};
    BatchProgress progress;
    progress.onFinished = [&](int finished) { progress.stop = progress.stop || finished == 3; };
    EXPECT_TRUE(exportBatch(batchItems(presets, user_, ".wav"), false, 2, progress).empty());
    const int finished = progress.finished.load();
    EXPECT_TRUE(finished >= 3 && finished <= 6) << finished;
    EXPECT_EQ(std::distance(fs::directory_iterator(user_), {}), finished)
        << "a file for each finished item and nothing else";
}

} // namespace
} // namespace tarmel::explore
