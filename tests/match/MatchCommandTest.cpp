// tarmel-render --match as a user runs it: a sound Tarmel made is found again exactly and the
// written settings render to the same samples; a file that cannot be matched exits with 2 and
// writes nothing (every reason the target is refused for is the target reader's test: here one,
// to see it said).
#include "files/Settings.h"
#include "files/SoundFile.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace tarmel;

class MatchCommand : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("tarmel-match-" + std::to_string(::getpid()));
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs tarmel-render with args; returns its exit status, its standard error in said_.
    int render(const std::string& args) {
        const std::string command = std::string(TARMEL_RENDER_PATH) + " " + args + " 2>'" +
                                    (root_ / "stderr").string() + "'";
        const int status = std::system(command.c_str());
        std::ifstream in(root_ / "stderr");
        said_.assign(std::istreambuf_iterator<char>(in), {});
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string at(const std::string& name) const { return "'" + (root_ / name).string() + "'"; }

    fs::path root_;
    std::string said_;
};

TEST_F(MatchCommand, FindsASoundTarmelMadeAndWritesSettingsThatRenderTheSameSamples) {
    // One modulator; two on oscillator 1 (modulators 3 and 4).
    const std::vector<std::string> made{"--pitch 131 --attack 400 --fm 1.3:3:4",
                                        "--pitch 150 --attack 1200 --fm 1.3:2:4 1.4:2:4"};
    for (const std::string& sound : made) {
        ASSERT_EQ(render(sound + " -o " + at("target.wav") + " --force"), 0) << said_;
        ASSERT_EQ(render("--match " + at("target.wav") + " -o " + at("best.tarmel") +
                         " --budget 4000 --seed 7 --force"),
                  0)
            << said_;
        EXPECT_NE(said_.find("matched exactly"), std::string::npos) << sound << ": " << said_;
        EXPECT_EQ(files::readSettings(root_ / "best.tarmel").name, "Match of target.wav");
        ASSERT_EQ(render("--settings " + at("best.tarmel") + " -o " + at("best.wav") + " --force"),
                  0)
            << said_;
        EXPECT_EQ(files::readSoundFile(root_ / "best.wav"),
                  files::readSoundFile(root_ / "target.wav"))
            << sound;
    }
}

TEST_F(MatchCommand, RefusesWhatItCannotMatchWithTwoAndWritesNothing) {
    ASSERT_EQ(render("--attack 0 --pitch 98 -o " + at("quiet.wav")), 0);
    files::writeSoundFile(root_ / "quiet.wav", std::vector<int16_t>(44100, 0), true);
    std::ofstream(root_ / "taken.tarmel") << "kept\n";
    struct Case {
        std::string args;
        std::string said;
    };
    const std::vector<Case> cases{
        {"--match " + at("quiet.wav") + " -o " + at("out.tarmel"), "nothing to match"},
        {"--match " + at("quiet.wav") + " -o " + at("taken.tarmel"), "already exists"},
        {"--match " + at("quiet.wav") + " -o " + at("out.tarmel") + " --budget 0", "--budget"},
        {"--match " + at("quiet.wav"), "--output"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(render(c.args), 2) << c.args;
        EXPECT_NE(said_.find(c.said), std::string::npos) << c.args << ": " << said_;
        EXPECT_FALSE(fs::exists(root_ / "out.tarmel")) << c.args;
    }
    std::ifstream kept(root_ / "taken.tarmel");
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "kept\n");
}

} // namespace
