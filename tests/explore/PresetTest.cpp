// The preset library over folders made for the test, and the presets shipped with the program:
// each opens, sounds, and sounds unlike every other.
#include "explore/BatchExport.h"
#include "explore/PresetLibrary.h"
#include "files/SoundFile.h"
#include "synth/Synthesizer.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

namespace tarmel::explore {
namespace {

namespace fs = std::filesystem;
const fs::path kShipped = TARMEL_PRESETS_DIR;

class Folders : public testing::Test {
protected:
    Folders() {
        fs::create_directories(system_);
        fs::create_directories(user_);
    }
    ~Folders() override { fs::remove_all(root_); }

    void write(const fs::path& file, const std::string& name, const std::string& category,
               int pitch = 98) {
        files::Settings s;
        s.name = name;
        s.category = category;
        s.pitch1 = static_cast<int16_t>(pitch);
        files::writeSettings(file, s);
    }

    const fs::path root_ =
        fs::temp_directory_path() / ("tarmel-presets-" + std::to_string(getpid()));
    const fs::path system_ = root_ / "system";
    const fs::path user_ = root_ / "user";
};

TEST_F(Folders, ListsByCategoryAndNameAndRefusesABadFileWithItsMessage) {
    write(system_ / "b.tarmel", "Tubular", "Bells");
    write(system_ / "a.tarmel", "Zap", "Lasers");
    write(system_ / "c.tarmel", "Anvil", "Bells");
    write(system_ / "notes.txt", "Not a preset", "Bells"); // not .tarmel: left out
    write(user_ / "mine.tarmel", "", "");                  // named by its file, listed under Other
    std::string text = files::settingsText(files::Settings{});
    text.replace(text.find("attack = 0"), 10, "attack = 99999");
    std::ofstream(user_ / "broken.tarmel") << text;
    const PresetLibrary library({system_, root_ / "missing", user_});
    std::vector<std::pair<std::string, std::string>> listed;
    for (const Preset& p : library.presets()) {
        listed.emplace_back(p.category, p.name);
    }
    const std::vector<std::pair<std::string, std::string>> expected{
        {"Bells", "Anvil"}, {"Bells", "Tubular"}, {"Lasers", "Zap"}, {"Other", "mine"}};
    EXPECT_EQ(listed, expected);
    EXPECT_EQ(library.categories(), (std::vector<std::string>{"Bells", "Lasers", "Other"}));
    ASSERT_EQ(library.refused().size(), 1U);
    EXPECT_EQ(library.refused()[0].file, user_ / "broken.tarmel");
    EXPECT_EQ(library.refused()[0].message,
              (user_ / "broken.tarmel").string() +
                  ": line 4: 'attack' is 99999; use a whole number from 0 to 1500");
    // Stepping goes round both ends.
    EXPECT_EQ(library.step(std::nullopt, 1), 0U);
    EXPECT_EQ(library.step(std::nullopt, -1), 3U);
    EXPECT_EQ(library.step(3, 1), 0U);
    EXPECT_EQ(library.step(0, -1), 3U);
    EXPECT_EQ(library.step(1, 1), 2U);
    EXPECT_FALSE(PresetLibrary({root_ / "missing"}).step(std::nullopt, 1));
}

TEST(PresetFileName, KeepsLettersAndDigitsOnly) {
    EXPECT_EQ(presetFileName("Deep  Bell 2!"), "deep-bell-2.tarmel");
    EXPECT_EQ(presetFileName("../x"), "x.tarmel");
    EXPECT_EQ(presetFileName("Ünïcode"), "n-code.tarmel");
    EXPECT_EQ(presetFileName(".."), "preset.tarmel");
    EXPECT_EQ(presetFileName(""), "preset.tarmel");
}

// The second each shipped preset plays: its oscillators heard, from its carried state.
std::vector<int16_t> rendered(const files::Settings& s) {
    synth::SynthState state = s.state;
    auto waves = std::make_unique<synth::Waves>();
    synth::generate(files::parametersOf(s), state, *waves);
    return synth::heardMix(*waves, s.play);
}

TEST(ShippedPresets, EachOpensIsNamedSoundsAndIsUnlikeEveryOther) {
    const PresetLibrary library({kShipped});
    EXPECT_TRUE(library.refused().empty()) << library.refused()[0].message;
    ASSERT_GE(library.presets().size(), 24U);
    std::map<std::vector<int16_t>, std::string> sounds;
    for (const Preset& p : library.presets()) {
        const files::Settings s = files::readSettings(p.file);
        EXPECT_FALSE(s.name.empty() || s.category.empty()) << p.file;
        const std::vector<int16_t> heard = rendered(s);
        double energy = 0;
        for (int16_t v : heard) {
            energy += static_cast<double>(v) * v;
        }
        // Louder than a sine of amplitude 100 (-50 dBFS) over the second.
        EXPECT_GT(energy / static_cast<double>(heard.size()), 100.0 * 100.0 / 2) << p.name;
        const auto [it, fresh] = sounds.emplace(heard, p.name);
        EXPECT_TRUE(fresh) << p.name << " sounds as " << it->second;
    }
}

TEST_F(Folders, BatchExportWritesEveryGoodFileAndNamesTheBadOne) {
    std::vector<fs::path> inputs;
    for (const auto& entry : fs::directory_iterator(kShipped)) {
        inputs.push_back(entry.path());
    }
    std::ofstream(user_ / "bad.tarmel") << "not toml = = =\n";
    inputs.push_back(user_ / "bad.tarmel");
    write(user_ / "twin.tarmel", "Twin", "");
    fs::create_directories(user_ / "other");
    write(user_ / "other" / "twin.tarmel", "Twin too", ""); // the same sound file name
    inputs.push_back(user_ / "twin.tarmel");
    inputs.push_back(user_ / "other" / "twin.tarmel");
    BatchProgress progress;
    const auto failures = exportBatch(batchItems(inputs, system_, ".flac"), false, 2, progress);
    ASSERT_EQ(failures.size(), 2U);
    EXPECT_EQ(failures[0].settings, user_ / "bad.tarmel");
    EXPECT_EQ(failures[0].message.find((user_ / "bad.tarmel").string() + ": line 1: "), 0U);
    EXPECT_EQ(failures[1].settings, user_ / "other" / "twin.tarmel");
    EXPECT_EQ(progress.finished.load(), static_cast<int>(inputs.size()));
    for (const fs::path& input : inputs) {
        const fs::path output = system_ / (input.stem().string() + ".flac");
        if (input.filename() == "bad.tarmel") {
            EXPECT_FALSE(fs::exists(output));
        } else if (input.parent_path() != user_ / "other") {
            EXPECT_EQ(files::readSoundFile(output), rendered(files::readSettings(input))) << output;
        }
    }
    // Without replace, files in the way are reported and kept.
    const auto again = exportBatch(batchItems({inputs[0]}, system_, ".flac"), false, 1, progress);
    ASSERT_EQ(again.size(), 1U);
    EXPECT_EQ(again[0].kind, BatchFailure::Kind::Exists);
    // A stopped batch starts nothing more.
    BatchProgress stopped;
    stopped.stop = true;
    EXPECT_TRUE(
        exportBatch(batchItems({inputs[0], inputs[1]}, root_, ".wav"), false, 2, stopped).empty());
    EXPECT_FALSE(fs::exists(root_ / (inputs[0].stem().string() + ".wav")));
    EXPECT_EQ(stopped.finished.load(), 0);
}

} // namespace
} // namespace tarmel::explore
