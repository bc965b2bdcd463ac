// tarmel-render --settings ... --output-dir: every good file written as a single render writes
// it, a bad one named, exit status 2.
#include "files/Settings.h"
#include "files/SoundFile.h"
#include "synth/Synthesizer.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>
#include <unistd.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

TEST(BatchCommand, WritesEveryGoodPresetNamesTheBadFileAndExitsWithTwo) {
    const fs::path root = fs::temp_directory_path() / ("tarmel-batch-" + std::to_string(getpid()));
    fs::create_directories(root / "out");
    std::ofstream(root / "bad.tarmel") << "version = 1\nattack = 'loud'\n";
    std::string command = std::string(TARMEL_RENDER_PATH) + " --settings";
    std::vector<fs::path> presets;
    for (const auto& entry : fs::directory_iterator(TARMEL_PRESETS_DIR)) {
        presets.push_back(entry.path());
        command += " '" + entry.path().string() + "'";
    }
    command += " '" + (root / "bad.tarmel").string() + "' --output-dir '" +
               (root / "out").string() + "' --format aiff 2>'" + (root / "stderr").string() + "'";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    std::ifstream in(root / "stderr");
    const std::string said{std::istreambuf_iterator<char>(in), {}};
    EXPECT_NE(said.find("tarmel-render: " + (root / "bad.tarmel").string() + ": line "),
              std::string::npos)
        << said;
    EXPECT_NE(said.find(std::to_string(presets.size()) + " of " +
                        std::to_string(presets.size() + 1) + " files written"),
              std::string::npos)
        << said;
    // Each file holds what one generation from the preset gives, the ticked oscillators mixed.
    for (const fs::path& preset : presets) {
        const files::Settings s = files::readSettings(preset);
        synth::SynthState state = s.state;
        auto waves = std::make_unique<synth::Waves>();
        synth::generate(sound::parametersOf(s), state, *waves);
        EXPECT_EQ(files::readSoundFile(root / "out" / (preset.stem().string() + ".aiff")),
                  synth::heardMix(*waves, s.play))
            << preset;
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(root / "out"), {}),
              static_cast<long>(presets.size()))
        << "nothing for the bad file, no temporary file left";
    // Again, without --force: every file is in the way, and kept.
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 2);
    std::ifstream again(root / "stderr");
    EXPECT_NE(std::string(std::istreambuf_iterator<char>(again), {})
                  .find("cowbell.aiff already exists and was kept (use --force to replace it)"),
              std::string::npos);
    fs::remove_all(root);
}

// The output folder is made with its parents when missing; a folder that cannot be made (a file
// in the way) is named with exit status 1; an option where the folder's name should be is
// refused, and --help there prints the help.
TEST(BatchCommand, MakesAMissingOutputFolderAndTakesNoOptionForIt) {
    const fs::path root = fs::temp_directory_path() / ("tarmel-dir-" + std::to_string(getpid()));
    fs::create_directories(root);
    std::ofstream(root / "file") << "in the way";
    const std::string bell = std::string(TARMEL_PRESETS_DIR) + "/cowbell.tarmel";
    const std::vector<std::tuple<std::string, int, std::string>> cases{
        {"--settings '" + bell + "' --output-dir a/b/c", 0, ""},
        {"--settings '" + bell + "' --output-dir file/d", 1,
         "tarmel-render: cannot make the folder file/d: "},
        {"--settings '" + bell + "' --output-dir --force", 2, "--output-dir needs the folder"},
        {"--output-dir --help", 0, "--output-dir DIR"},
        {"--settings '" + bell + "' --output-dir -h", 0, "--output-dir DIR"}};
    for (const auto& [args, status, says] : cases) {
        const std::string command =
            "cd '" + root.string() + "' && " TARMEL_RENDER_PATH " " + args + " >out 2>&1";
        const int got = std::system(command.c_str());
        std::ifstream in(root / "out");
        const std::string said{std::istreambuf_iterator<char>(in), {}};
        EXPECT_EQ(WIFEXITED(got) ? WEXITSTATUS(got) : -1, status) << args << ": " << said;
        EXPECT_NE(said.find(says), std::string::npos) << args << ": " << said;
        EXPECT_EQ(said.find("does not exist"), std::string::npos) << args << ": " << said;
    }
    EXPECT_TRUE(fs::is_regular_file(root / "a/b/c/cowbell.wav"));
    EXPECT_FALSE(fs::exists(root / "--force"));
    fs::remove_all(root);
}

} // namespace
} // namespace tarmel::cli
