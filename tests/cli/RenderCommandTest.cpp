// tarmel-render as other tools call it: exit status, messages and the files it leaves.
#include "cli/Render.h"
#include "cli/RenderOptions.h"
#include "cli/SoundFile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sstream>
#include <sys/wait.h>

namespace tarmel::cli {
namespace {

namespace fs = std::filesystem;

struct Result {
    int status;
    std::string err;
};

class RenderCommand : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = fs::temp_directory_path() /
               ("tarmel-render-test-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    Result run(const std::string& args) {
        const fs::path err = dir_ / "stderr.txt";
        const std::string cmd =
            std::string(TARMEL_RENDER_PATH) + " " + args + " 2>'" + err.string() + "' >/dev/null";
        const int raw = std::system(cmd.c_str());
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        fs::remove(err);
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, text.str()};
    }

    // Files in the test folder, hidden temporaries included.
    std::vector<std::string> files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir_)) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    fs::path dir_;
};

TEST_F(RenderCommand, WritesEachFormatAsSixteenBitMonoAtTheRightRate) {
    const std::vector<std::pair<std::string, int>> formats{
        {"a.wav", SF_FORMAT_WAV}, {"b.flac", SF_FORMAT_FLAC}, {"c.aiff", SF_FORMAT_AIFF}};
    RenderRequest req;
    req.pitch = 146;
    req.modulators[2] = {true, 3, 6};
    const auto expected = renderSamples(req);
    for (const auto& [name, major] : formats) {
        const Result r = run("--pitch 146 --fm 1.3:3:6 -o " + path(name));
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.err, "");
        int rate = 0;
        int channels = 0;
        int format = 0;
        EXPECT_EQ(readSoundFile(path(name), &rate, &channels, &format), expected) << name;
        EXPECT_EQ(rate, 44100);
        EXPECT_EQ(channels, 1);
        EXPECT_EQ(format & SF_FORMAT_TYPEMASK, major) << name;
        EXPECT_EQ(format & SF_FORMAT_SUBMASK, SF_FORMAT_PCM_16) << name;
    }
    EXPECT_EQ(files(), (std::vector<std::string>{"a.wav", "b.flac", "c.aiff"}));
}

TEST_F(RenderCommand, BadInputCreatesNoFile) {
    for (const char* args : {"--pitch 0", "--fm 2.2:1", "--fm 1.1:3 --fm 1.1:4", "--play 1,9",
                             "--osc 1 --play 1", "--nonsense"}) {
        const Result r = run(std::string(args) + " -o " + path("x.wav"));
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_TRUE(files().empty()) << args;
    }
    const Result r = run("-o " + path("x.ogg"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find(".wav, .flac or .aiff"), std::string::npos) << r.err;
    EXPECT_TRUE(files().empty());
}

TEST_F(RenderCommand, AnExistingFileIsReplacedOnlyWithForce) {
    { std::ofstream(path("keep.wav")) << "precious"; }
    const Result r = run("-o " + path("keep.wav"));
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--force"), std::string::npos) << r.err;
    std::ifstream in(path("keep.wav"));
    std::string content;
    in >> content;
    EXPECT_EQ(content, "precious");
    EXPECT_EQ(files(), std::vector<std::string>{"keep.wav"});

    ASSERT_EQ(run("--force -o " + path("keep.wav")).status, 0);
    EXPECT_EQ(readSoundFile(path("keep.wav")).size(), 44100U);
    EXPECT_EQ(files(), std::vector<std::string>{"keep.wav"});
}

TEST_F(RenderCommand, AFailedWriteExitsWithOneAndLeavesNothing) {
    { std::ofstream(path("plain-file")) << "x"; }
    for (const std::string& target : {path("missing/x.wav"), path("plain-file/x.wav")}) {
        const Result r = run("-o " + target);
        EXPECT_EQ(r.status, 1) << target;
        EXPECT_NE(r.err.find("tarmel-render: cannot"), std::string::npos) << r.err;
    }
    EXPECT_EQ(files(), std::vector<std::string>{"plain-file"});
}

TEST_F(RenderCommand, AWriteCutShortLikeAFullDiskLeavesNothing) {
    // A file-size limit of 4 KiB makes the write fail part way, as a full disk does.
    const std::string limited = "sh -c 'ulimit -f 8; trap \"\" XFSZ; exec \"$0\" \"$@\"' ";
    const fs::path err = dir_ / "stderr.txt";
    const std::string cmd =
        limited + TARMEL_RENDER_PATH + " -o " + path("big.wav") + " 2>" + err.string();
    const int raw = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 1);
    std::ifstream in(err);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("cannot write"), std::string::npos) << text.str();
    fs::remove(err);
    EXPECT_TRUE(files().empty());
}

} // namespace
} // namespace tarmel::cli
